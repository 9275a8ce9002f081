#pragma once
// Readable, byte-exact forms of texts for test expectations and failure
// messages: printable ASCII stays, every other byte is written as \xNN.
// Compare Shown(actual) with Shown(expected) to see code page 936 bytes.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_set.h"
#include "base/text.h"
#include "base/text_array.h"

namespace idwatch::testutil {

inline std::string Shown(std::string_view bytes) {
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      shown += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  return shown;
}

inline std::string Shown(const Text& text) { return Shown(text.Bytes()); }
inline std::string Shown(const ByteSet& bytes) { return Shown(bytes.Bytes()); }

inline std::vector<std::string> Shown(const TextArray& array) {
  std::vector<std::string> shown;
  for (const Text& text : array) shown.push_back(Shown(text));
  return shown;
}

}  // namespace idwatch::testutil
