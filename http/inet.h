#pragma once
// The HTTP layer under WebRequest: the seven WinInet operations it calls, with
// WinInet's own argument lists, as an interface the routine receives.
//
// Windows: the real WinInet (inet_wininet.cpp). Linux: libcurl made to behave
// as WinInet does for what WebRequest relies on (inet_curl.cpp). Unit tests: a
// scripted fake (tests/support/fake_inet.h).
//
// Handles are opaque; nullptr is "no handle". Every handle is closed once with
// InternetCloseHandle, children before their parent. One request handle is used
// by one thread at a time; different handles may be used on different threads.
//
// The constants carry their WinInet names so that calls read as they would
// against WinInet itself. This header must not be included together with
// <wininet.h>, whose macros have the same names.

#include <cstdint>

namespace idwatch {

using InetHandle = void*;

inline constexpr std::uint32_t INTERNET_OPEN_TYPE_DIRECT = 1;
inline constexpr std::uint32_t INTERNET_OPEN_TYPE_PROXY = 3;
inline constexpr std::uint32_t INTERNET_SERVICE_HTTP = 3;

inline constexpr std::uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr std::uint32_t INTERNET_FLAG_SECURE = 0x00800000u;
inline constexpr std::uint32_t INTERNET_FLAG_NO_AUTO_REDIRECT = 0x00200000u;
inline constexpr std::uint32_t INTERNET_FLAG_NO_COOKIES = 0x00080000u;
inline constexpr std::uint32_t INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS = 0x00004000u;
inline constexpr std::uint32_t INTERNET_FLAG_NEED_FILE = 0x00000010u;

inline constexpr std::uint32_t HTTP_QUERY_RAW_HEADERS_CRLF = 22;

// A headers length that means "up to the terminating NUL".
inline constexpr std::uint32_t kInetNulTerminated = 0xFFFFFFFFu;

class Inet {
 public:
  virtual ~Inet() = default;

  // A session. accessType INTERNET_OPEN_TYPE_DIRECT, or INTERNET_OPEN_TYPE_PROXY
  // with a proxy list such as "http=HOST:PORT" ("http=" alone: no proxy).
  virtual InetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                                   const char* proxyBypass, std::uint32_t flags) = 0;

  // A connection to a server; nothing goes over the network yet. Port 0 means
  // the scheme's default port.
  virtual InetHandle InternetConnectA(InetHandle session, const char* serverName, std::uint16_t serverPort,
                                      const char* userName, const char* password, std::uint32_t service,
                                      std::uint32_t flags, std::uintptr_t context) = 0;

  // A request for `objectName` (path and query) with the INTERNET_FLAG_* flags.
  virtual InetHandle HttpOpenRequestA(InetHandle connection, const char* verb, const char* objectName,
                                      const char* version, const char* referrer, const char** acceptTypes,
                                      std::uint32_t flags, std::uintptr_t context) = 0;

  // Sends the request with the header lines (CR LF separated) and the optional
  // body, and receives the response's status line and headers.
  virtual bool HttpSendRequestA(InetHandle request, const char* headers, std::uint32_t headersLength,
                                const void* optional, std::uint32_t optionalLength) = 0;

  // The next piece of the body, at most bytesToRead bytes. *bytesRead is 0 at
  // the end of the body and after any failure.
  virtual bool InternetReadFile(InetHandle request, void* buffer, std::uint32_t bytesToRead,
                                std::uint32_t* bytesRead) = 0;

  // HTTP_QUERY_RAW_HEADERS_CRLF: the final response's status line and header
  // lines, each ended by CR LF, then an empty line, then a NUL. When the block
  // and its NUL do not fit into *bufferLength bytes, or there is no response,
  // the buffer is left as it was and the result is false.
  virtual bool HttpQueryInfoA(InetHandle request, std::uint32_t infoLevel, void* buffer,
                              std::uint32_t* bufferLength, std::uint32_t* index) = 0;

  virtual bool InternetCloseHandle(InetHandle handle) = 0;
};

// The platform's layer: one instance for the whole process, any thread.
Inet& PlatformInet();

// Time-outs of the platform layer, in milliseconds. The defaults are WinInet's
// own (connect 60 s, send and receive 30 s), so no call waits forever. They
// apply to sessions opened after the change; tests shorten them.
struct InetTimeouts {
  std::uint32_t connectMs = 60000;
  std::uint32_t sendMs = 30000;
  std::uint32_t receiveMs = 30000;
  friend bool operator==(const InetTimeouts&, const InetTimeouts&) = default;
};
void SetInetTimeouts(const InetTimeouts& timeouts);
InetTimeouts CurrentInetTimeouts();

}  // namespace idwatch
