#include "http/url.h"

#include "base/numbers.h"
#include "base/text_array.h"
#include "textcut/text_between.h"

namespace idwatch {

Text UrlHost(const Text& address, bool domainOnly, bool keepPort) {
  Text s = ToLower(address);
  if (TextRight(s, 1) != "/") s += "/";
  if (TextLeft(s, 8) == "https://") {
    s = TextBetween(s, "https://", "/");
  } else {
    if (FindText(s, "http://") == -1) s = "http://" + s;
    s = TextBetween(s, "http://", "/");
  }
  if (domainOnly) {
    TextArray labels = SplitText(s, ".");
    if (int k = labels.Size(); k > 1) s = labels.At(k - 1) + "." + labels.At(k);
  }
  if (keepPort) return s;
  int colon = FindText(s, ":");
  return colon == -1 ? s : TextLeft(s, colon - 1);
}

int UrlPort(const Text& address) {
  Text hostAndPort = UrlHost(address, false, true);
  if (FindText(hostAndPort, ":") != -1) {
    int colon = FindTextReverse(hostAndPort, ":");
    return ToInteger(TextRight(hostAndPort, TextLength(hostAndPort) - colon));
  }
  return TextLeft(ToLower(address), 5) == "https" ? 443 : 80;
}

Text UrlPath(const Text& address) {
  int host = FindText(address, UrlHost(address), 1, true);
  int slash = FindText(address, "/", host, true);
  return slash > 0 ? TextRight(address, TextLength(address) - slash + 1) : Text("/");
}

}  // namespace idwatch
