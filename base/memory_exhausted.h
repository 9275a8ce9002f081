#pragma once
// The program's answer to a value it cannot have: memory the allocator cannot
// give, or a Text or ByteSet that would grow beyond INT_MAX bytes (their
// lengths and positions are int). Both end the program through FatalError,
// so no routine ever sees std::bad_alloc and no length ever wraps around.
//
// Linking this module installs a new-handler that calls MemoryExhausted, for
// every allocation of the process. Any thread.

#include <climits>
#include <cstddef>
#include <string_view>

namespace idwatch {

inline constexpr std::size_t kMaxLength = INT_MAX;

// Shows the fatal-error box ("memory exhausted") and ends the process.
[[noreturn]] void MemoryExhausted();

// Ends the program when `length` bytes cannot be held by one Text or ByteSet.
inline void CheckLength(std::size_t length) {
  if (length > kMaxLength) MemoryExhausted();
}

// `bytes`, once checked: for constructors, so that an oversized input ends the
// program before any copy of it is made.
inline std::string_view CheckedLength(std::string_view bytes) {
  CheckLength(bytes.size());
  return bytes;
}

}  // namespace idwatch
