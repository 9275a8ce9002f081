#include "base/byte_set.h"

#include "base/memory_exhausted.h"
#include "base/text_scan.h"

namespace idwatch {

ByteSet::ByteSet(std::string_view bytes) : bytes_(CheckedLength(bytes)) {}

ByteSet::ByteSet(std::string&& bytes) noexcept : bytes_(std::move(bytes)) {
  CheckLength(bytes_.size());
}

ByteSet& ByteSet::operator+=(const ByteSet& other) {
  scan::AppendChecked(bytes_, other.bytes_);
  return *this;
}

ByteSet& ByteSet::operator+=(std::string_view bytes) {
  scan::AppendChecked(bytes_, bytes);
  return *this;
}

int BytesLength(const ByteSet& bytes) { return static_cast<int>(bytes.Bytes().size()); }

ByteSet BytesLeft(const ByteSet& bytes, int count) {
  if (count < 1) return {};
  return ByteSet(bytes.Bytes().substr(0, static_cast<std::size_t>(count)));
}

int FindBytes(const ByteSet& bytes, const ByteSet& sought) {
  if (sought.IsEmpty()) return -1;
  const std::size_t found = bytes.Bytes().find(sought.Bytes());
  return found == std::string_view::npos ? -1 : static_cast<int>(found + 1);
}

ByteSet BlankBytes(int count) {
  if (count < 1) return {};
  return ByteSet(std::string(static_cast<std::size_t>(count), '\0'));
}

ByteSet TextToBytes(const Text& text) { return ByteSet(text.Bytes()); }

Text BytesToText(const ByteSet& bytes) { return Text(bytes.Bytes()); }

}  // namespace idwatch
