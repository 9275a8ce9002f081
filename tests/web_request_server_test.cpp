// WebRequest through the platform's real HTTP layer against the raw test
// server: what goes over the wire and what comes back, on both platforms.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "http/inet.h"
#include "http/web_request.h"
#include "tests/support/raw_http_server.h"

namespace idwatch {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;
using idwatch::test::ChunkedBody;
using idwatch::test::HttpResponse;
using idwatch::test::RawHttpServer;
using idwatch::test::RefusingPort;
using idwatch::test::ScriptedReply;

const std::string kAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KORVI; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
const std::string kUtf8 = "\xE6\x9C\x80\xE5\x90\x8E\xE5\x9B\x9E\xE5\xA4\x8D\xE4\xBA\xBA";  // the marker text
const std::string kCp936 = "\xD7\xEE\xBA\xF3\xBB\xD8\xB8\xB4\xC8\xCB";

std::string S(const Text& text) { return std::string(text.Bytes()); }
std::string B(const ByteSet& bytes) { return std::string(bytes.Bytes()); }

class WebRequestServer : public ::testing::Test {
 protected:
  void SetUp() override { SetInetTimeouts({.connectMs = 5000, .sendMs = 1500, .receiveMs = 1500}); }
  void TearDown() override { SetInetTimeouts({}); }

  Text Address(const std::string& pathAndQuery) const { return Text(server.Address(pathAndQuery)); }

  RawHttpServer server;
};

TEST_F(WebRequestServer, PlainGetSendsTheDefaultAgentAndLinesInOrder) {
  server.Script(HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html"}, "<p>page</p>"));
  const Text address = Address("/f?kw=%E5%90%A7&ie=utf-8");
  ByteSet body = WebRequest(address);

  EXPECT_EQ(B(body), "<p>page</p>");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "GET /f?kw=%E5%90%A7&ie=utf-8 HTTP/1.1");
  EXPECT_THAT(requests[0].Header("User-Agent"), Optional(kAgent));
  EXPECT_THAT(requests[0].Header("Referer"), Optional(S(address)));
  EXPECT_THAT(requests[0].Header("Accept"), Optional(std::string("*/*")));
  EXPECT_THAT(requests[0].Header("Accept-Language"), Optional(std::string("zh-cn")));
  EXPECT_THAT(requests[0].Header("Content-Type"), Optional(std::string("application/x-www-form-urlencoded")));
  std::vector<std::string> ours;
  for (const std::string& name : requests[0].HeaderNames()) {
    if (name == "Referer" || name == "Accept" || name == "Accept-Language" || name == "Content-Type") {
      ours.push_back(name);
    }
  }
  EXPECT_THAT(ours, ElementsAre("Referer", "Accept", "Accept-Language", "Content-Type"));
}

TEST_F(WebRequestServer, PostSendsTheTextAsItsBody) {
  server.Script(HttpResponse("HTTP/1.1 200 OK", {}, "posted"));
  Text form = "a=1&b=2";
  ByteSet postBytes;
  ByteSet body = WebRequest(Address("/post"), {.method = 1, .postText = &form, .postBytes = &postBytes});
  EXPECT_EQ(B(body), "posted");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "POST /post HTTP/1.1");
  EXPECT_EQ(requests[0].body, "a=1&b=2");
  EXPECT_EQ(B(postBytes), "a=1&b=2");
}

TEST_F(WebRequestServer, CookiesLocationAndRawHeadersComeBack) {
  const std::string block =
      "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; path=/\r\nLocation: /there\r\n"
      "Content-Length: 2\r\n\r\n";
  server.Script(block + "ok");
  Text returned, location, raw;
  ByteSet body = WebRequest(Address("/c"), {.returnedCookies = &returned, .returnedLocation = &location,
                                            .rawHeaders = &raw});
  EXPECT_EQ(B(body), "ok");
  EXPECT_EQ(S(returned), "a=1; b=2; ");
  EXPECT_EQ(S(location), "/there");
  EXPECT_EQ(S(raw), block);
}

TEST_F(WebRequestServer, AUtf8DeclarationConvertsTheBody) {
  struct Case {
    const char* name;
    std::string reply;
    std::string expected;
  } cases[] = {
      {"in the header", HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html; charset=utf-8"}, kUtf8), kCp936},
      {"in capitals", HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html; charset=UTF-8"}, kUtf8), kCp936},
      {"in the body", HttpResponse("HTTP/1.1 200 OK", {}, "<meta charset=utf-8>" + kUtf8),
       "<meta charset=utf-8>" + kCp936},
      {"chunked", HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html; charset=utf-8",
                                                   "Transfer-Encoding: chunked"}, ChunkedBody(kUtf8 + kUtf8, 4)),
       kCp936 + kCp936},
      {"none", HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html"}, kUtf8), kUtf8},
  };
  for (const Case& c : cases) {
    server.Script(c.reply);
    EXPECT_EQ(B(WebRequest(Address("/page"))), c.expected) << c.name;
  }
}

TEST_F(WebRequestServer, LargeBodiesArriveWholeUpToTheBound) {
  std::string big(1 << 20, 'm');
  big.back() = 'z';
  server.Script(HttpResponse("HTTP/1.1 200 OK", {}, big));
  EXPECT_TRUE(WebRequest(Address("/big")).Bytes() == big);

  // A server that never stops sending: the routine gives up at 32 MiB.
  server.Script(ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n",
                              .then = ScriptedReply::Then::Endless,
                              .endlessPiece = std::string(16384, 'e')});
  Text raw;
  EXPECT_TRUE(WebRequest(Address("/endless"), {.rawHeaders = &raw}).IsEmpty());
  EXPECT_EQ(S(raw), "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n");
}

TEST_F(WebRequestServer, A301IsFollowedByTheRoutineAndA302ByTheLayer) {
  // noRedirect: the layer hands the 301 up, and the routine follows it
  // through a direct session without the layer's cookie store.
  server.Script(HttpResponse("HTTP/1.1 301 Moved Permanently",
                             {"Location: " + server.Address("/new?z"), "Set-Cookie: seen301=1; path=/"}, ""));
  server.Script(HttpResponse("HTTP/1.1 200 OK", {}, "new"));
  Text raw;
  EXPECT_EQ(B(WebRequest(Address("/old"), {.noRedirect = true, .rawHeaders = &raw})), "new");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].requestLine, "GET /old HTTP/1.1");
  EXPECT_EQ(requests[1].requestLine, "GET /new?z HTTP/1.1");
  EXPECT_THAT(requests[1].Header("Referer"), Optional(server.Address("/old")));
  EXPECT_EQ(requests[1].Header("Cookie"), std::nullopt);
  EXPECT_EQ(S(raw), "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n");

  RawHttpServer other;
  other.Script(HttpResponse("HTTP/1.1 302 Found", {"Location: /found"}, "moved"));
  other.Script(HttpResponse("HTTP/1.1 200 OK", {}, "found"));
  EXPECT_EQ(B(WebRequest(Text(other.Address("/start")))), "found");
  ASSERT_EQ(other.Requests().size(), 2u);
  EXPECT_EQ(other.Requests()[1].requestLine, "GET /found HTTP/1.1");
}

TEST_F(WebRequestServer, AHeaderBlockOver5000BytesIsNotRead) {
  std::vector<std::string> lines;
  for (int i = 0; i < 60; ++i) lines.push_back("Set-Cookie: c" + std::to_string(i) + "=" + std::string(90, 'v') + ";");
  server.Script(HttpResponse("HTTP/1.1 200 OK", lines, "body"));
  Text returned, location, raw;
  ByteSet body = WebRequest(Address("/many"), {.returnedCookies = &returned, .returnedLocation = &location,
                                               .rawHeaders = &raw});
  EXPECT_EQ(B(body), "body");
  EXPECT_EQ(S(raw), std::string(5000, ' '));
  EXPECT_EQ(S(location), std::string(5000, ' '));
  EXPECT_EQ(S(returned), "");
}

TEST_F(WebRequestServer, FailuresGiveTheEmptyByteSet) {
  RefusingPort refusing;
  Text headers, raw;
  EXPECT_TRUE(WebRequest(Text("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/x"),
                         {.headers = &headers, .rawHeaders = &raw})
                  .IsEmpty());
  EXPECT_EQ(S(raw), std::string(5000, ' '));
  EXPECT_EQ(S(headers).rfind("Referer: http://127.0.0.1:", 0), 0u);

  // Never answers: bounded by the layer's time-outs.
  server.Script(ScriptedReply{.bytes = "", .then = ScriptedReply::Then::Stall});
  EXPECT_TRUE(WebRequest(Address("/silent")).IsEmpty());
}

TEST_F(WebRequestServer, ABodyCutShortGivesWhatArrived) {
  // Neither layer tells a cut-off body from a whole one: the routine returns
  // the bytes that came.
  server.Script(HttpResponse("HTTP/1.1 200 OK", {"Content-Length: 100000"}, std::string(3000, 'p')));
  std::string body = B(WebRequest(Address("/cut")));
  EXPECT_LE(body.size(), 3000u);
  EXPECT_EQ(body, std::string(body.size(), 'p'));
}

}  // namespace
}  // namespace idwatch
