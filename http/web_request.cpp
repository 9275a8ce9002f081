#include "http/web_request.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_array.h"
#include "http/cookies.h"
#include "http/decode.h"
#include "http/url.h"
#include "textcut/text_between.h"

namespace idwatch {
namespace {

constexpr int kMaxFollowUps = 10;
constexpr std::size_t kMaxBody = 32u << 20;
constexpr std::uint32_t kPiece = 1024;
constexpr int kRawHeaderSpace = 5000;
// The charset marker counts in the body only when it begins within this many bytes.
constexpr std::size_t kCharsetWindow = 499;

const char kDefaultAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KORVI; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const char kCharsetMarker[] = "charset=utf-8";

// The variables one exchange works on: the caller's where given, otherwise
// the routine's own, which live through the whole chain of 301 follow-ups.
struct Variables {
  const Text& postText;
  Text& cookies;
  Text& returnedCookies;
  Text& headers;
  Text& returnedLocation;
  ByteSet& postBytes;
  const Text& proxy;
  Text& rawHeaders;
};

struct Exchange {
  int method = 0;
  bool noRedirect = false;
  bool cookieMode = false;
  bool viaProxyList = false;
};

struct Result {
  ByteSet body;
  bool moved = false;  // a 301 for the routine to follow
};

// Closes a handle of the layer once, at Close() or at the end of the scope;
// scopes end newest first, so handles close in that order on every path.
class HandleGuard {
 public:
  HandleGuard(Inet& inet, InetHandle handle) : inet_(inet), handle_(handle) {}
  ~HandleGuard() { Close(); }
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  explicit operator bool() const { return handle_ != nullptr; }
  InetHandle Get() const { return handle_; }
  void Close() {
    if (handle_) inet_.InternetCloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  Inet& inet_;
  InetHandle handle_;
};

// The body as it arrives, kept in blocks of a fixed size and joined once at
// the end: no block is ever copied to grow, and a large body is written into
// fresh memory once rather than into every size on the way up.
class BodyPieces {
 public:
  std::size_t Size() const { return size_; }

  void Append(std::string_view piece) {
    if (blocks_.empty() || blocks_.back().size() + piece.size() > kBlock) {
      blocks_.emplace_back();
      blocks_.back().reserve(kBlock);
    }
    blocks_.back() += piece;
    size_ += piece.size();
  }

  std::string Whole() {
    if (blocks_.size() == 1) return std::move(blocks_.front());
    std::string whole;
    whole.reserve(size_);
    for (const std::string& block : blocks_) whole += block;
    return whole;
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  std::vector<std::string> blocks_;
  std::size_t size_ = 0;
};

Text UserAgent(const Text& headers) {
  if (FindText(headers, "User-Agent:", 1, true) == -1) return kDefaultAgent;
  Text agent = TrimBoth(TextBetween(headers, "User-Agent:", "\r\n"));
  return agent.IsEmpty() ? HeaderValue(headers) : agent;
}

void AppendDefaultLines(Text& headers, const Text& address, const Text& cookies) {
  if (FindText(headers, "Referer:") == -1) {
    headers += (headers.IsEmpty() ? Text("Referer: ") : Text("\r\nReferer: ")) + address;
  }
  if (FindText(headers, "Accept:") == -1) headers += "\r\nAccept: */*";
  if (FindText(headers, "Accept-Language:") == -1) headers += "\r\nAccept-Language: zh-cn";
  if (FindText(headers, "Content-Type:") == -1) headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  if (!cookies.IsEmpty()) headers += "\r\nCookie: " + cookies;
}

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c; }

// The charset test: the marker, ASCII case folded, beginning within the first
// 499 bytes of the body, or anywhere in the raw header block.
bool DeclaresUtf8(const ByteSet& body, const Text& rawHeaders) {
  std::string_view bytes = body.Bytes();
  const std::size_t length = std::strlen(kCharsetMarker);
  const std::size_t starts = std::min(kCharsetWindow, bytes.size() < length ? 0 : bytes.size() - length + 1);
  for (std::size_t at = 0; at < starts; ++at) {
    bool match = true;
    for (std::size_t i = 0; i < length && match; ++i) {
      match = FoldAscii(static_cast<unsigned char>(bytes[at + i])) == static_cast<unsigned char>(kCharsetMarker[i]);
    }
    if (match) return true;
  }
  return FindText(rawHeaders, kCharsetMarker, 1, true) != -1;
}

// "https://" or "http://", as the address's scheme counts for a connection.
Text SchemeOf(const Text& address) {
  return TextLeft(ToLower(address), 8) == "https://" ? Text("https://") : Text("http://");
}

// Where a 301 leads: the location when it names a path or query of its own;
// joined to the old address's scheme and host when it begins with "/" (or to
// its scheme alone when it begins with "//"); otherwise, a bare scheme and
// host, followed by the old address's path and query.
Text FollowUpAddress(const Text& location, const Text& address) {
  const Text scheme = SchemeOf(address);
  if (TextLeft(location, 2) == "//") return TextLeft(scheme, TextLength(scheme) - 2) + location;
  if (TextLeft(location, 1) == "/") return scheme + UrlHost(address, false, true) + location;
  Text lower = ToLower(location);
  Text rest = location;
  if (TextLeft(lower, 8) == "https://") {
    rest = TextRight(location, TextLength(location) - 8);
  } else if (TextLeft(lower, 7) == "http://") {
    rest = TextRight(location, TextLength(location) - 7);
  }
  std::string_view bytes = rest.Bytes();
  std::size_t tail = bytes.find_first_of("/?#");
  bool ownPath = tail != std::string_view::npos && bytes.substr(tail) != "/";
  return ownPath ? location : location + UrlPath(address);
}

// Steps of one exchange: open, send, read, query, close, then read the
// header block. The caller decides about a 301 follow-up.
Result RunExchange(Inet& inet, const Text& address, const Exchange& exchange, Variables& v) {
  Result result;
  const Text verb = exchange.method == 1 ? "POST" : "GET";
  const Text agent = UserAgent(v.headers);

  HandleGuard session(inet, exchange.viaProxyList
                                ? inet.InternetOpenA(agent.CStr(), INTERNET_OPEN_TYPE_PROXY,
                                                     ("http=" + v.proxy).CStr(), "", 0)
                                : inet.InternetOpenA(agent.CStr(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return result;
  // The port goes through as WinInet's 16-bit port parameter takes it.
  HandleGuard connection(inet, inet.InternetConnectA(session.Get(), UrlHost(address).CStr(),
                                                     static_cast<std::uint16_t>(UrlPort(address)), nullptr, nullptr,
                                                     INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return result;

  std::uint32_t flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
  if (exchange.cookieMode) flags |= INTERNET_FLAG_NO_COOKIES;
  if (exchange.noRedirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
  flags |= ToLower(TextLeft(address, 5)) == "https" ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  HandleGuard request(inet, inet.HttpOpenRequestA(connection.Get(), verb.CStr(), UrlPath(address).CStr(),
                                                  "HTTP/1.1", nullptr, nullptr, flags, 0));
  if (!request) return result;

  AppendDefaultLines(v.headers, address, v.cookies);
  const auto headersLength = static_cast<std::uint32_t>(TextLength(v.headers));
  if (exchange.method == 0) {
    inet.HttpSendRequestA(request.Get(), v.headers.CStr(), headersLength, nullptr, 0);
  } else {
    if (v.postBytes.IsEmpty()) v.postBytes = TextToBytes(v.postText);
    inet.HttpSendRequestA(request.Get(), v.headers.CStr(), headersLength, v.postBytes.Data(),
                          static_cast<std::uint32_t>(BytesLength(v.postBytes)));
  }

  BodyPieces body;
  bool oversized = false;
  for (;;) {
    char piece[kPiece] = {};
    std::uint32_t read = 0;
    inet.InternetReadFile(request.Get(), piece, kPiece, &read);
    if (read == 0) break;
    read = std::min(read, kPiece);  // a layer that claims more than it was given room for
    if (body.Size() + read > kMaxBody) {
      oversized = true;
      break;
    }
    body.Append(std::string_view(piece, read));
  }

  std::string space(kRawHeaderSpace, ' ');
  std::uint32_t spaceLength = kRawHeaderSpace;
  inet.HttpQueryInfoA(request.Get(), HTTP_QUERY_RAW_HEADERS_CRLF, space.data(), &spaceLength, nullptr);
  v.rawHeaders = Text(std::move(space));  // up to the NUL the layer wrote, if any

  request.Close();
  connection.Close();
  session.Close();

  v.returnedCookies = Text();
  for (const Text& line : SplitText(v.rawHeaders, "\r\n")) {
    if (FindText(line, "Location:") != -1) v.returnedLocation = HeaderValue(line);
    if (FindText(line, "Set-Cookie") != -1) v.returnedCookies += TrimBoth(TextBetween(line, "Set-Cookie:", ";")) + "; ";
  }
  if (exchange.cookieMode) MergeCookies(v.cookies, v.returnedCookies);
  if (v.returnedLocation.IsEmpty()) v.returnedLocation = v.rawHeaders;

  if (oversized) return result;
  if (TextBetween(v.rawHeaders, "HTTP/1.1 ", " Moved") == "301") {
    result.moved = true;
    return result;
  }
  result.body = ByteSet(body.Whole());
  if (DeclaresUtf8(result.body, v.rawHeaders)) result.body = Utf8ToAnsi(result.body);
  return result;
}

}  // namespace

Text HeaderValue(const Text& line) {
  int colon = FindText(line, ":");
  return colon == -1 ? Text() : TrimBoth(TextRight(line, TextLength(line) - colon));
}

ByteSet WebRequest(const Text& address, const WebRequestOptions& options) {
  Inet& inet = options.inet ? *options.inet : PlatformInet();
  Text ownPostText, ownCookies, ownReturnedCookies, ownHeaders, ownLocation, ownProxy, ownRawHeaders;
  ByteSet ownPostBytes;
  Variables v{
      options.postText ? *options.postText : ownPostText,
      options.cookies ? *options.cookies : ownCookies,
      options.returnedCookies ? *options.returnedCookies : ownReturnedCookies,
      options.headers ? *options.headers : ownHeaders,
      options.returnedLocation ? *options.returnedLocation : ownLocation,
      options.postBytes ? *options.postBytes : ownPostBytes,
      options.proxy ? *options.proxy : ownProxy,
      options.rawHeaders ? *options.rawHeaders : ownRawHeaders,
  };
  Exchange exchange{.method = options.method,
                    .noRedirect = options.noRedirect,
                    .cookieMode = options.cookies != nullptr,
                    .viaProxyList = options.proxy != nullptr};

  Text current = address;
  for (int followUps = 0;; ++followUps) {
    Result result = RunExchange(inet, current, exchange, v);
    if (!result.moved) return std::move(result.body);
    if (followUps == kMaxFollowUps) return ByteSet();
    // A follow-up gets every parameter as given: cookie mode, and the proxy
    // list even when it is "http=" alone.
    current = FollowUpAddress(v.returnedLocation, current);
    v.returnedLocation = Text();
    exchange.cookieMode = true;
    exchange.viaProxyList = true;
  }
}

}  // namespace idwatch
