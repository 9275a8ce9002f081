#include "tests/support/fake_inet.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace idwatch::test {
namespace {

std::string Quote(std::string_view bytes) {
  std::string quoted = "\"";
  for (unsigned char c : bytes) {
    if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      quoted += escaped;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

std::string Quote(const char* text) { return text ? Quote(std::string_view(text)) : "null"; }

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

InetHandle FakeInet::NewHandle() {
  std::uintptr_t handle = nextHandle_++;
  open_.insert(handle);
  return reinterpret_cast<InetHandle>(handle);
}

std::string FakeInet::Name(InetHandle handle) const {
  if (!handle) return "null";
  std::string name = "h";
  name += std::to_string(reinterpret_cast<std::uintptr_t>(handle));
  return name;
}

void FakeInet::Note(std::string call) {
  if (record_) calls_.push_back(std::move(call));
}

InetHandle FakeInet::InternetOpenA(const char* agent, std::uint32_t accessType, const char* proxy,
                                   const char* proxyBypass, std::uint32_t flags) {
  InetHandle handle = nullptr;
  if (!script_.empty()) {
    current_ = std::move(script_.front());
    script_.pop_front();
    sent_ = false;
    bodyRead_ = 0;
    if (!current_.sessionFails) handle = NewHandle();
  }
  if (record_) {
    Note("InternetOpenA(" + Quote(agent) + ", " + std::to_string(accessType) + ", " + Quote(proxy) + ", " +
         Quote(proxyBypass) + ", " + std::to_string(flags) + ") -> " + Name(handle));
  }
  return handle;
}

InetHandle FakeInet::InternetConnectA(InetHandle session, const char* serverName, std::uint16_t serverPort,
                                      const char* userName, const char* password, std::uint32_t service,
                                      std::uint32_t flags, std::uintptr_t context) {
  InetHandle handle = current_.connectionFails ? nullptr : NewHandle();
  if (record_) {
    Note("InternetConnectA(" + Name(session) + ", " + Quote(serverName) + ", " + std::to_string(serverPort) + ", " +
         Quote(userName) + ", " + Quote(password) + ", " + std::to_string(service) + ", " + std::to_string(flags) +
         ", " + std::to_string(context) + ") -> " + Name(handle));
  }
  return handle;
}

InetHandle FakeInet::HttpOpenRequestA(InetHandle connection, const char* verb, const char* objectName,
                                      const char* version, const char* referrer, const char** acceptTypes,
                                      std::uint32_t flags, std::uintptr_t context) {
  InetHandle handle = current_.requestFails ? nullptr : NewHandle();
  if (record_) {
    Note("HttpOpenRequestA(" + Name(connection) + ", " + Quote(verb) + ", " + Quote(objectName) + ", " +
         Quote(version) + ", " + Quote(referrer) + ", " + (acceptTypes ? "types" : "null") + ", " + Hex(flags) +
         ", " + std::to_string(context) + ") -> " + Name(handle));
  }
  return handle;
}

bool FakeInet::HttpSendRequestA(InetHandle request, const char* headers, std::uint32_t headersLength,
                                const void* optional, std::uint32_t optionalLength) {
  sent_ = !current_.sendFails;
  if (record_) {
    std::size_t length = headersLength == kInetNulTerminated && headers ? std::strlen(headers) : headersLength;
    std::string body = optional ? Quote(std::string_view(static_cast<const char*>(optional), optionalLength))
                                : std::string("null");
    Note("HttpSendRequestA(" + Name(request) + ", " +
         (headers ? Quote(std::string_view(headers, length)) : std::string("null")) + ", " +
         std::to_string(headersLength) + ", " + body + ", " + std::to_string(optionalLength) + ") -> " +
         (sent_ ? "true" : "false"));
  }
  return sent_;
}

bool FakeInet::InternetReadFile(InetHandle request, void* buffer, std::uint32_t bytesToRead,
                                std::uint32_t* bytesRead) {
  std::size_t count = 0;
  if (sent_ && bodyRead_ < current_.body.size()) {
    count = std::min({static_cast<std::size_t>(bytesToRead), std::max<std::size_t>(current_.piece, 1),
                      current_.body.size() - bodyRead_});
    std::memcpy(buffer, current_.body.data() + bodyRead_, count);
    bodyRead_ += count;
  }
  *bytesRead = static_cast<std::uint32_t>(count);
  if (record_) {
    Note("InternetReadFile(" + Name(request) + ", " + std::to_string(bytesToRead) + ") -> " + std::to_string(count));
  }
  return sent_;
}

bool FakeInet::HttpQueryInfoA(InetHandle request, std::uint32_t infoLevel, void* buffer,
                              std::uint32_t* bufferLength, std::uint32_t* index) {
  const std::string& block = current_.rawHeaders;
  std::uint32_t offered = *bufferLength;
  bool fits = sent_ && !block.empty() && infoLevel == HTTP_QUERY_RAW_HEADERS_CRLF && block.size() + 1 <= offered;
  if (fits) {
    std::memcpy(buffer, block.c_str(), block.size() + 1);
    *bufferLength = static_cast<std::uint32_t>(block.size());
  } else if (sent_ && !block.empty()) {
    *bufferLength = static_cast<std::uint32_t>(block.size() + 1);
  }
  if (record_) {
    Note("HttpQueryInfoA(" + Name(request) + ", " + std::to_string(infoLevel) + ", " + std::to_string(offered) +
         ", " + (index ? "index" : "null") + ") -> " + (fits ? "true" : "false"));
  }
  return fits;
}

bool FakeInet::InternetCloseHandle(InetHandle handle) {
  bool known = open_.erase(reinterpret_cast<std::uintptr_t>(handle)) == 1;
  if (record_) Note("InternetCloseHandle(" + Name(handle) + ") -> " + (known ? "true" : "false"));
  return known;
}

}  // namespace idwatch::test
