#pragma once
// Text: the program's one string type, and the operations every other module
// cuts, searches and compares it with.
//
// A Text holds code page 936 (simplified Chinese) bytes and never a NUL byte.
// The empty text is also the "absent" text: there is no separate null state.
// Lengths count bytes; positions are 1-based byte positions; a search that
// finds nothing yields -1.
//
// Scans that step by characters take a byte below 0x80 as a one-byte
// character and a byte of 0x80 or more together with the next byte as one
// two-byte character. A byte of 0x80 or more that is the last byte of the
// text is a "lone byte"; each operation says what it does with one.
// The only spaces are 0x20 and the full-width space A1 A1. Case folding
// touches the ASCII letters A-Z only, on every compared byte.
//
// Every function here is pure, never fails and may run on any thread.
// Positions, lengths and counts may be any int value. A Text holds at most
// INT_MAX bytes: a result that would be longer ends the program, as memory
// that cannot be had does (base/memory_exhausted.h).

#include <limits>
#include <string>
#include <string_view>

namespace idwatch {

class Text {
 public:
  Text() = default;
  // Both constructors keep the bytes before the first NUL, if any, so that a
  // Text can never hold one.
  Text(const char* bytes);  // NOLINT: implicit, for ASCII literals
  explicit Text(std::string_view bytes);
  explicit Text(std::string&& bytes);

  std::string_view Bytes() const noexcept { return bytes_; }
  // NUL-terminated, for platform calls.
  const char* CStr() const noexcept { return bytes_.c_str(); }
  bool IsEmpty() const noexcept { return bytes_.empty(); }

  Text& operator+=(const Text& other);
  Text& operator+=(std::string_view bytes);  // bytes up to a NUL
  Text& operator+=(const char* bytes);       // for literals: text += "\r\n"
  friend Text operator+(Text left, const Text& right) { return left += right; }

  // Byte-for-byte equality; no folding, no normalisation.
  friend bool operator==(const Text&, const Text&) = default;

 private:
  std::string bytes_;
};

// Number of bytes.
int TextLength(const Text& text);

// First occurrence of `sought` at or after `start` (1-based; 1 or less means
// the start of the text), trying only where character stepping lands. An
// empty `sought` gives 1 when at least one byte remains, else -1.
int FindText(const Text& text, const Text& sought, int start = 1, bool ignoreCase = false);
// Last occurrence, scanning the whole text as FindText does.
int FindTextReverse(const Text& text, const Text& sought, bool ignoreCase = false);

// Byte slices; they may cut a two-byte character in half.
Text TextLeft(const Text& text, int count);
Text TextRight(const Text& text, int count);
Text TextMid(const Text& text, int start, int count);

// The text of one byte; code 0 gives the empty text.
Text CharFromCode(unsigned char code);

Text ToLower(const Text& text);
Text TrimBoth(const Text& text);
Text RemoveAllSpaces(const Text& text);

inline constexpr int kNoLimit = std::numeric_limits<int>::max();

// Replaces occurrences of `sought` from `start` on, left to right without
// overlap, at most `count` of them (0: none; a negative count never runs out).
// Note the flag: true compares exact bytes, false folds ASCII case - the
// opposite sense of FindText's flag. SplitText lives in text_array.h.
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement = {},
                 int start = 1, int count = kNoLimit, bool matchCase = false);

// `count` bytes 0x20; the empty text when count is below 1.
Text BlankText(int count);

}  // namespace idwatch
