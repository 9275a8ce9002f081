// WebRequest over the scripted fake layer: the exact calls it makes and what
// it makes of the answers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/codepage.h"
#include "http/web_request.h"
#include "tests/support/fake_inet.h"

namespace idwatch {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using idwatch::test::FakeExchange;
using idwatch::test::FakeInet;

const std::string kAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KORVI; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const std::string kDefaultLines =
    "\\r\\nAccept: */*\\r\\nAccept-Language: zh-cn\\r\\nContent-Type: application/x-www-form-urlencoded";
const std::string kOk = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";

std::string S(const Text& text) { return std::string(text.Bytes()); }
std::string B(const ByteSet& bytes) { return std::string(bytes.Bytes()); }

std::string Moved(const std::string& location, const std::string& more = "") {
  return "HTTP/1.1 301 Moved Permanently\r\nLocation: " + location + "\r\n" + more + "\r\n";
}

// The calls whose text begins with `operation`.
std::vector<std::string> CallsTo(const FakeInet& inet, const std::string& operation) {
  std::vector<std::string> found;
  for (const std::string& call : inet.CallTexts()) {
    if (call.rfind(operation + "(", 0) == 0) found.push_back(call);
  }
  return found;
}

TEST(WebRequest, PlainGetMakesExactlyTheseCalls) {
  FakeInet inet;
  inet.Script({.rawHeaders = kOk, .body = "<p>hi</p>"});
  ByteSet body = WebRequest("http://a.test/f?kw=x&ie=utf-8", {.inet = &inet});

  EXPECT_EQ(B(body), "<p>hi</p>");
  EXPECT_THAT(inet.CallTexts(),
              ElementsAre("InternetOpenA(\"" + kAgent + "\", 1, null, null, 0) -> h1",
                          "InternetConnectA(h1, \"a.test\", 80, null, null, 3, 0, 0) -> h2",
                          "HttpOpenRequestA(h2, \"GET\", \"/f?kw=x&ie=utf-8\", \"HTTP/1.1\", null, null, 0x80004010, "
                          "0) -> h3",
                          "HttpSendRequestA(h3, \"Referer: http://a.test/f?kw=x&ie=utf-8" + kDefaultLines +
                              "\", 124, null, 0) -> true",
                          "InternetReadFile(h3, 1024) -> 9", "InternetReadFile(h3, 1024) -> 0",
                          "HttpQueryInfoA(h3, 22, 5000, null) -> true", "InternetCloseHandle(h3) -> true",
                          "InternetCloseHandle(h2) -> true", "InternetCloseHandle(h1) -> true"));
}

TEST(WebRequest, FlagsFollowSchemeCookieModeAndRedirectSwitch) {
  struct Case {
    const char* address;
    bool cookieMode;
    bool noRedirect;
    const char* connect;
    const char* flags;
  } cases[] = {
      {"http://a.test/", false, false, "\"a.test\", 80", "0x80004010"},
      {"HTTPS://a.test/", false, false, "\"a.test\", 443", "0x80800010"},
      {"https://a.test:8443/", false, false, "\"a.test\", 8443", "0x80800010"},
      {"httpshop.test/", false, false, "\"httpshop.test\", 443", "0x80800010"},
      {"http://a.test/", true, false, "\"a.test\", 80", "0x80084010"},
      {"http://a.test/", false, true, "\"a.test\", 80", "0x80204010"},
      {"https://a.test/", true, true, "\"a.test\", 443", "0x80A80010"},
      // A port beyond 16 bits goes through as the layer's port parameter takes it.
      {"http://a.test:65617/", false, false, "\"a.test\", 81", "0x80004010"},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script({.rawHeaders = kOk});
    Text jar;
    WebRequest(c.address, {.cookies = c.cookieMode ? &jar : nullptr, .noRedirect = c.noRedirect, .inet = &inet});
    ASSERT_EQ(CallsTo(inet, "InternetConnectA").size(), 1u) << c.address;
    EXPECT_EQ(CallsTo(inet, "InternetConnectA")[0], std::string("InternetConnectA(h1, ") + c.connect +
                                                        ", null, null, 3, 0, 0) -> h2")
        << c.address;
    EXPECT_THAT(CallsTo(inet, "HttpOpenRequestA")[0], ::testing::HasSubstr(std::string(", ") + c.flags + ", 0)"))
        << c.address << " cookieMode=" << c.cookieMode << " noRedirect=" << c.noRedirect;
  }
}

TEST(WebRequest, UserAgentAndDefaultLinesComeFromTheCallersHeaders) {
  struct Case {
    std::string headers;
    std::string cookies;
    std::string agent;
    std::string sent;  // the header text as the fake writes it
  } cases[] = {
      {"", "", kAgent, "Referer: http://a.test/x" + kDefaultLines},
      {"User-Agent: abc", "", "abc", "User-Agent: abc\\r\\nReferer: http://a.test/x" + kDefaultLines},
      {"user-agent: abc\r\nX: y", "", "abc", "user-agent: abc\\r\\nX: y\\r\\nReferer: http://a.test/x" + kDefaultLines},
      // The value runs to the end of the text: everything after the first ":".
      {"X: y\r\nUser-Agent: abc", "", "y\\r\\nUser-Agent: abc",
       "X: y\\r\\nUser-Agent: abc\\r\\nReferer: http://a.test/x" + kDefaultLines},
      // A lower-case referer is not the routine's "Referer:".
      {"referer: x", "", kAgent, "referer: x\\r\\nReferer: http://a.test/x" + kDefaultLines},
      {"Referer: r\r\nAccept: a/b\r\nAccept-Language: en\r\nContent-Type: t/u", "", kAgent,
       "Referer: r\\r\\nAccept: a/b\\r\\nAccept-Language: en\\r\\nContent-Type: t/u"},
      // A cookie line of the caller and the routine's own: both are sent.
      {"Cookie: a=1", "b=2", kAgent,
       "Cookie: a=1\\r\\nReferer: http://a.test/x" + kDefaultLines + "\\r\\nCookie: b=2"},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script({.rawHeaders = kOk});
    Text headers(c.headers);
    Text jar(c.cookies);
    WebRequest("http://a.test/x", {.cookies = c.cookies.empty() ? nullptr : &jar, .headers = &headers, .inet = &inet});
    EXPECT_EQ(CallsTo(inet, "InternetOpenA")[0], "InternetOpenA(\"" + c.agent + "\", 1, null, null, 0) -> h1")
        << c.headers;
    std::string send = CallsTo(inet, "HttpSendRequestA")[0];
    EXPECT_EQ(send.substr(0, send.find("\", ") + 1), "HttpSendRequestA(h3, \"" + c.sent + "\"") << c.headers;
    EXPECT_EQ(S(headers).size(), std::stoul(send.substr(send.find("\", ") + 3))) << c.headers;
  }
}

TEST(WebRequest, HeadersGainTheDefaultLinesOnlyOnceButACookieLineEveryTime) {
  FakeInet inet;
  inet.Script({.rawHeaders = kOk});
  inet.Script({.rawHeaders = kOk});
  Text headers;
  Text jar = "s=1";
  WebRequest("http://a.test/x", {.cookies = &jar, .headers = &headers, .inet = &inet});
  WebRequest("http://a.test/y", {.cookies = &jar, .headers = &headers, .inet = &inet});
  EXPECT_EQ(S(headers), "Referer: http://a.test/x\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                        "Content-Type: application/x-www-form-urlencoded\r\nCookie: s=1\r\nCookie: s=1");
}

TEST(WebRequest, MethodChoosesTheVerbAndWhetherABodyIsSent) {
  struct Case {
    int method;
    std::string postText;
    std::string postBytes;
    std::string verb;
    std::string sentBody;  // as the fake writes it
    std::string postBytesAfter;
  } cases[] = {
      {0, "a=1", "", "GET", "null, 0", ""},
      {1, "a=1&b=2", "", "POST", "\"a=1&b=2\", 7", "a=1&b=2"},
      {2, "a=1&b=2", "", "GET", "\"a=1&b=2\", 7", "a=1&b=2"},
      {1, "ignored", std::string("x\0y", 3), "POST", "\"x\\x00y\", 3", std::string("x\0y", 3)},
      {1, "", "", "POST", "\"\", 0", ""},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script({.rawHeaders = kOk});
    Text postText(c.postText);
    ByteSet postBytes(c.postBytes);
    WebRequest("http://a.test/x", {.method = c.method, .postText = &postText, .postBytes = &postBytes, .inet = &inet});
    EXPECT_THAT(CallsTo(inet, "HttpOpenRequestA")[0], ::testing::HasSubstr("(h2, \"" + c.verb + "\", ")) << c.method;
    EXPECT_THAT(CallsTo(inet, "HttpSendRequestA")[0], ::testing::EndsWith(", " + c.sentBody + ") -> true"))
        << c.method;
    EXPECT_EQ(B(postBytes), c.postBytesAfter) << c.method;
  }
}

TEST(WebRequest, AHandleThatCannotBeHadClosesTheOthersAndChangesNothing) {
  struct Case {
    FakeExchange exchange;
    std::vector<std::string> closed;
  } cases[] = {
      {{.sessionFails = true}, {}},
      {{.connectionFails = true}, {"InternetCloseHandle(h1) -> true"}},
      {{.requestFails = true}, {"InternetCloseHandle(h2) -> true", "InternetCloseHandle(h1) -> true"}},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script(c.exchange);
    Text headers = "X: 1";
    Text raw = "before";
    Text location;
    ByteSet postBytes;
    Text postText = "p";
    ByteSet body = WebRequest("http://a.test/x", {.method = 1,
                                                  .postText = &postText,
                                                  .headers = &headers,
                                                  .returnedLocation = &location,
                                                  .postBytes = &postBytes,
                                                  .rawHeaders = &raw,
                                                  .inet = &inet});
    EXPECT_TRUE(body.IsEmpty());
    EXPECT_EQ(CallsTo(inet, "InternetCloseHandle"), c.closed);
    EXPECT_EQ(inet.OpenHandles(), 0u);
    EXPECT_EQ(S(headers), "X: 1");
    EXPECT_EQ(S(raw), "before");
    EXPECT_EQ(S(location), "");
    EXPECT_TRUE(postBytes.IsEmpty());
  }
}

TEST(WebRequest, NoHeaderBlockLeavesFiveThousandSpaces) {
  // A failed send, and a block that does not fit with its NUL.
  std::string tooLong = "HTTP/1.1 200 OK\r\nX: " + std::string(4976, 'v') + "\r\n\r\n";
  ASSERT_EQ(tooLong.size(), 5000u);
  std::string fits = tooLong.substr(0, 17) + "X: " + std::string(4975, 'v') + "\r\n\r\n";
  ASSERT_EQ(fits.size(), 4999u);
  struct Case {
    const char* name;
    FakeExchange exchange;
    std::string location;  // on entry
    std::string raw;
    std::string locationAfter;
  } cases[] = {
      {"send fails", {.sendFails = true, .rawHeaders = kOk, .body = "x"}, "", std::string(5000, ' '),
       std::string(5000, ' ')},
      {"send fails, location kept", {.sendFails = true}, "old", std::string(5000, ' '), "old"},
      {"block too long", {.rawHeaders = tooLong}, "", std::string(5000, ' '), std::string(5000, ' ')},
      {"block just fits", {.rawHeaders = fits}, "", fits, fits},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script(c.exchange);
    Text headers;
    Text raw;
    Text location(c.location);
    ByteSet body = WebRequest("http://a.test/x", {.headers = &headers, .returnedLocation = &location,
                                                  .rawHeaders = &raw, .inet = &inet});
    EXPECT_EQ(S(raw), c.raw) << c.name;
    EXPECT_EQ(S(location), c.locationAfter) << c.name;
    EXPECT_EQ(S(headers), "Referer: http://a.test/x\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                          "Content-Type: application/x-www-form-urlencoded")
        << c.name;
    EXPECT_EQ(inet.OpenHandles(), 0u) << c.name;
  }
}

TEST(WebRequest, LocationAndCookiesAreReadFromTheHeaderBlock) {
  const std::string plain = "HTTP/1.1 200 OK\r\n\r\n";
  const std::string twoCookies = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; path=/\r\n\r\n";
  struct Case {
    const char* name;
    std::string block;
    bool cookieMode;
    std::string cookiesBefore;
    std::string locationBefore;
    std::string location;
    std::string returnedCookies;
    std::string cookiesAfter;
  } cases[] = {
      {"two cookies", twoCookies, false, "", "", twoCookies, "a=1; b=2; ", ""},
      {"two cookies, cookie mode", twoCookies, true, "b=0; c=3", "", twoCookies, "a=1;b=2;", "a=1; b=2; c=3"},
      {"value without ;", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\n\r\n", false, "", "x", "x", "; ", ""},
      {"lower-case name is not a cookie line", "HTTP/1.1 200 OK\r\nset-cookie: a=1;\r\n\r\n", false, "", "x", "x",
       "", ""},
      {"last location wins", "HTTP/1.1 200 OK\r\nLocation: /a\r\nContent-Location: /b \r\n\r\n", false, "", "x",
       "/b", "", ""},
      {"no location, kept", plain, false, "", "mine", "mine", "", ""},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script({.rawHeaders = c.block});
    Text jar(c.cookiesBefore);
    Text returned = "stale";
    Text location(c.locationBefore);
    WebRequest("http://a.test/x", {.cookies = c.cookieMode ? &jar : nullptr,
                                   .returnedCookies = &returned,
                                   .returnedLocation = &location,
                                   .inet = &inet});
    EXPECT_EQ(S(location), c.location) << c.name;
    EXPECT_EQ(S(returned), c.returnedCookies) << c.name;
    if (c.cookieMode) {
      EXPECT_EQ(S(jar), c.cookiesAfter) << c.name;
      EXPECT_THAT(CallsTo(inet, "HttpSendRequestA")[0], ::testing::HasSubstr("\\r\\nCookie: " + c.cookiesBefore + "\""));
    }
  }
  EXPECT_EQ(S(HeaderValue("X: a:b ")), "a:b");
  EXPECT_EQ(S(HeaderValue("no colon")), "");
}

TEST(WebRequest, A301IsFollowedWithTheSameVariables) {
  FakeInet inet;
  inet.Script({.rawHeaders = Moved("http://b.test/", "Set-Cookie: m=1; path=/\r\n"), .body = "moved body"});
  inet.Script({.rawHeaders = Moved("http://c.test", "Set-Cookie: n=2; path=/\r\n")});
  inet.Script({.rawHeaders = kOk, .body = "final"});
  Text headers;
  Text raw;
  Text location;
  Text returned;
  ByteSet body = WebRequest("http://a.test/x?y", {.returnedCookies = &returned,
                                                  .headers = &headers,
                                                  .returnedLocation = &location,
                                                  .noRedirect = true,
                                                  .rawHeaders = &raw,
                                                  .inet = &inet});
  EXPECT_EQ(B(body), "final");
  EXPECT_EQ(S(raw), kOk);
  EXPECT_EQ(S(location), kOk);
  EXPECT_EQ(S(returned), "");
  EXPECT_EQ(inet.OpenHandles(), 0u);
  // The follow-ups: the old path appended to a location without one of its
  // own (hence the double slash, then carried on), proxy sessions through
  // "http=" alone, cookie mode, and the first address still the referer.
  EXPECT_THAT(CallsTo(inet, "InternetOpenA"),
              ElementsAre("InternetOpenA(\"" + kAgent + "\", 1, null, null, 0) -> h1",
                          "InternetOpenA(\"" + kAgent + "\", 3, \"http=\", \"\", 0) -> h4",
                          "InternetOpenA(\"" + kAgent + "\", 3, \"http=\", \"\", 0) -> h7"));
  auto connects = CallsTo(inet, "InternetConnectA");
  ASSERT_EQ(connects.size(), 3u);
  EXPECT_THAT(connects[1], ::testing::HasSubstr("(h4, \"b.test\", 80,"));
  EXPECT_THAT(connects[2], ::testing::HasSubstr("(h7, \"c.test\", 80,"));
  EXPECT_THAT(CallsTo(inet, "HttpOpenRequestA"),
              ElementsAre(::testing::HasSubstr("\"/x?y\", \"HTTP/1.1\", null, null, 0x80204010,"),
                          ::testing::HasSubstr("\"//x?y\", \"HTTP/1.1\", null, null, 0x80284010,"),
                          ::testing::HasSubstr("\"//x?y\", \"HTTP/1.1\", null, null, 0x80284010,")));
  // The cookie of the first response came outside cookie mode and is not
  // kept; that of the first follow-up is, and goes out as a Cookie line.
  EXPECT_THAT(CallsTo(inet, "HttpSendRequestA"),
              ElementsAre("HttpSendRequestA(h3, \"Referer: http://a.test/x?y" + kDefaultLines +
                              "\", 112, null, 0) -> true",
                          "HttpSendRequestA(h6, \"Referer: http://a.test/x?y" + kDefaultLines +
                              "\", 112, null, 0) -> true",
                          "HttpSendRequestA(h9, \"Referer: http://a.test/x?y" + kDefaultLines +
                              "\\r\\nCookie: n=2\", 125, null, 0) -> true"));
  // Every handle of an exchange is closed before the next one opens any.
  std::vector<std::string> calls = inet.CallTexts();
  for (std::size_t i = 1; i < calls.size(); ++i) {
    if (calls[i].rfind("InternetOpenA(", 0) == 0) {
      EXPECT_THAT(calls[i - 1], ::testing::AnyOf("InternetCloseHandle(h1) -> true", "InternetCloseHandle(h4) -> true")) << i;
    }
  }
}

TEST(WebRequest, TheNextAddressOfA301) {
  struct Case {
    std::string address;
    std::string location;
    std::string connect;  // host and port of the follow-up
    std::string object;
  } cases[] = {
      // Scheme and host alone: the old path and query are appended.
      {"http://a.test/x?y", "http://b.test", "\"b.test\", 80", "/x?y"},
      {"http://a.test/x?y", "http://b.test/", "\"b.test\", 80", "//x?y"},
      // A location with a path or query of its own is used as it is.
      {"http://a.test/x?y", "http://b.test/new?z", "\"b.test\", 80", "/new?z"},
      {"http://a.test/x?y", "HTTPS://b.test:444/p?q=1", "\"b.test\", 444", "/p?q=1"},
      // A location that begins with "/" keeps the old scheme, host and port.
      {"http://a.test:81/x?y", "/new?z", "\"a.test\", 81", "/new?z"},
      {"https://a.test/x?y", "/", "\"a.test\", 443", "/"},
      // "//host/path" names another host under the old scheme.
      {"https://a.test/x", "//b.test/p", "\"b.test\", 443", "/p"},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script({.rawHeaders = Moved(c.location)});
    inet.Script({.rawHeaders = kOk});
    WebRequest(Text(c.address), {.inet = &inet});
    auto connects = CallsTo(inet, "InternetConnectA");
    auto opens = CallsTo(inet, "HttpOpenRequestA");
    ASSERT_EQ(connects.size(), 2u) << c.location;
    EXPECT_THAT(connects[1], ::testing::HasSubstr("(h4, " + c.connect + ", ")) << c.location;
    EXPECT_THAT(opens[1], ::testing::HasSubstr("\"GET\", \"" + c.object + "\"")) << c.location;
  }
}

TEST(WebRequest, OnlyAnHttp11StatusOf301IsFollowed) {
  for (const char* status : {"HTTP/1.1 302 Found", "HTTP/1.0 301 Moved Permanently", "HTTP/1.1 301 Gone"}) {
    FakeInet inet;
    inet.Script({.rawHeaders = std::string(status) + "\r\nLocation: http://b.test/\r\n\r\n", .body = "here"});
    ByteSet body = WebRequest("http://a.test/x", {.inet = &inet});
    EXPECT_EQ(B(body), "here") << status;
    EXPECT_EQ(CallsTo(inet, "InternetOpenA").size(), 1u) << status;
  }
}

TEST(WebRequest, FollowUpsStopAfterTen) {
  for (int moves : {10, 11}) {
    FakeInet inet;
    for (int i = 0; i < moves; ++i) inet.Script({.rawHeaders = Moved("http://b.test/" + std::to_string(i))});
    inet.Script({.rawHeaders = kOk, .body = "end"});
    Text location;
    ByteSet body = WebRequest("http://a.test/x", {.returnedLocation = &location, .inet = &inet});
    if (moves == 10) {
      EXPECT_EQ(B(body), "end");
      EXPECT_EQ(CallsTo(inet, "InternetOpenA").size(), 11u);
    } else {
      EXPECT_TRUE(body.IsEmpty());
      EXPECT_EQ(CallsTo(inet, "InternetOpenA").size(), 11u);
      EXPECT_EQ(S(location), "http://b.test/10");
    }
    EXPECT_EQ(inet.OpenHandles(), 0u);
  }
}

TEST(WebRequest, CharsetTestDecidesTheConversion) {
  const std::string chinese = "\xE4\xBD\xA0\xE5\xA5\xBD";  // two characters in UTF-8
  const std::string converted = "\xC4\xE3\xBA\xC3";
  struct Case {
    const char* name;
    std::string block;
    std::string body;
    bool utf8;
  } cases[] = {
      {"none", kOk, chinese, false},
      {"in the header block", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n", chinese, true},
      {"in capitals in the header block", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n",
       chinese, true},
      {"marker begins at byte 499", kOk, std::string(498, ' ') + "charset=utf-8" + chinese, true},
      {"marker begins at byte 500", kOk, std::string(499, ' ') + "charset=utf-8" + chinese, false},
      {"capitals at byte 1", kOk, "Charset=Utf-8" + chinese, true},
      {"other charset", "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gbk\r\n\r\n", chinese, false},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Script({.rawHeaders = c.block, .body = c.body});
    std::string body = B(WebRequest("http://a.test/x", {.inet = &inet}));
    std::string tail = body.substr(body.size() - (c.utf8 ? converted.size() : chinese.size()));
    EXPECT_EQ(tail, c.utf8 ? converted : chinese) << c.name;
  }
}

TEST(WebRequest, BodyIsReadWholeUpTo32MiB) {
  struct Case {
    std::size_t size;
    std::size_t piece;
    bool kept;
  } cases[] = {
      {3000, 1024, true},
      {3000, 7, true},
      {200000, 1000, true},  // pieces that do not divide the blocks the body is kept in
      {std::size_t{32} << 20, 1024, true},
      {(std::size_t{32} << 20) + 1, 1024, false},
  };
  for (const Case& c : cases) {
    FakeInet inet;
    inet.Record(false);
    std::string big(c.size, 'b');
    big[c.size - 1] = 'e';
    inet.Script({.rawHeaders = kOk, .body = big, .piece = c.piece});
    ByteSet body = WebRequest("http://a.test/x", {.inet = &inet});
    EXPECT_EQ(body.Bytes().size(), c.kept ? c.size : 0u) << c.size;
    if (c.kept) {
      EXPECT_TRUE(body.Bytes() == big) << c.size;
    }
    EXPECT_EQ(inet.OpenHandles(), 0u);
  }
}

TEST(WebRequest, ATooLargeBodyStillEndsTheExchangeCleanly) {
  FakeInet inet;
  inet.Script({.rawHeaders = kOk, .body = std::string((32u << 20) + 5000, 'b')});
  Text raw;
  ByteSet body = WebRequest("http://a.test/x", {.rawHeaders = &raw, .inet = &inet});
  EXPECT_TRUE(body.IsEmpty());
  EXPECT_EQ(S(raw), kOk);
  std::vector<std::string> calls = inet.CallTexts();
  EXPECT_THAT(std::vector<std::string>(calls.end() - 4, calls.end()),
              ElementsAre("HttpQueryInfoA(h3, 22, 5000, null) -> true", "InternetCloseHandle(h3) -> true",
                          "InternetCloseHandle(h2) -> true", "InternetCloseHandle(h1) -> true"));
}

TEST(WebRequest, AProxyGivesAProxySessionAndNoScriptGivesNothing) {
  FakeInet inet;
  inet.Script({.rawHeaders = kOk});
  Text proxy = "127.0.0.1:3128";
  WebRequest("http://a.test/x", {.proxy = &proxy, .inet = &inet});
  EXPECT_EQ(CallsTo(inet, "InternetOpenA")[0],
            "InternetOpenA(\"" + kAgent + "\", 3, \"http=127.0.0.1:3128\", \"\", 0) -> h1");

  FakeInet empty;
  EXPECT_TRUE(WebRequest("http://a.test/x", {.inet = &empty}).IsEmpty());
  EXPECT_THAT(CallsTo(empty, "InternetCloseHandle"), IsEmpty());
}

}  // namespace
}  // namespace idwatch
