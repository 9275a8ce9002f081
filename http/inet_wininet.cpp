// The HTTP layer on Windows: WinInet itself, loaded at run time from
// "wininet.dll" by name, its A functions called as they are. When the library
// or one of its functions cannot be found, every call fails (no session).
//
// Time-outs: WinInet's own defaults stay untouched unless SetInetTimeouts
// changed them; then each session, and each request, gets them set.

#include <windows.h>

#include <cstring>
#include <string>

#include "http/inet.h"

namespace idwatch {
namespace {

// Option numbers of InternetSetOptionA.
constexpr DWORD kOptionConnectTimeout = 2;
constexpr DWORD kOptionSendTimeout = 5;
constexpr DWORD kOptionReceiveTimeout = 6;
constexpr DWORD kOptionDataReceiveTimeout = 8;

using OpenFunction = void*(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
using ConnectFunction = void*(WINAPI*)(void*, LPCSTR, WORD, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
using OpenRequestFunction = void*(WINAPI*)(void*, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR);
using SendRequestFunction = BOOL(WINAPI*)(void*, LPCSTR, DWORD, LPVOID, DWORD);
using ReadFileFunction = BOOL(WINAPI*)(void*, LPVOID, DWORD, LPDWORD);
using QueryInfoFunction = BOOL(WINAPI*)(void*, DWORD, LPVOID, LPDWORD, LPDWORD);
using CloseHandleFunction = BOOL(WINAPI*)(void*);
using SetOptionFunction = BOOL(WINAPI*)(void*, DWORD, LPVOID, DWORD);

template <typename F>
F Load(HMODULE library, const char* name) {
  return library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

class WinInet final : public Inet {
 public:
  WinInet() {
    HMODULE library = LoadLibraryA("wininet.dll");
    open_ = Load<OpenFunction>(library, "InternetOpenA");
    connect_ = Load<ConnectFunction>(library, "InternetConnectA");
    openRequest_ = Load<OpenRequestFunction>(library, "HttpOpenRequestA");
    sendRequest_ = Load<SendRequestFunction>(library, "HttpSendRequestA");
    readFile_ = Load<ReadFileFunction>(library, "InternetReadFile");
    queryInfo_ = Load<QueryInfoFunction>(library, "HttpQueryInfoA");
    closeHandle_ = Load<CloseHandleFunction>(library, "InternetCloseHandle");
    setOption_ = Load<SetOptionFunction>(library, "InternetSetOptionA");
    complete_ = open_ && connect_ && openRequest_ && sendRequest_ && readFile_ && queryInfo_ && closeHandle_ &&
                setOption_;
  }

  InetHandle InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy, const char* proxyBypass,
                           std::uint32_t flags) override {
    if (!complete_) return nullptr;
    void* session = open_(agent, accessType, proxy, proxyBypass, flags);
    InetTimeouts timeouts = CurrentInetTimeouts();
    if (session && timeouts != InetTimeouts{}) {
      SetOption(session, kOptionConnectTimeout, timeouts.connectMs);
      SetReceiveAndSend(session, timeouts);
    }
    return session;
  }

  InetHandle InternetConnectA(InetHandle session, const char* serverName, std::uint16_t serverPort,
                              const char* userName, const char* password, std::uint32_t service,
                              std::uint32_t flags, std::uintptr_t context) override {
    if (!complete_) return nullptr;
    return connect_(session, serverName, serverPort, userName, password, service, flags, context);
  }

  InetHandle HttpOpenRequestA(InetHandle connection, const char* verb, const char* objectName, const char* version,
                              const char* referrer, const char** acceptTypes, std::uint32_t flags,
                              std::uintptr_t context) override {
    if (!complete_) return nullptr;
    void* request = openRequest_(connection, verb, objectName, version, referrer, acceptTypes, flags, context);
    InetTimeouts timeouts = CurrentInetTimeouts();
    if (request && timeouts != InetTimeouts{}) SetReceiveAndSend(request, timeouts);
    return request;
  }

  bool HttpSendRequestA(InetHandle request, const char* headers, std::uint32_t headersLength, const void* optional,
                        std::uint32_t optionalLength) override {
    if (!complete_) return false;
    return sendRequest_(request, headers, headersLength, const_cast<void*>(optional), optionalLength) != FALSE;
  }

  bool InternetReadFile(InetHandle request, void* buffer, std::uint32_t bytesToRead,
                        std::uint32_t* bytesRead) override {
    DWORD read = 0;
    bool ok = complete_ && readFile_(request, buffer, bytesToRead, &read) != FALSE;
    if (bytesRead) *bytesRead = ok ? read : 0;
    return ok;
  }

  // The raw header block goes through a buffer of our own, sized by a size
  // query first, so that the caller's buffer changes only when a whole block
  // with its NUL fits, and a request without a response (which some WinInet
  // versions answer with a block holding nothing but the final empty line)
  // leaves it as it was.
  bool HttpQueryInfoA(InetHandle request, std::uint32_t infoLevel, void* buffer, std::uint32_t* bufferLength,
                      std::uint32_t* index) override {
    if (!complete_ || !bufferLength) return false;
    DWORD position = index ? *index : 0;
    DWORD* positionOrNull = index ? &position : nullptr;
    if (infoLevel != HTTP_QUERY_RAW_HEADERS_CRLF || !buffer) {
      DWORD length = *bufferLength;
      bool ok = queryInfo_(request, infoLevel, buffer, &length, positionOrNull) != FALSE;
      *bufferLength = length;
      if (index) *index = position;
      return ok;
    }
    DWORD needed = 0;
    if (queryInfo_(request, infoLevel, nullptr, &needed, positionOrNull) || needed == 0) return false;
    if (needed > *bufferLength) {
      *bufferLength = needed;
      return false;
    }
    std::string block(needed + 1, '\0');
    DWORD length = needed + 1;
    if (!queryInfo_(request, infoLevel, block.data(), &length, positionOrNull)) return false;
    std::size_t size = block.find('\0');
    if (size <= 2 || size + 1 > *bufferLength) return false;
    std::memcpy(buffer, block.data(), size + 1);
    *bufferLength = static_cast<std::uint32_t>(size);
    if (index) *index = position;
    return true;
  }

  bool InternetCloseHandle(InetHandle handle) override { return complete_ && closeHandle_(handle) != FALSE; }

 private:
  void SetOption(void* handle, DWORD option, DWORD value) { setOption_(handle, option, &value, sizeof value); }
  void SetReceiveAndSend(void* handle, const InetTimeouts& timeouts) {
    SetOption(handle, kOptionSendTimeout, timeouts.sendMs);
    SetOption(handle, kOptionReceiveTimeout, timeouts.receiveMs);
    SetOption(handle, kOptionDataReceiveTimeout, timeouts.receiveMs);
  }

  OpenFunction open_ = nullptr;
  ConnectFunction connect_ = nullptr;
  OpenRequestFunction openRequest_ = nullptr;
  SendRequestFunction sendRequest_ = nullptr;
  ReadFileFunction readFile_ = nullptr;
  QueryInfoFunction queryInfo_ = nullptr;
  CloseHandleFunction closeHandle_ = nullptr;
  SetOptionFunction setOption_ = nullptr;
  bool complete_ = false;
};

}  // namespace

Inet& PlatformInet() {
  // Never destroyed, never unloaded: worker threads may still be in a request
  // when the process ends.
  static WinInet* const layer = new WinInet;
  return *layer;
}

}  // namespace idwatch
