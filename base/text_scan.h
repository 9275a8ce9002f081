#pragma once
// Character stepping and searching over raw bytes, shared by the Text, array
// and number operations. Offsets here are 0-based size_t; the public routines
// turn them into 1-based int positions. Pure functions, any thread.
//
// A "character start" is where stepping lands: the scan's first byte, then
// one byte further after a byte below 0x80 and two bytes further after a byte
// of 0x80 or more.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/memory_exhausted.h"

namespace idwatch::scan {

inline constexpr std::size_t kNone = std::string_view::npos;

inline bool IsHigh(unsigned char byte) { return byte >= 0x80; }

inline unsigned char ByteAt(std::string_view bytes, std::size_t offset) {
  return static_cast<unsigned char>(bytes[offset]);
}

// Length of the character starting at `offset`: 2 for a byte of 0x80 or more
// (even a lone last byte, so that stepping past it leaves the text), else 1.
inline std::size_t CharLength(std::string_view bytes, std::size_t offset) {
  return IsHigh(ByteAt(bytes, offset)) ? 2 : 1;
}

inline unsigned char FoldCase(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + 0x20) : byte;
}

// Steps from the character start `from` until reaching `target` or passing
// it; returns where stepping lands: `target` itself, or `target` + 1 when a
// two-byte character covers it.
std::size_t StepTo(std::string_view bytes, std::size_t from, std::size_t target);

// Offset of the first occurrence of the non-empty `sought` that begins on a
// character start of a scan from `from` (itself taken as a character start),
// comparing bytes exactly or with ASCII case folding; kNone when none.
std::size_t Find(std::string_view bytes, std::string_view sought, std::size_t from, bool fold);

// Appends `more`, ending the program when the result would exceed the length
// a Text or ByteSet can hold.
inline void AppendChecked(std::string& out, std::string_view more) {
  CheckLength(out.size() + more.size());
  out.append(more);
}

}  // namespace idwatch::scan
