#pragma once
// A raw HTTP server for tests: it listens on 127.0.0.1, answers every request
// with exactly the bytes a test scripted (status line, headers, body, all of
// it written by the test, valid or not), and records every request it got.
//
//   RawHttpServer server;                       // port chosen by the OS
//   server.Script(HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html"}, "<p>hi</p>"));
//   ... fetch server.Address("/f?kw=x") ...
//   server.Requests()[0].requestLine            // "GET /f?kw=x HTTP/1.1"
//
// Each request takes the next scripted reply, whatever connection it came on;
// when the script has run out it takes the reply set with ScriptForever, and
// without one the connection is closed unanswered. A reply says what happens
// after its bytes: close the connection, keep it open and silent (a stalled
// body, or a server that never answers when the bytes are empty), send a piece
// again and again (an endless body), or wait for the next request on it.
//
// One thread of its own serves every connection at once (plain sockets, poll;
// Winsock on Windows). The member functions may be called from any thread.
// The destructor closes every connection and stops the thread.
// A request is read as its head (up to the empty line) and a body of the
// length its Content-Length line gives; heads over 1 MiB and bodies over
// 64 MiB end the connection unanswered.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace idwatch::test {

struct ScriptedReply {
  enum class Then {
    Close,      // close the connection once the bytes are out
    Stall,      // keep the connection open and send nothing more
    Endless,    // send `endlessPiece` over and over until the client goes away
    KeepAlive,  // read the next request on the same connection
  };
  std::string bytes;
  Then then = Then::Close;
  std::string endlessPiece = std::string(1024, 'x');
};

struct RecordedRequest {
  std::string requestLine;               // "GET /path?query HTTP/1.1"
  std::vector<std::string> headerLines;  // "Name: value", in the order received
  std::string body;

  // The value of the first header line with that name (ASCII case folded),
  // without the spaces around it; nullopt when there is no such line.
  std::optional<std::string> Header(std::string_view name) const;
  // The header names in the order received.
  std::vector<std::string> HeaderNames() const;
};

class RawHttpServer {
 public:
  // Listens on 127.0.0.1:port; 0 lets the OS choose a free port.
  explicit RawHttpServer(std::uint16_t port = 0);
  ~RawHttpServer();
  RawHttpServer(const RawHttpServer&) = delete;
  RawHttpServer& operator=(const RawHttpServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by pathAndQuery.
  std::string Address(std::string_view pathAndQuery = "/") const;

  // Appends a reply to the script: the next unanswered request gets it.
  void Script(ScriptedReply reply);
  void Script(std::string bytes) { Script(ScriptedReply{std::move(bytes)}); }
  // The reply for every request that finds the script run out.
  void ScriptForever(ScriptedReply reply);

  std::vector<RecordedRequest> Requests() const;
  // Waits until at least `count` requests have been recorded; false on time-out.
  bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;
  // The number of connections accepted so far.
  std::size_t Connections() const;

 private:
  struct Connection;
  void Serve();
  void Accept();
  bool OnReadable(Connection& connection);
  bool OnWritable(Connection& connection);
  bool TakeRequests(Connection& connection);
  std::optional<ScriptedReply> NextReply();

  std::uintptr_t listener_;
  std::uint16_t port_ = 0;
  std::vector<std::unique_ptr<Connection>> connections_;  // serving thread only

  mutable std::mutex mutex_;
  mutable std::condition_variable recorded_;
  std::deque<ScriptedReply> script_;
  std::optional<ScriptedReply> forever_;
  std::vector<RecordedRequest> requests_;
  std::size_t accepted_ = 0;
  bool stopping_ = false;

  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens while the object lives: a
// connection attempt is refused at once.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  std::uint16_t Port() const { return port_; }

 private:
  std::uintptr_t socket_;
  std::uint16_t port_ = 0;
};

// A whole response: the status line, the header lines, a Content-Length line
// unless one of the given lines names Content-Length or Transfer-Encoding,
// the empty line and the body.
std::string HttpResponse(std::string_view statusLine, const std::vector<std::string>& headerLines,
                         std::string_view body);

// `body` in the chunked transfer coding, in chunks of at most `chunkSize`
// bytes, with the final zero-length chunk.
std::string ChunkedBody(std::string_view body, std::size_t chunkSize);

}  // namespace idwatch::test
