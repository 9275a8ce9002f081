#include "collector/forum_address.h"

#include <string>

#include "base/codepage.h"

#ifndef IDWATCH_FORUM_HOST
#error "IDWATCH_FORUM_HOST must name the forum service's host"
#endif

namespace idwatch {
namespace {

bool IsUnreserved(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

}  // namespace

std::string_view ForumHost() { return IDWATCH_FORUM_HOST; }

Text PercentEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsUnreserved(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return Text(std::move(encoded));
}

Text ForumAddress(const Text& forumName) {
  std::string address = "http://";
  address += ForumHost();
  address += "/f?kw=";
  address += PercentEncode(TextToUtf8(forumName)).Bytes();
  address += "&ie=utf-8";
  return Text(std::move(address));
}

}  // namespace idwatch
