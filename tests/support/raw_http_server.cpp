#include "tests/support/raw_http_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace idwatch::test {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
const Socket kNoSocket = INVALID_SOCKET;
using PollEntry = WSAPOLLFD;

void StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}
void CloseSocket(Socket s) { closesocket(s); }
void SetNonBlocking(Socket s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}
int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) {
  return WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
}
bool WouldBlock() { return WSAGetLastError() == WSAEWOULDBLOCK; }
int SendFlags() { return 0; }
const int kShutdownWrite = SD_SEND;
#else
using Socket = int;
const Socket kNoSocket = -1;
using PollEntry = pollfd;

void StartSockets() {}
void CloseSocket(Socket s) { close(s); }
void SetNonBlocking(Socket s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK); }
int PollSockets(PollEntry* entries, std::size_t count, int timeoutMs) {
  return poll(entries, static_cast<nfds_t>(count), timeoutMs);
}
bool WouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK; }
int SendFlags() { return MSG_NOSIGNAL; }
const int kShutdownWrite = SHUT_WR;
#endif

constexpr std::size_t kMaxHead = 1 << 20;
constexpr std::size_t kMaxBody = 64u << 20;
constexpr int kPollMs = 20;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "RawHttpServer: %s failed\n", what);
  std::abort();
}

// Binds a TCP socket to 127.0.0.1:port and reports the port it got.
Socket BindLoopback(std::uint16_t port, std::uint16_t& boundPort) {
  StartSockets();
  Socket s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == kNoSocket) Fail("socket");
  if (port != 0) {
    int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Fail("bind");
  socklen_t length = sizeof address;
  if (getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) Fail("getsockname");
  boundPort = ntohs(address.sin_port);
  return s;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The header lines of a request head (without its request line), split at
// CR LF or a bare LF.
std::vector<std::string> SplitLines(std::string_view head) {
  std::vector<std::string> lines;
  while (!head.empty()) {
    std::size_t end = head.find('\n');
    std::string_view line = head.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    head.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::optional<std::string> RecordedRequest::Header(std::string_view name) const {
  for (const std::string& line : headerLines) {
    std::size_t colon = line.find(':');
    if (colon != std::string::npos && EqualsFolded(Trim(std::string_view(line).substr(0, colon)), name)) {
      return std::string(Trim(std::string_view(line).substr(colon + 1)));
    }
  }
  return std::nullopt;
}

std::vector<std::string> RecordedRequest::HeaderNames() const {
  std::vector<std::string> names;
  for (const std::string& line : headerLines) names.emplace_back(Trim(line.substr(0, line.find(':'))));
  return names;
}

struct RawHttpServer::Connection {
  enum class State { Reading, Writing, Stalled, Endless, Done };
  Socket socket = kNoSocket;
  State state = State::Reading;
  std::string in;
  std::string out;
  std::size_t sent = 0;
  ScriptedReply::Then then = ScriptedReply::Then::Close;
  std::string endlessPiece;
};

RawHttpServer::RawHttpServer(std::uint16_t port) {
  Socket s = BindLoopback(port, port_);
  if (listen(s, 64) != 0) Fail("listen");
  SetNonBlocking(s);
  listener_ = static_cast<std::uintptr_t>(s);
  thread_ = std::thread([this] { Serve(); });
}

RawHttpServer::~RawHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  thread_.join();
  for (auto& connection : connections_) CloseSocket(connection->socket);
  CloseSocket(static_cast<Socket>(listener_));
}

std::string RawHttpServer::Address(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(pathAndQuery);
}

void RawHttpServer::Script(ScriptedReply reply) {
  std::lock_guard lock(mutex_);
  script_.push_back(std::move(reply));
}

void RawHttpServer::ScriptForever(ScriptedReply reply) {
  std::lock_guard lock(mutex_);
  forever_ = std::move(reply);
}

std::vector<RecordedRequest> RawHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

bool RawHttpServer::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return recorded_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

std::size_t RawHttpServer::Connections() const {
  std::lock_guard lock(mutex_);
  return accepted_;
}

void RawHttpServer::Serve() {
  std::vector<PollEntry> entries;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
    }
    entries.clear();
    entries.push_back(PollEntry{static_cast<Socket>(listener_), POLLIN, 0});
    for (auto& connection : connections_) {
      short events = POLLIN;
      if (connection->state == Connection::State::Writing || connection->state == Connection::State::Endless) {
        events |= POLLOUT;
      }
      entries.push_back(PollEntry{connection->socket, events, 0});
    }
    if (PollSockets(entries.data(), entries.size(), kPollMs) <= 0) continue;

    if (entries[0].revents & POLLIN) Accept();
    // Entries 1.. line up with the connections that existed before Accept.
    for (std::size_t i = 1; i < entries.size(); ++i) {
      Connection& connection = *connections_[i - 1];
      bool open = true;
      if (entries[i].revents & (POLLIN | POLLHUP | POLLERR)) open = OnReadable(connection);
      if (open && (entries[i].revents & POLLOUT)) open = OnWritable(connection);
      if (!open) connection.state = Connection::State::Done;
    }
    for (auto& connection : connections_) {
      if (connection->state == Connection::State::Done) CloseSocket(connection->socket);
    }
    std::erase_if(connections_, [](const auto& c) { return c->state == Connection::State::Done; });
  }
}

void RawHttpServer::Accept() {
  for (;;) {
    Socket s = accept(static_cast<Socket>(listener_), nullptr, nullptr);
    if (s == kNoSocket) return;
    SetNonBlocking(s);
    int on = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    auto connection = std::make_unique<Connection>();
    connection->socket = s;
    connections_.push_back(std::move(connection));
    std::lock_guard lock(mutex_);
    ++accepted_;
  }
}

// Reads what has arrived. False when the connection should be closed: the
// client went away, or sent more than the server accepts.
bool RawHttpServer::OnReadable(Connection& connection) {
  char buffer[16384];
  for (;;) {
    auto got = recv(connection.socket, buffer, sizeof buffer, 0);
    if (got == 0) return false;
    if (got < 0) {
      if (WouldBlock()) break;
      return false;
    }
    // Only a connection that waits for a request keeps what it reads; bytes
    // behind an answered request are dropped.
    if (connection.state == Connection::State::Reading) connection.in.append(buffer, static_cast<std::size_t>(got));
  }
  return connection.state != Connection::State::Reading || TakeRequests(connection);
}

// Takes a complete request out of the input, records it and starts its reply.
bool RawHttpServer::TakeRequests(Connection& connection) {
  std::size_t headEnd = connection.in.find("\r\n\r\n");
  std::size_t separator = 4;
  if (std::size_t bare = connection.in.find("\n\n"); bare < headEnd) {
    headEnd = bare;
    separator = 2;
  }
  if (headEnd == std::string::npos) return connection.in.size() <= kMaxHead;

  RecordedRequest request;
  std::vector<std::string> lines = SplitLines(std::string_view(connection.in).substr(0, headEnd));
  request.requestLine = lines.empty() ? std::string() : lines.front();
  if (!lines.empty()) request.headerLines.assign(lines.begin() + 1, lines.end());
  std::size_t bodyLength = 0;
  if (auto length = request.Header("Content-Length")) {
    bodyLength = std::strtoull(length->c_str(), nullptr, 10);
    if (bodyLength > kMaxBody) return false;
  }
  std::size_t bodyStart = headEnd + separator;
  if (connection.in.size() < bodyStart + bodyLength) return true;
  request.body = connection.in.substr(bodyStart, bodyLength);
  connection.in.erase(0, bodyStart + bodyLength);

  std::optional<ScriptedReply> reply;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
    reply = NextReply();
  }
  recorded_.notify_all();
  if (!reply) return false;
  connection.out = std::move(reply->bytes);
  connection.sent = 0;
  connection.then = reply->then;
  connection.endlessPiece = std::move(reply->endlessPiece);
  connection.state = Connection::State::Writing;
  return OnWritable(connection);
}

// The reply for the request just recorded; the caller holds the lock.
std::optional<ScriptedReply> RawHttpServer::NextReply() {
  if (script_.empty()) return forever_;
  ScriptedReply reply = std::move(script_.front());
  script_.pop_front();
  return reply;
}

bool RawHttpServer::OnWritable(Connection& connection) {
  for (;;) {
    while (connection.sent < connection.out.size()) {
      auto put = send(connection.socket, connection.out.data() + connection.sent,
                      static_cast<int>(std::min<std::size_t>(connection.out.size() - connection.sent, 1 << 20)),
                      SendFlags());
      if (put < 0) return WouldBlock();
      connection.sent += static_cast<std::size_t>(put);
    }
    connection.out.clear();
    connection.sent = 0;
    switch (connection.then) {
      case ScriptedReply::Then::Close:
        shutdown(connection.socket, kShutdownWrite);
        return false;
      case ScriptedReply::Then::Stall:
        connection.state = Connection::State::Stalled;
        return true;
      case ScriptedReply::Then::KeepAlive:
        connection.state = Connection::State::Reading;
        return TakeRequests(connection);
      case ScriptedReply::Then::Endless:
        if (connection.endlessPiece.empty()) {
          connection.state = Connection::State::Stalled;
          return true;
        }
        connection.state = Connection::State::Endless;
        while (connection.out.size() < 65536) connection.out += connection.endlessPiece;
        break;
    }
  }
}

RefusingPort::RefusingPort() {
  Socket s = BindLoopback(0, port_);
  socket_ = static_cast<std::uintptr_t>(s);
}

RefusingPort::~RefusingPort() { CloseSocket(static_cast<Socket>(socket_)); }

std::string HttpResponse(std::string_view statusLine, const std::vector<std::string>& headerLines,
                         std::string_view body) {
  std::string response(statusLine);
  response += "\r\n";
  bool framed = false;
  for (const std::string& line : headerLines) {
    std::string_view name = Trim(std::string_view(line).substr(0, line.find(':')));
    framed = framed || EqualsFolded(name, "Content-Length") || EqualsFolded(name, "Transfer-Encoding");
    response += line;
    response += "\r\n";
  }
  if (!framed) response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  response += "\r\n";
  response += body;
  return response;
}

std::string ChunkedBody(std::string_view body, std::size_t chunkSize) {
  std::string chunked;
  char size[32];
  while (!body.empty()) {
    std::string_view chunk = body.substr(0, std::max<std::size_t>(chunkSize, 1));
    std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
    chunked += size;
    chunked += chunk;
    chunked += "\r\n";
    body.remove_prefix(chunk.size());
  }
  chunked += "0\r\n\r\n";
  return chunked;
}

}  // namespace idwatch::test
