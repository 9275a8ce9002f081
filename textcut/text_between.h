#pragma once
// Cutting texts out of a larger text by a left and a right marker: once
// (TextBetween), or piece after piece into an array (TextBetweenAll).
// Both only read their texts and markers; they keep no state and may run on
// any thread, as long as no other thread changes the texts or the array.
// Positions are 1-based byte positions; searches step as FindText does.

#include "base/text.h"
#include "base/text_array.h"

namespace idwatch {

// The bytes between the first `leftMarker` at or after `start` (1 or less: the
// start of the text) and the next `rightMarker` after it, not trimmed; the
// empty text when either marker is missing or `rightMarker` is empty.
// In both markers every "#引号" stands for a double quote, so that markers
// holding quotes can be written without one. ASCII letters in the markers
// match either case unless `caseSensitive`.
Text TextBetween(const Text& text, const Text& leftMarker, const Text& rightMarker, int start = 0,
                 bool caseSensitive = false);

struct TextBetweenAllOptions {
  bool caseSensitive = false;       // false: ASCII letters match either case
  int maximumLength = 0;            // 0: no limit; else a longer trimmed piece ends the collection
  Text prefix{};                    // put in front of every piece
  Text suffix{};                    // put behind every piece
  bool includeLeftMarker = false;   // the left marker in front of the prefix
  bool includeRightMarker = false;  // the right marker behind the suffix
  int start = 0;                    // where the first left marker is searched from
};

// Collects, left to right, the trimmed text between each left marker and the
// right marker after it, and appends each piece to `pieces` as
// [left marker] prefix piece suffix [right marker]. The markers are searched
// as passed ("#引号" is not special here). The right marker is searched from
// the second byte of the content on, so one right after the left marker is
// passed over; the next left marker is searched from the right marker found,
// which may thus serve as the next left marker too.
// The collection ends at a missing marker, at an empty piece or at a piece
// longer than a non-zero maximumLength (a negative one ends it at once); the
// pieces before it are kept.
// Returns 0 when nothing was appended, else pieces.Size() after the last
// append (elements held before the call included). An empty left marker
// returns 0 at once.
int TextBetweenAll(const Text& text, const Text& leftMarker, const Text& rightMarker,
                   TextArray& pieces, const TextBetweenAllOptions& options = {});

}  // namespace idwatch
