#include "base/text_array.h"

#include "base/codepage.h"
#include "base/memory_exhausted.h"
#include "base/message_box.h"
#include "base/text_scan.h"

namespace idwatch {
namespace {

[[noreturn]] void IndexOutOfRange() {
  FatalError(TextFromUtf8("程序内部错误：数组下标超出范围。"));
}

}  // namespace

const Text& TextArray::At(int index) const {
  if (index < 1 || index > Size()) IndexOutOfRange();
  return items_[static_cast<std::size_t>(index) - 1];
}

Text& TextArray::At(int index) {
  if (index < 1 || index > Size()) IndexOutOfRange();
  return items_[static_cast<std::size_t>(index) - 1];
}

void TextArray::Append(const Text& text) {
  CheckLength(items_.size() + 1);  // Size() is an int
  items_.push_back(text);
}

void TextArray::Append(Text&& text) {
  CheckLength(items_.size() + 1);
  items_.push_back(std::move(text));
}

TextArray SplitText(const Text& text, const Text& separator, int maximum) {
  TextArray pieces;
  const std::string_view bytes = text.Bytes();
  if (bytes.empty() || maximum <= 0) return pieces;
  if (separator.IsEmpty()) {
    pieces.Append(text);
    return pieces;
  }
  const std::string_view separatorBytes = separator.Bytes();
  std::size_t pieceStart = 0;  // also where the scan goes on: a character start
  for (;;) {
    const std::size_t found = scan::Find(bytes, separatorBytes, pieceStart, false);
    if (found == scan::kNone) break;
    pieces.Append(Text(bytes.substr(pieceStart, found - pieceStart)));
    pieceStart = found + separatorBytes.size();
    if (pieces.Size() == maximum) return pieces;  // the rest is dropped
  }
  // The last piece runs to the end, a lone last byte included; a separator at
  // the very end leaves nothing here and adds no empty piece.
  if (pieceStart < bytes.size()) pieces.Append(Text(bytes.substr(pieceStart)));
  return pieces;
}

}  // namespace idwatch
