#pragma once
// TextArray: a growable array of Text numbered from 1 to its size, and the
// split that produces one.

#include <vector>

#include "base/text.h"

namespace idwatch {

class TextArray {
 public:
  int Size() const noexcept { return static_cast<int>(items_.size()); }

  // Elements are numbered 1..Size(). Any other index is a fatal error of the
  // program (FatalError): no loop of the program produces one.
  const Text& At(int index) const;
  Text& At(int index);

  // Stores a copy of `text` as the new last element.
  void Append(const Text& text);
  void Append(Text&& text);

  // Iteration in index order, for range-for loops.
  auto begin() const noexcept { return items_.begin(); }
  auto end() const noexcept { return items_.end(); }

  friend bool operator==(const TextArray&, const TextArray&) = default;

 private:
  std::vector<Text> items_;
};

// Splits `text` at every `separator` (compared exactly, tried where character
// stepping lands). Empty pieces between separators and before a leading
// separator are kept; a separator at the very end adds no empty piece. An
// empty text or a maximum of 0 or below gives no pieces; an empty separator
// gives the whole text as the one piece. At most `maximum` pieces: text
// beyond the last counted piece is dropped. A lone byte ends the scan.
TextArray SplitText(const Text& text, const Text& separator = ",", int maximum = kNoLimit);

}  // namespace idwatch
