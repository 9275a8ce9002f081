#include "http/decode.h"

#include <string>
#include <string_view>

#include "base/codepage.h"

namespace idwatch {
namespace {

// Large inputs are converted slice by slice, so that the UTF-16 form in
// between stays small (it would be up to twice the input) and in the cache.
constexpr std::size_t kSlice = 256 * 1024;

// Where the slice starting at `bytes` ends: before the first ASCII byte at or
// after kSlice. An ASCII byte begins a character of its own, ends any
// malformed sequence before it and is no combining mark, so converting the
// slices one after another gives exactly the bytes of converting the whole.
std::size_t SliceEnd(std::string_view bytes) {
  std::size_t end = kSlice;
  while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) ++end;
  return end < bytes.size() ? end : bytes.size();
}

}  // namespace

ByteSet Utf8ToWide(const ByteSet& bytes) {
  std::u16string units = Utf8ToUtf16(bytes.Bytes());
  std::string wide(units.size() * 2, '\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    wide[2 * i] = static_cast<char>(units[i] & 0xFF);
    wide[2 * i + 1] = static_cast<char>(units[i] >> 8);
  }
  return ByteSet(std::move(wide));
}

// Straight from the UTF-16 units: the same bytes as through Utf8ToWide,
// without building its byte form.
ByteSet Utf8ToAnsi(const ByteSet& bytes) {
  std::string_view rest = bytes.Bytes();
  if (rest.size() <= kSlice) return ByteSet(Utf16ToCp936(Utf8ToUtf16(rest)));
  std::string ansi;
  ansi.reserve(rest.size());  // no character takes more bytes in code page 936 than in UTF-8
  while (!rest.empty()) {
    std::size_t end = SliceEnd(rest);
    ansi += Utf16ToCp936(Utf8ToUtf16(rest.substr(0, end)));
    rest.remove_prefix(end);
  }
  return ByteSet(std::move(ansi));
}

}  // namespace idwatch
