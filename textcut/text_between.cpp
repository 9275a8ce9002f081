#include "textcut/text_between.h"

#include <climits>
#include <cstdint>

#include "base/codepage.h"

namespace idwatch {
namespace {

// FindText from a start position computed in 64 bits: a start past the last
// possible int position finds nothing, as one past the end does.
int FindFrom(const Text& text, const Text& sought, std::int64_t start, bool ignoreCase) {
  if (start > INT_MAX) return -1;
  return FindText(text, sought, static_cast<int>(start), ignoreCase);
}

Text WithQuotes(const Text& marker) {
  static const Text kQuoteName = TextFromUtf8("#引号");
  return ReplaceText(marker, kQuoteName, "\"", 1, kNoLimit, true);
}

}  // namespace

Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start,
                 bool caseSensitive) {
  const Text left = WithQuotes(leftMarker);
  const Text right = WithQuotes(rightMarker);
  const bool fold = !caseSensitive;
  const int leftAt = FindText(text, left, start, fold);
  if (leftAt == -1) return {};
  const std::int64_t contentAt = std::int64_t{leftAt} + TextLength(left);
  const int rightAt = FindFrom(text, right, contentAt, fold);
  // An empty right marker is found at 1, before the content: TextMid then
  // gets a count below 1 and gives the empty text.
  if (rightAt == -1) return {};
  return TextMid(text, static_cast<int>(contentAt), static_cast<int>(rightAt - contentAt));
}

int TextBetweenAll(const Text& text, const Text& leftMarker, const Text& rightMarker,
                   TextArray& pieces, const TextBetweenAllOptions& options) {
  // An empty left marker is found at position 1 from any start: the search
  // would never move on.
  if (leftMarker.IsEmpty()) return 0;
  const bool fold = !options.caseSensitive;
  bool appended = false;
  std::int64_t start = options.start;
  for (;;) {
    const int leftAt = FindFrom(text, leftMarker, start, fold);
    if (leftAt == -1) break;
    const std::int64_t contentAt = std::int64_t{leftAt} + TextLength(leftMarker);
    const int rightAt = FindFrom(text, rightMarker, contentAt + 1, fold);
    // An empty right marker is found at 1, before the content: the piece is
    // empty and ends the collection below.
    if (rightAt == -1) break;
    Text piece =
        TrimBoth(TextMid(text, static_cast<int>(contentAt), static_cast<int>(rightAt - contentAt)));
    if (piece.IsEmpty()) break;
    if (options.maximumLength != 0 && TextLength(piece) > options.maximumLength) break;
    Text element = options.includeLeftMarker ? leftMarker : Text();
    element += options.prefix;
    element += piece;
    element += options.suffix;
    if (options.includeRightMarker) element += rightMarker;
    pieces.Append(std::move(element));
    appended = true;
    // Right markers lie strictly further on each time, so the loop ends.
    start = rightAt;
  }
  return appended ? pieces.Size() : 0;
}

}  // namespace idwatch
