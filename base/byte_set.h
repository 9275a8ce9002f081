#pragma once
// ByteSet: a counted run of bytes that may hold NUL (response bodies, encoded
// texts), with its operations and the conversions to and from Text.
// The empty byte set is also the "absent" one. Pure functions, any thread.

#include <string>
#include <string_view>

#include "base/text.h"

namespace idwatch {

class ByteSet {
 public:
  ByteSet() = default;
  // More than INT_MAX bytes end the program (memory_exhausted.h).
  explicit ByteSet(std::string_view bytes);
  explicit ByteSet(std::string&& bytes) noexcept;

  std::string_view Bytes() const noexcept { return bytes_; }
  const unsigned char* Data() const noexcept {
    return reinterpret_cast<const unsigned char*>(bytes_.data());
  }
  bool IsEmpty() const noexcept { return bytes_.empty(); }

  ByteSet& operator+=(const ByteSet& other);
  ByteSet& operator+=(std::string_view bytes);
  friend ByteSet operator+(ByteSet left, const ByteSet& right) { return left += right; }

  friend bool operator==(const ByteSet&, const ByteSet&) = default;

  // Moves the bytes out, leaving the byte set empty.
  std::string Release() noexcept { return std::move(bytes_); }

 private:
  std::string bytes_;
};

int BytesLength(const ByteSet& bytes);
// The first `count` bytes; the empty byte set when count is below 1.
ByteSet BytesLeft(const ByteSet& bytes, int count);
// 1-based position of the first occurrence, trying every byte position; -1
// when not found or when `sought` is empty.
int FindBytes(const ByteSet& bytes, const ByteSet& sought);
// `count` zero bytes; the empty byte set when count is below 1.
ByteSet BlankBytes(int count);

// The bytes of the text, without a terminating NUL.
ByteSet TextToBytes(const Text& text);
// The bytes up to, not including, the first NUL.
Text BytesToText(const ByteSet& bytes);

}  // namespace idwatch
