#include "http/decode.h"

#include "base/codepage.h"

namespace idwatch {

ByteSet Utf8ToWide(const ByteSet& bytes) {
  std::u16string units = Utf8ToUtf16(bytes.Bytes());
  std::string wide(units.size() * 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    wide[2 * i] = static_cast<char>(units[i] & 0xFF);
    wide[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return ByteSet(std::move(wide));
}

ByteSet Utf8ToAnsi(const ByteSet& bytes) {
  // Straight from the UTF-16 units: the same bytes as through Utf8ToWide,
  // without building its byte form.
  return ByteSet(Utf16ToCp936(Utf8ToUtf16(bytes.Bytes())));
}

}  // namespace idwatch
