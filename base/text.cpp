#include "base/text.h"

#include <algorithm>

namespace idwatch {
namespace {

// The bytes of `bytes` before its first NUL.
std::string_view UpToNul(std::string_view bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

}  // namespace

Text::Text(const char* bytes) : bytes_(bytes ? bytes : "") {}

Text::Text(std::string_view bytes) : bytes_(UpToNul(bytes)) {}

Text::Text(std::string&& bytes) : bytes_(std::move(bytes)) {
  if (auto nul = bytes_.find('\0'); nul != std::string::npos) bytes_.resize(nul);
}

Text& Text::operator+=(const Text& other) {
  bytes_ += other.bytes_;
  return *this;
}

Text& Text::operator+=(std::string_view bytes) {
  bytes_ += UpToNul(bytes);
  return *this;
}

}  // namespace idwatch
