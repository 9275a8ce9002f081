// The HTTP layer on Linux: libcurl, made to behave as WinInet does for what
// WebRequest relies on.
//
// - A session is direct, or goes through the proxy that a list such as
//   "http=HOST:PORT" names for the request's scheme ("http=" alone: direct).
//   Proxy settings of the environment are never used.
// - Nothing is answered from a cache (libcurl keeps none).
// - One cookie store for the whole process, shared by every session and
//   thread through a share handle with its locks; a request with
//   INTERNET_FLAG_NO_COOKIES neither sends from it nor stores into it.
// - Redirects (301, 302, 303, 307, 308, http and https both ways) are followed
//   here unless INTERNET_FLAG_NO_AUTO_REDIRECT; the request then reports the
//   final response only.
// - INTERNET_FLAG_SECURE selects https.
// - The body streams: HttpSendRequestA returns once the response has begun,
//   and InternetReadFile drives the transfer just far enough for the next
//   piece. The transfer pauses while a small buffer is full, so memory stays
//   bounded whatever the server sends.
// - Time-outs as WinInet's: connecting (curl's own), sending and receiving
//   (no progress for that long ends the transfer), from CurrentInetTimeouts()
//   when the session was opened.
//
// Each request has its own easy and multi handle; handles are checked against
// a registry, so a stale or foreign handle gives a failure, not a crash.

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "http/inet.h"

namespace idwatch {
namespace {

using Clock = std::chrono::steady_clock;

// The transfer pauses once this much body waits for the reader.
constexpr std::size_t kPauseAt = 64 * 1024;
// Header lines beyond this are counted, not kept: such a block fits no
// caller's buffer anyway.
constexpr std::size_t kMaxHeaderBlock = 256 * 1024;
constexpr long kMaxRedirects = 20;
constexpr std::chrono::milliseconds kLongestPoll{200};

struct Handle {
  enum class Kind { Session, Connection, Request };
  explicit Handle(Kind k) : kind(k) {}
  virtual ~Handle() = default;
  Kind kind;
};

struct Session : Handle {
  Session() : Handle(Kind::Session) {}
  std::string agent;
  std::string proxyList;  // empty for a direct session
  InetTimeouts timeouts;
};

struct Connection : Handle {
  Connection() : Handle(Kind::Connection) {}
  Session session;  // a copy: closing the session first cannot leave it dangling
  std::string host;
  std::uint16_t port = 0;
};

struct Request : Handle {
  Request() : Handle(Kind::Request) {}
  ~Request() override {
    if (multi && easy) curl_multi_remove_handle(multi, easy);
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    curl_slist_free_all(headerList);
  }

  Connection connection;
  std::string verb;
  std::string object;
  std::string version;
  std::uint32_t flags = 0;

  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headerList = nullptr;
  std::string url;
  std::string postBody;
  bool sendCalled = false;

  // The header lines of the response being received, without line ends.
  std::vector<std::string> lines;
  std::size_t blockSize = 0;
  bool headersComplete = false;

  std::string pending;  // body received and not read yet, from pendingAt on
  std::size_t pendingAt = 0;
  bool paused = false;
  bool done = false;
  CURLcode result = CURLE_OK;

  bool exchanging = false;  // connected: the send and receive time-outs run
  curl_off_t uploaded = 0;
  Clock::time_point lastProgress;

  bool HasPending() const { return pendingAt < pending.size(); }
};

bool StartsWithFolded(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
           return p == (t >= 'A' && t <= 'Z' ? static_cast<char>(t + 32) : t);
         });
}

// The proxy that a WinInet proxy list names for `scheme`: an entry
// "scheme=server", else an entry without a scheme; nullopt for none.
std::optional<std::string> ProxyFor(std::string_view list, std::string_view scheme) {
  std::optional<std::string> bare;
  std::size_t at = 0;
  while (at < list.size()) {
    std::size_t end = list.find_first_of("; \t", at);
    if (end == std::string_view::npos) end = list.size();
    std::string_view entry = list.substr(at, end - at);
    at = end + 1;
    if (entry.empty()) continue;
    std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      if (!bare) bare = std::string(entry);
    } else if (equals + 1 < entry.size() && entry.substr(0, equals).size() == scheme.size() &&
               StartsWithFolded(entry.substr(0, equals), scheme)) {
      return std::string(entry.substr(equals + 1));
    }
  }
  return bare;
}

// The object as it goes on the request line: the fragment dropped, and the
// bytes that may not appear there raw (controls, space, DEL, bytes of 0x80
// and more, as code page 936 texts have them) percent-encoded.
std::string RequestTarget(std::string_view object) {
  object = object.substr(0, object.find('#'));
  std::string target;
  if (object.empty() || object.front() != '/') target = "/";
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : object) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`' ||
        c == '{' || c == '|' || c == '}') {
      target += '%';
      target += kHex[c >> 4];
      target += kHex[c & 15];
    } else {
      target += static_cast<char>(c);
    }
  }
  return target;
}

// The address of a request, or nullopt when its host is not a host name.
// Scheme, host and port go through libcurl's address parts, which check
// the host; the request target is appended as it is, since setting it as a
// part would rewrite its percent escapes in lower case.
std::optional<std::string> RequestUrl(const Request& request) {
  CURLU* url = curl_url();
  if (!url) return std::nullopt;
  bool ok = !request.connection.host.empty() &&
            curl_url_set(url, CURLUPART_SCHEME, request.flags & INTERNET_FLAG_SECURE ? "https" : "http", 0) ==
                CURLUE_OK &&
            curl_url_set(url, CURLUPART_HOST, request.connection.host.c_str(), 0) == CURLUE_OK;
  if (ok && request.connection.port != 0) {
    ok = curl_url_set(url, CURLUPART_PORT, std::to_string(request.connection.port).c_str(), 0) == CURLUE_OK;
  }
  char* text = nullptr;
  std::optional<std::string> result;
  if (ok && curl_url_get(url, CURLUPART_URL, &text, 0) == CURLUE_OK) {
    std::string base = text;
    if (!base.empty() && base.back() == '/') base.pop_back();
    result = base + RequestTarget(request.object);
  }
  curl_free(text);
  curl_url_cleanup(url);
  return result;
}

// Header lines of HttpSendRequestA, split at CR LF (or a bare LF); empty
// lines dropped. "Expect:" keeps libcurl from waiting for a 100 Continue,
// which WinInet never asks for.
curl_slist* HeaderList(std::string_view headers) {
  curl_slist* list = nullptr;
  auto add = [&list](const std::string& line) {
    curl_slist* longer = curl_slist_append(list, line.c_str());
    if (longer) list = longer;
  };
  while (!headers.empty()) {
    std::size_t end = headers.find('\n');
    std::string_view line = headers.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find('\0') != std::string_view::npos) line = line.substr(0, line.find('\0'));
    if (!line.empty()) add(std::string(line));
    if (end == std::string_view::npos) break;
    headers.remove_prefix(end + 1);
  }
  add("Expect:");
  return list;
}

size_t OnHeaderLine(char* data, size_t size, size_t count, void* user) {
  auto& request = *static_cast<Request*>(user);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  request.lastProgress = Clock::now();
  bool statusLine = StartsWithFolded(line, "http/");
  if (statusLine) {
    // A new response: an interim 1xx, or the next one of a redirect chain.
    request.lines.clear();
    request.blockSize = 0;
    request.headersComplete = false;
  } else if (request.headersComplete) {
    return size * count;  // trailer lines of a chunked body
  }
  if (line.empty()) {
    request.headersComplete = !request.lines.empty();
    return size * count;
  }
  request.blockSize += line.size() + 2;
  if (request.blockSize <= kMaxHeaderBlock) request.lines.emplace_back(line);
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& request = *static_cast<Request*>(user);
  if (request.pending.size() - request.pendingAt >= kPauseAt) {
    request.paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  if (request.pendingAt > 0) {
    request.pending.erase(0, request.pendingAt);
    request.pendingAt = 0;
  }
  request.pending.append(data, size * count);
  request.lastProgress = Clock::now();
  return size * count;
}

int OnConnected(void* user, char*, char*, int, int) {
  auto& request = *static_cast<Request*>(user);
  request.exchanging = true;
  request.lastProgress = Clock::now();
  return CURL_PREREQFUNC_OK;
}

class CurlInet final : public Inet {
 public:
  CurlInet() {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &CurlInet::Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &CurlInet::Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
  }

  InetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy, const char*,
                           std::uint32_t) override {
    auto session = std::make_unique<Session>();
    session->agent = agent ? agent : "";
    if (accessType == INTERNET_OPEN_TYPE_PROXY) {
      if (!proxy) return nullptr;
      session->proxyList = proxy;
    } else if (accessType != INTERNET_OPEN_TYPE_DIRECT) {
      return nullptr;
    }
    session->timeouts = CurrentInetTimeouts();
    return Register(std::move(session));
  }

  InetHandle InternetConnectA(InetHandle sessionHandle, const char* serverName, std::uint16_t serverPort,
                              const char*, const char*, std::uint32_t service, std::uint32_t,
                              std::uintptr_t) override {
    if (service != INTERNET_SERVICE_HTTP || !serverName || !*serverName) return nullptr;
    auto connection = std::make_unique<Connection>();
    {
      std::lock_guard lock(registry_mutex_);
      auto* session = Find<Session>(sessionHandle, Handle::Kind::Session);
      if (!session) return nullptr;
      connection->session = *session;
    }
    connection->host = serverName;
    connection->port = serverPort;
    return Register(std::move(connection));
  }

  InetHandle HttpOpenRequestA(InetHandle connectionHandle, const char* verb, const char* objectName,
                              const char* version, const char*, const char**, std::uint32_t flags,
                              std::uintptr_t) override {
    auto request = std::make_unique<Request>();
    {
      std::lock_guard lock(registry_mutex_);
      auto* connection = Find<Connection>(connectionHandle, Handle::Kind::Connection);
      if (!connection) return nullptr;
      request->connection = *connection;
    }
    request->verb = verb && *verb ? verb : "GET";
    request->object = objectName ? objectName : "/";
    request->version = version ? version : "HTTP/1.1";
    request->flags = flags;
    return Register(std::move(request));
  }

  bool HttpSendRequestA(InetHandle requestHandle, const char* headers, std::uint32_t headersLength,
                        const void* optional, std::uint32_t optionalLength) override {
    Request* request = FindRequest(requestHandle);
    if (!request || request->sendCalled) return false;
    request->sendCalled = true;
    std::string_view headerText;
    if (headers) {
      headerText = headersLength == kInetNulTerminated ? std::string_view(headers)
                                                       : std::string_view(headers, headersLength);
    }
    if (optional && optionalLength > 0) {
      request->postBody.assign(static_cast<const char*>(optional), optionalLength);
    }
    if (!Start(*request, headerText, optional != nullptr)) {
      request->done = true;
      request->result = CURLE_URL_MALFORMAT;
      return false;
    }
    Drive(*request);
    return request->headersComplete;
  }

  bool InternetReadFile(InetHandle requestHandle, void* buffer, std::uint32_t bytesToRead,
                        std::uint32_t* bytesRead) override {
    if (bytesRead) *bytesRead = 0;
    Request* request = FindRequest(requestHandle);
    if (!request || !bytesRead || !buffer || !request->sendCalled) return false;
    if (bytesToRead == 0) return true;
    Drive(*request);
    if (!request->HasPending()) return request->result == CURLE_OK;
    std::size_t count = std::min<std::size_t>(bytesToRead, request->pending.size() - request->pendingAt);
    std::memcpy(buffer, request->pending.data() + request->pendingAt, count);
    request->pendingAt += count;
    *bytesRead = static_cast<std::uint32_t>(count);
    return true;
  }

  bool HttpQueryInfoA(InetHandle requestHandle, std::uint32_t infoLevel, void* buffer,
                      std::uint32_t* bufferLength, std::uint32_t*) override {
    Request* request = FindRequest(requestHandle);
    if (!request || !bufferLength || infoLevel != HTTP_QUERY_RAW_HEADERS_CRLF || !request->headersComplete) {
      return false;
    }
    std::size_t needed = request->blockSize + 2 + 1;  // the lines, the empty line, the NUL
    if (!buffer || needed > *bufferLength || request->blockSize > kMaxHeaderBlock) {
      *bufferLength = static_cast<std::uint32_t>(std::min<std::size_t>(needed, UINT32_MAX));
      return false;
    }
    auto* out = static_cast<char*>(buffer);
    for (const std::string& line : request->lines) {
      std::memcpy(out, line.data(), line.size());
      out += line.size();
      *out++ = '\r';
      *out++ = '\n';
    }
    *out++ = '\r';
    *out++ = '\n';
    *out = '\0';
    *bufferLength = static_cast<std::uint32_t>(needed - 1);
    return true;
  }

  bool InternetCloseHandle(InetHandle handle) override {
    std::unique_ptr<Handle> closed;
    {
      std::lock_guard lock(registry_mutex_);
      auto found = handles_.find(static_cast<Handle*>(handle));
      if (found == handles_.end()) return false;
      closed.reset(*found);
      handles_.erase(found);
    }
    return true;
  }

 private:
  InetHandle Register(std::unique_ptr<Handle> handle) {
    std::lock_guard lock(registry_mutex_);
    Handle* raw = handle.release();
    handles_.insert(raw);
    return raw;
  }

  // The caller holds registry_mutex_.
  template <typename T>
  T* Find(InetHandle handle, Handle::Kind kind) {
    auto found = handles_.find(static_cast<Handle*>(handle));
    if (found == handles_.end() || (*found)->kind != kind) return nullptr;
    return static_cast<T*>(*found);
  }

  Request* FindRequest(InetHandle handle) {
    std::lock_guard lock(registry_mutex_);
    return Find<Request>(handle, Handle::Kind::Request);
  }

  bool Start(Request& request, std::string_view headers, bool hasBody) {
    std::optional<std::string> url = RequestUrl(request);
    if (!url) return false;
    request.url = std::move(*url);
    request.easy = curl_easy_init();
    request.multi = curl_multi_init();
    if (!request.easy || !request.multi) return false;
    CURL* easy = request.easy;
    const Session& session = request.connection.session;

    curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION,
                     request.version == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
    if (!session.agent.empty()) curl_easy_setopt(easy, CURLOPT_USERAGENT, session.agent.c_str());

    std::string scheme = request.flags & INTERNET_FLAG_SECURE ? "https" : "http";
    std::optional<std::string> proxy = ProxyFor(session.proxyList, scheme);
    std::string proxyUrl;
    if (proxy) proxyUrl = proxy->find("://") == std::string::npos ? "http://" + *proxy : *proxy;
    // The empty text switches off every proxy, the environment's included.
    curl_easy_setopt(easy, CURLOPT_PROXY, proxyUrl.c_str());

    request.headerList = HeaderList(headers);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request.headerList);

    if (hasBody || request.verb == "POST") {
      curl_easy_setopt(easy, CURLOPT_POST, 1L);
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.postBody.size()));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, request.postBody.data());
      if (request.verb != "POST") curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    } else if (request.verb == "HEAD") {
      curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    } else if (request.verb != "GET") {
      curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.verb.c_str());
    }

    if (!(request.flags & INTERNET_FLAG_NO_AUTO_REDIRECT)) {
      curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
      curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
      curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    }
    if (!(request.flags & INTERNET_FLAG_NO_COOKIES)) {
      curl_easy_setopt(easy, CURLOPT_SHARE, share_);
      curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");  // the cookie engine, in memory only
    }

    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(session.timeouts.connectMs));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &OnHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &request);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &request);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &OnConnected);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, &request);

    request.lastProgress = Clock::now();
    return curl_multi_add_handle(request.multi, easy) == CURLM_OK;
  }

  static void Finish(Request& request, CURLcode result) {
    request.done = true;
    request.result = result;
  }

  // Runs the transfer until body waits for the reader or the transfer ended.
  static void Drive(Request& request) {
    while (!request.HasPending() && !request.done) {
      if (request.paused) {
        request.paused = false;
        request.lastProgress = Clock::now();
        curl_easy_pause(request.easy, CURLPAUSE_CONT);
        continue;
      }
      int running = 0;
      if (curl_multi_perform(request.multi, &running) != CURLM_OK) return Finish(request, CURLE_RECV_ERROR);
      int queued = 0;
      while (CURLMsg* message = curl_multi_info_read(request.multi, &queued)) {
        if (message->msg == CURLMSG_DONE) Finish(request, message->data.result);
      }
      if (request.HasPending() || request.done || request.paused) continue;

      auto wait = kLongestPoll;
      if (request.exchanging) {
        curl_off_t uploaded = 0;
        curl_easy_getinfo(request.easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        auto now = Clock::now();
        if (uploaded != request.uploaded) {
          request.uploaded = uploaded;
          request.lastProgress = now;
        }
        const InetTimeouts& timeouts = request.connection.session.timeouts;
        bool sending = uploaded < static_cast<curl_off_t>(request.postBody.size());
        std::chrono::milliseconds limit(sending ? timeouts.sendMs : timeouts.receiveMs);
        auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - request.lastProgress);
        if (idle >= limit) return Finish(request, CURLE_OPERATION_TIMEDOUT);
        wait = std::min(wait, limit - idle);
      }
      curl_multi_poll(request.multi, nullptr, 0, static_cast<int>(std::max<long long>(wait.count(), 1)), nullptr);
    }
  }

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CurlInet*>(user)->LockFor(data).lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) { static_cast<CurlInet*>(user)->LockFor(data).unlock(); }
  std::mutex& LockFor(curl_lock_data data) {
    return share_locks_[static_cast<std::size_t>(data) % share_locks_.size()];
  }

  CURLSH* share_ = nullptr;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> share_locks_;
  std::mutex registry_mutex_;
  std::unordered_set<Handle*> handles_;
};

}  // namespace

Inet& PlatformInet() {
  // Never destroyed: worker threads that are still in a request when the
  // process ends must not find the layer gone.
  static CurlInet* const layer = new CurlInet;
  return *layer;
}

}  // namespace idwatch
