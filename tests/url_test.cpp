#include <gtest/gtest.h>

#include <string>

#include "http/url.h"

namespace idwatch {
namespace {

std::string S(const Text& text) { return std::string(text.Bytes()); }

TEST(Url, HostPortAndPathOfAnAddress) {
  struct Case {
    const char* address;
    const char* host;
    int port;
    const char* path;
  } cases[] = {
      {"http://a.test/f?kw=x&ie=utf-8", "a.test", 80, "/f?kw=x&ie=utf-8"},
      {"HTTPS://A.Test/X", "a.test", 443, "/X"},
      {"a.test/x", "a.test", 80, "/x"},
      {"http://a.test", "a.test", 80, "/"},
      {"http://a.test:81/x", "a.test", 81, "/x"},
      {"https://a.test:444", "a.test", 444, "/"},
      {"http://a.test?x=1", "a.test?x=1", 80, "/"},
      {"http://a.test:/x", "a.test", 0, "/x"},
      {"", "", 80, "/"},
      // A scheme-less address takes its host from an "http://" in its query.
      {"a.test/?u=http://b.test/x", "b.test", 80, "/x"},
      // Another scheme becomes the host.
      {"ftp://a.test/x", "ftp", 0, "//a.test/x"},
      // "https" as the first letters of a scheme-less host counts as secure.
      {"httpshop.test/x", "httpshop.test", 443, "/x"},
      // The host is searched from the first byte, so "p" is found in "http".
      {"http://p/x", "p", 80, "//p/x"},
      // User information: the user name is the host, the port is not a number.
      {"http://user:pw@a.test/x", "user", 0, "/x"},
      {"http://a.test/x#part", "a.test", 80, "/x#part"},
      {"http://127.0.0.1:8080/f?kw=%E5%90%A7", "127.0.0.1", 8080, "/f?kw=%E5%90%A7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S(UrlHost(c.address)), c.host) << c.address;
    EXPECT_EQ(UrlPort(c.address), c.port) << c.address;
    EXPECT_EQ(S(UrlPath(c.address)), c.path) << c.address;
  }
}

TEST(Url, HostOptionsKeepThePortOrReduceToTheDomain) {
  struct Case {
    const char* address;
    bool domainOnly;
    bool keepPort;
    const char* host;
  } cases[] = {
      {"http://a.test:81/x", false, true, "a.test:81"},
      {"http://a.test/x", false, true, "a.test"},
      {"http://s.a.test/", true, false, "a.test"},
      {"http://a.test/", true, false, "a.test"},
      {"http://box/", true, false, "box"},
      {"http://s.a.test:81/", true, false, "a.test"},
      {"http://s.a.test:81/", true, true, "a.test:81"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(S(UrlHost(c.address, c.domainOnly, c.keepPort)), c.host)
        << c.address << " domainOnly=" << c.domainOnly << " keepPort=" << c.keepPort;
  }
}

}  // namespace
}  // namespace idwatch
