#include "http/cookies.h"

namespace idwatch {

Text MergeCookies(Text& cookies, Text& newCookies) {
  cookies = RemoveAllSpaces(cookies);
  newCookies = RemoveAllSpaces(newCookies);
  TextArray old = SplitText(cookies, ";");
  TextArray merged = SplitText(newCookies, ";");
  for (const Text& item : old) {
    if (!HasCookieNamed(merged, CookieName(item))) merged.Append(item);
  }
  cookies = Text();
  for (const Text& item : merged) {
    if (TextRight(item, 8) != "=deleted") cookies += item + "; ";
  }
  cookies = TextLeft(cookies, TextLength(cookies) - 2);
  cookies = JoinDistinct(cookies, "; ");
  return cookies;
}

Text CookieName(const Text& item) {
  int equals = FindText(item, "=");
  return TrimBoth(equals == -1 ? item : TextLeft(item, equals - 1));
}

bool HasCookieNamed(const TextArray& items, const Text& name) {
  for (const Text& item : items) {
    if (CookieName(item) == name) return true;
  }
  return false;
}

Text JoinDistinct(const Text& text, const Text& separator) {
  TextArray seen;
  Text result;
  for (const Text& piece : SplitText(text, separator)) {
    if (!ContainsText(seen, piece)) {
      seen.Append(piece);
      result += piece + separator;
    }
  }
  return TextLeft(result, TextLength(result) - TextLength(separator));
}

bool ContainsText(const TextArray& items, const Text& text) {
  for (const Text& item : items) {
    if (item == text) return true;
  }
  return false;
}

}  // namespace idwatch
