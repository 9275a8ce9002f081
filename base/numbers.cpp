#include "base/numbers.h"

#include <charconv>
#include <cstdint>
#include <string>

#include "base/text_scan.h"

namespace idwatch {
namespace {

// Reads a text character by character as its ASCII counterparts: the
// full-width forms of printable ASCII (A3 A1..A3 FE), the full-width space,
// the full-width tilde and the two stars become one ASCII byte each. Other
// two-byte characters read as 0x80, which no number contains; a lone last
// byte reads as itself.
class AsciiReader {
 public:
  explicit AsciiReader(std::string_view bytes) : bytes_(bytes) {}

  // The next byte, or -1 at the end; does not move.
  int Peek() const {
    if (pos_ >= bytes_.size()) return -1;
    const unsigned char lead = scan::ByteAt(bytes_, pos_);
    if (!scan::IsHigh(lead) || pos_ + 1 == bytes_.size()) return lead;
    const unsigned char trail = scan::ByteAt(bytes_, pos_ + 1);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail - 0x80;
    if (lead == 0xA1) {
      if (trail == 0xA1) return ' ';
      if (trail == 0xAB) return '~';
      if (trail == 0xEE || trail == 0xEF) return '*';
    }
    return 0x80;
  }

  void Next() { pos_ += scan::CharLength(bytes_, pos_); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

bool IsWhiteSpace(int byte) { return byte == ' ' || (byte >= 0x09 && byte <= 0x0D); }

}  // namespace

int ToInteger(const Text& text) {
  AsciiReader reader(text.Bytes());
  while (IsWhiteSpace(reader.Peek())) reader.Next();
  bool negative = false;
  if (reader.Peek() == '+' || reader.Peek() == '-') {
    negative = reader.Peek() == '-';
    reader.Next();
  }
  // Unsigned arithmetic: the value wraps around modulo 2^32 as the number is
  // read, and converting back to int keeps the same 32 bits.
  std::uint32_t value = 0;
  for (int byte = reader.Peek(); byte >= '0' && byte <= '9'; byte = reader.Peek()) {
    value = value * 10u + static_cast<std::uint32_t>(byte - '0');
    reader.Next();
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

Text NumberToText(double value) {
  // std::to_chars writes "%.13g" without the C library: the same digits on
  // every platform and in every locale (no decimal comma).
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  std::string text(buffer, result.ptr);
  // The exponent gets at least three digits: "1e+15" becomes "1e+015".
  if (const std::size_t e = text.find('e'); e != std::string::npos) {
    const std::size_t digits = text.size() - (e + 2);  // after 'e' and its sign
    if (digits < 3) text.insert(e + 2, 3 - digits, '0');
  }
  return Text(std::move(text));
}

int BitOr(int left, int right) { return left | right; }

}  // namespace idwatch
