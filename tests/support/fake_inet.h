#pragma once
// A scripted stand-in for the HTTP layer, for unit tests of the routines above
// it. It records every call with its arguments, written out as text so that a
// test can compare whole call sequences, and answers from a script of
// exchanges: each InternetOpenA takes the next exchange, and the calls on the
// handles that follow answer from it.
//
//   FakeInet inet;
//   inet.Script({.rawHeaders = "HTTP/1.1 200 OK\r\n\r\n", .body = "hi"});
//   WebRequest("http://a.test/x", {.inet = &inet});
//   inet.CallTexts()  // {"InternetOpenA(\"Mozilla/4.0 ...\", 1, null, null, 0) -> h1", ...}
//
// Strings are written in double quotes with CR and LF as \r and \n, absent
// pointers as null, request flags in hexadecimal, handles as h1, h2, ... in
// the order they were handed out, a failed open as "-> null". Reads are
// written without their buffer: InternetReadFile(h3, 1024) -> 5.
// One thread at a time.

#include <cstddef>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "http/inet.h"

namespace idwatch::test {

struct FakeExchange {
  bool sessionFails = false;
  bool connectionFails = false;
  bool requestFails = false;
  // A failed send: it returns false, the body is empty and the raw header
  // query fails, as for a server that cannot be reached.
  bool sendFails = false;
  // The raw header block the query hands out (the fake adds the NUL); empty:
  // the query fails as it does without a response.
  std::string rawHeaders;
  std::string body;
  // The most bytes one read hands out, below the size asked for.
  std::size_t piece = 1024;
};

class FakeInet : public Inet {
 public:
  // Appends an exchange. InternetOpenA without an exchange left fails.
  void Script(FakeExchange exchange) { script_.push_back(std::move(exchange)); }

  std::vector<std::string> CallTexts() const { return calls_; }
  // Handles handed out and not closed yet.
  std::size_t OpenHandles() const { return open_.size(); }
  // Benchmarks switch recording off so that it does not dominate what they measure.
  void Record(bool on) { record_ = on; }

  InetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy, const char* proxyBypass,
                           std::uint32_t flags) override;
  InetHandle InternetConnectA(InetHandle session, const char* serverName, std::uint16_t serverPort,
                              const char* userName, const char* password, std::uint32_t service,
                              std::uint32_t flags, std::uintptr_t context) override;
  InetHandle HttpOpenRequestA(InetHandle connection, const char* verb, const char* objectName, const char* version,
                              const char* referrer, const char** acceptTypes, std::uint32_t flags,
                              std::uintptr_t context) override;
  bool HttpSendRequestA(InetHandle request, const char* headers, std::uint32_t headersLength, const void* optional,
                        std::uint32_t optionalLength) override;
  bool InternetReadFile(InetHandle request, void* buffer, std::uint32_t bytesToRead,
                        std::uint32_t* bytesRead) override;
  bool HttpQueryInfoA(InetHandle request, std::uint32_t infoLevel, void* buffer, std::uint32_t* bufferLength,
                      std::uint32_t* index) override;
  bool InternetCloseHandle(InetHandle handle) override;

 private:
  InetHandle NewHandle();
  std::string Name(InetHandle handle) const;
  void Note(std::string call);

  std::deque<FakeExchange> script_;
  FakeExchange current_;
  bool sent_ = false;
  std::size_t bodyRead_ = 0;
  std::vector<std::string> calls_;
  std::set<std::uintptr_t> open_;
  std::uintptr_t nextHandle_ = 1;
  bool record_ = true;
};

}  // namespace idwatch::test
