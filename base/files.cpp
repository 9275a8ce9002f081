#include "base/files.h"

namespace idwatch {

Text DirectoryOf(const Text& path) {
  std::string_view bytes = path.Bytes();
  size_t separator = std::string_view::npos;
  for (size_t at = 0; at < bytes.size(); ++at) {
    auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte >= 0x80) {
      ++at;  // the second byte of a two-byte character, whatever its value
    } else if (byte == '\\') {
      separator = at;
    }
  }
  return separator == std::string_view::npos ? Text() : Text(bytes.substr(0, separator));
}

}  // namespace idwatch
