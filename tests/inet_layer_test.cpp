// The platform's HTTP layer (libcurl on Linux, WinInet on Windows) against the
// raw test server: the same tests prove on both platforms the behaviour that
// the web request routine relies on.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "http/inet.h"
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

constexpr std::uint32_t kPlainFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE |
                                      INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
const char kAgent[] = "idwatch-test/1.0";

// What one exchange through the layer gave, taken the way the web request
// routine takes it.
struct Outcome {
  bool sessionOpened = false;
  bool sent = false;
  std::string body;
  std::size_t largestPiece = 0;
  bool queried = false;
  std::string rawHeaders;  // the query buffer up to its NUL, or all of it
  std::uint32_t rawHeadersLength = 0;  // the length the query reported
};

struct Call {
  std::string object = "/";
  std::string verb = "GET";
  std::uint32_t flags = kPlainFlags;
  std::string headers;
  const std::string* body = nullptr;
  std::uint32_t rawHeadersSpace = 5000;
  const char* proxyList = nullptr;  // a proxy session instead of a direct one
  std::string host = "127.0.0.1";
  std::size_t readAtMost = std::string::npos;  // stop reading after this many bytes
};

Outcome Exchange(std::uint16_t port, const Call& call) {
  Inet& inet = PlatformInet();
  Outcome outcome;
  InetHandle session = call.proxyList ? inet.InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PROXY, call.proxyList, "", 0)
                                      : inet.InternetOpenA(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (!session) return outcome;
  outcome.sessionOpened = true;
  InetHandle connection =
      inet.InternetConnectA(session, call.host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  InetHandle request = connection ? inet.HttpOpenRequestA(connection, call.verb.c_str(), call.object.c_str(),
                                                          "HTTP/1.1", nullptr, nullptr, call.flags, 0)
                                  : nullptr;
  if (request) {
    outcome.sent = inet.HttpSendRequestA(request, call.headers.c_str(), static_cast<std::uint32_t>(call.headers.size()),
                                         call.body ? call.body->data() : nullptr,
                                         call.body ? static_cast<std::uint32_t>(call.body->size()) : 0);
    for (;;) {
      char buffer[1024] = {};
      std::uint32_t read = 0;
      inet.InternetReadFile(request, buffer, sizeof buffer, &read);
      if (read == 0) break;
      outcome.largestPiece = std::max<std::size_t>(outcome.largestPiece, read);
      outcome.body.append(buffer, read);
      if (outcome.body.size() >= call.readAtMost) break;
    }
    std::string space(call.rawHeadersSpace, ' ');
    std::uint32_t length = call.rawHeadersSpace;
    outcome.queried = inet.HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, space.data(), &length, nullptr);
    outcome.rawHeaders = space.substr(0, space.find('\0'));
    outcome.rawHeadersLength = length;
    EXPECT_TRUE(inet.InternetCloseHandle(request));
  }
  if (connection) {
    EXPECT_TRUE(inet.InternetCloseHandle(connection));
  }
  EXPECT_TRUE(inet.InternetCloseHandle(session));
  return outcome;
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 1024) % 26);
  return bytes;
}

// A name no earlier run can have left in a persistent cookie store.
std::string UniqueName(const char* stem) {
  static std::mt19937_64 random(std::random_device{}());
  return stem + std::to_string(random() % 1000000000);
}

class InetLayer : public ::testing::Test {
 protected:
  // Short time-outs, so that the tests of servers that stall end quickly.
  void SetUp() override { SetInetTimeouts({.connectMs = 5000, .sendMs = 1500, .receiveMs = 1500}); }
  void TearDown() override { SetInetTimeouts({}); }

  RawHttpServer server;
};

TEST_F(InetLayer, PlainGetSendsTheObjectAgentAndHeaderLinesInOrder) {
  server.Script(HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html"}, "hello"));
  Outcome outcome = Exchange(server.Port(), {.object = "/f?kw=x&ie=utf-8",
                                             .headers = "Referer: http://127.0.0.1/f\r\nAccept: */*\r\n"
                                                        "Accept-Language: zh-cn\r\n"
                                                        "Content-Type: application/x-www-form-urlencoded"});
  EXPECT_TRUE(outcome.sent);
  EXPECT_EQ(outcome.body, "hello");
  EXPECT_TRUE(outcome.queried);
  EXPECT_EQ(outcome.rawHeaders, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n\r\n");

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.requestLine, "GET /f?kw=x&ie=utf-8 HTTP/1.1");
  EXPECT_THAT(request.Header("User-Agent"), Optional(std::string(kAgent)));
  EXPECT_THAT(request.Header("Host"), Optional("127.0.0.1:" + std::to_string(server.Port())));
  std::vector<std::string> ours;
  for (const std::string& name : request.HeaderNames()) {
    if (name == "Referer" || name == "Accept" || name == "Accept-Language" || name == "Content-Type") {
      ours.push_back(name);
    }
  }
  EXPECT_THAT(ours, ElementsAre("Referer", "Accept", "Accept-Language", "Content-Type"));
  EXPECT_THAT(request.Header("Accept"), Optional(std::string("*/*")));
  EXPECT_EQ(request.body, "");
}

TEST_F(InetLayer, PostAndGetWithABodySendItsBytes) {
  const std::string body("a=1&b=\0x", 8);
  for (const char* verb : {"POST", "GET"}) {
    RawHttpServer fresh;
    fresh.Script(HttpResponse("HTTP/1.1 200 OK", {}, "ok"));
    Outcome outcome = Exchange(fresh.Port(), {.verb = verb, .headers = "X-Test: 1", .body = &body});
    EXPECT_EQ(outcome.body, "ok") << verb;
    ASSERT_EQ(fresh.Requests().size(), 1u) << verb;
    EXPECT_EQ(fresh.Requests()[0].requestLine, std::string(verb) + " / HTTP/1.1");
    EXPECT_EQ(fresh.Requests()[0].body, body) << verb;
    EXPECT_THAT(fresh.Requests()[0].Header("Content-Length"), Optional(std::string("8"))) << verb;
  }
}

TEST_F(InetLayer, BodiesArriveInPiecesOfAtMostTheAskedSize) {
  const std::string big = Pattern(1 << 20);
  struct Case {
    const char* name;
    std::string reply;
    std::string expected;
  } cases[] = {
      {"chunked", HttpResponse("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, ChunkedBody("0123456789abc", 4)),
       "0123456789abc"},
      {"1 MiB", HttpResponse("HTTP/1.1 200 OK", {}, big), big},
      {"1 MiB chunked", HttpResponse("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, ChunkedBody(big, 3000)), big},
      {"until close", std::string("HTTP/1.0 200 OK\r\n\r\n") + "no length", "no length"},
      {"empty", HttpResponse("HTTP/1.1 204 No Content", {"Content-Length: 0"}, ""), ""},
  };
  for (const Case& c : cases) {
    server.Script(c.reply);
    Outcome outcome = Exchange(server.Port(), {});
    EXPECT_TRUE(outcome.sent) << c.name;
    EXPECT_TRUE(outcome.body == c.expected) << c.name << ": " << outcome.body.size() << " bytes";
    EXPECT_LE(outcome.largestPiece, 1024u) << c.name;
  }
}

TEST_F(InetLayer, RawHeaderBlockFillsTheBufferOnlyWhenItFitsWithItsNul) {
  // A block of exactly `blockLength` bytes: many lines of about 100 bytes,
  // as a response that sets many cookies has them.
  auto reply = [](std::size_t blockLength) {
    std::string block = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n";
    for (int line = 0; block.size() + 2 < blockLength; ++line) {
      std::string name = "X-Pad" + std::to_string(line) + ": ";
      std::size_t left = blockLength - 2 - block.size();
      std::size_t value = (left < 200 ? left : 100) - name.size() - 2;
      block += name + std::string(value, 'p') + "\r\n";
    }
    return block + "\r\n";
  };
  struct Case {
    std::size_t blockLength;
    bool fits;
  } cases[] = {{4999, true}, {5000, false}, {7000, false}};
  for (const Case& c : cases) {
    server.Script(reply(c.blockLength));
    Outcome outcome = Exchange(server.Port(), {});
    EXPECT_EQ(outcome.queried, c.fits) << c.blockLength;
    // The length of the block, or the room it needs with its NUL.
    EXPECT_EQ(outcome.rawHeadersLength, c.fits ? c.blockLength : c.blockLength + 1);
    if (c.fits) {
      EXPECT_EQ(outcome.rawHeaders, reply(c.blockLength)) << c.blockLength;
    } else {
      EXPECT_EQ(outcome.rawHeaders, std::string(5000, ' ')) << c.blockLength;
    }
  }
}

TEST_F(InetLayer, RedirectsAreFollowedByTheLayerUnlessTurnedOff) {
  std::string moved = HttpResponse("HTTP/1.1 302 Found", {"Location: /next?b=2"}, "moved");
  std::string final = HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/plain"}, "arrived");

  server.Script(moved);
  server.Script(final);
  Outcome followed = Exchange(server.Port(), {.object = "/first?a=1"});
  EXPECT_EQ(followed.body, "arrived");
  EXPECT_EQ(followed.rawHeaders, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 7\r\n\r\n");
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].requestLine, "GET /next?b=2 HTTP/1.1");

  RawHttpServer other;
  other.Script(moved);
  Outcome kept = Exchange(other.Port(), {.object = "/first?a=1", .flags = kPlainFlags | INTERNET_FLAG_NO_AUTO_REDIRECT});
  EXPECT_EQ(kept.body, "moved");
  EXPECT_EQ(kept.rawHeaders, "HTTP/1.1 302 Found\r\nLocation: /next?b=2\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(other.Requests().size(), 1u);
}

// The cookie store is the whole process's: other tests leave cookies for
// 127.0.0.1 in it too, so only names of this test's own are looked for.
bool SendsCookie(const idwatch::test::RecordedRequest& request, const std::string& nameAndValue) {
  std::string cookies = "; " + request.Header("Cookie").value_or("") + ";";
  return cookies.find("; " + nameAndValue + ";") != std::string::npos;
}

TEST_F(InetLayer, CookiesAreSharedAcrossSessionsAndThreadsUnlessTurnedOff) {
  const std::string name = UniqueName("c");
  server.ScriptForever({HttpResponse("HTTP/1.1 200 OK", {"Set-Cookie: " + name + "=v1; path=/"}, "x")});

  Exchange(server.Port(), {.object = "/set"});
  std::thread([&] { Exchange(server.Port(), {.object = "/other-thread"}); }).join();
  Exchange(server.Port(), {.object = "/no-cookies", .flags = kPlainFlags | INTERNET_FLAG_NO_COOKIES});

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_FALSE(SendsCookie(requests[0], name + "=v1"));
  EXPECT_TRUE(SendsCookie(requests[1], name + "=v1"));
  EXPECT_EQ(requests[2].Header("Cookie"), std::nullopt);

  // A response to a request without cookies is not stored either.
  const std::string unseen = UniqueName("n");
  RawHttpServer other;
  other.Script(HttpResponse("HTTP/1.1 200 OK", {"Set-Cookie: " + unseen + "=1; path=/"}, "x"));
  other.ScriptForever({HttpResponse("HTTP/1.1 200 OK", {}, "x")});
  Exchange(other.Port(), {.flags = kPlainFlags | INTERNET_FLAG_NO_COOKIES});
  Exchange(other.Port(), {});
  ASSERT_EQ(other.Requests().size(), 2u);
  EXPECT_FALSE(SendsCookie(other.Requests()[1], unseen + "=1"));
}

TEST_F(InetLayer, ExchangesOnSeveralThreadsAtOnceAreIndependent) {
  const std::string name = UniqueName("t");
  server.ScriptForever({HttpResponse("HTTP/1.1 200 OK", {"Set-Cookie: " + name + "=1; path=/"}, Pattern(20000))});
  std::vector<std::thread> threads;
  std::vector<int> whole(6, 0);
  for (std::size_t t = 0; t < whole.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) whole[t] += Exchange(server.Port(), {.object = "/t"}).body == Pattern(20000);
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_THAT(whole, ::testing::Each(5));
  EXPECT_EQ(server.Requests().size(), whole.size() * 5);
}

TEST_F(InetLayer, ProxyListNamesTheHttpProxyAndHttpEqualsAloneIsDirect) {
  server.ScriptForever({HttpResponse("HTTP/1.1 200 OK", {}, "via")});
  std::string list = "http=127.0.0.1:" + std::to_string(server.Port());
  // Through the proxy the request names a host nobody resolves: only the proxy
  // is connected to.
  Outcome proxied = Exchange(80, {.object = "/p?q=1", .proxyList = list.c_str(), .host = "proxied.invalid"});
  EXPECT_EQ(proxied.body, "via");
  ASSERT_EQ(server.Requests().size(), 1u);
  // The absolute form, with or without the default port.
  EXPECT_THAT(server.Requests()[0].requestLine,
              ::testing::AnyOf("GET http://proxied.invalid/p?q=1 HTTP/1.1",
                               "GET http://proxied.invalid:80/p?q=1 HTTP/1.1"));

  Outcome direct = Exchange(server.Port(), {.object = "/d", .proxyList = "http="});
  EXPECT_EQ(direct.body, "via");
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].requestLine, "GET /d HTTP/1.1");
}

TEST_F(InetLayer, FailuresEndWithACountOfZeroAndNoHeaders) {
  RefusingPort refusing;
  Outcome refused = Exchange(refusing.Port(), {});
  EXPECT_TRUE(refused.sessionOpened);
  EXPECT_FALSE(refused.sent);
  EXPECT_EQ(refused.body, "");
  EXPECT_FALSE(refused.queried);
  EXPECT_EQ(refused.rawHeaders, std::string(5000, ' '));

  // Never answers: bounded by the receive time-out.
  server.Script(ScriptedReply{.bytes = "", .then = ScriptedReply::Then::Stall});
  Outcome silent = Exchange(server.Port(), {});
  EXPECT_FALSE(silent.sent);
  EXPECT_EQ(silent.body, "");
  EXPECT_FALSE(silent.queried);
}

TEST_F(InetLayer, ABodyCutShortGivesWhatArrivedThenZero) {
  const std::string part = Pattern(3000);
  struct Case {
    const char* name;
    ScriptedReply reply;
  } cases[] = {
      {"closed mid-body", {HttpResponse("HTTP/1.1 200 OK", {"Content-Length: 10000"}, part)}},
      {"stalled mid-body",
       {HttpResponse("HTTP/1.1 200 OK", {"Content-Length: 10000"}, part), ScriptedReply::Then::Stall}},
      {"closed mid-chunk",
       {HttpResponse("HTTP/1.1 200 OK", {"Transfer-Encoding: chunked"}, "2000\r\n" + part)}},
  };
  for (const Case& c : cases) {
    server.Script(c.reply);
    Outcome outcome = Exchange(server.Port(), {});
    EXPECT_TRUE(outcome.sent) << c.name;
    EXPECT_LE(outcome.body.size(), part.size()) << c.name;
    EXPECT_EQ(outcome.body, part.substr(0, outcome.body.size())) << c.name;
  }
}

TEST_F(InetLayer, AnEndlessBodyCanBeLeftAtAnyPoint) {
  server.Script(ScriptedReply{.bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n\r\n",
                              .then = ScriptedReply::Then::Endless,
                              .endlessPiece = std::string(4096, 'e')});
  Outcome outcome = Exchange(server.Port(), {.readAtMost = 4u << 20});
  EXPECT_GE(outcome.body.size(), 4u << 20);
  EXPECT_LT(outcome.body.size(), (4u << 20) + 1024);
  EXPECT_EQ(outcome.body.find_first_not_of('e'), std::string::npos);
  EXPECT_TRUE(outcome.queried);
}

}  // namespace
}  // namespace idwatch
