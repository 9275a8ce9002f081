#pragma once
// Keeping a caller's cookie text up to date with the cookies a response set.
//
// A cookie text is a list of items (normally name=value) separated by ";"
// and spaces. After a merge its items are joined by "; " with no separator at
// the end, and no item holds a space. Every comparison is byte for byte.
// Pure functions on the caller's variables, any thread.

#include "base/text.h"
#include "base/text_array.h"

namespace idwatch {

// Merges `newCookies` (the items a response set) into `cookies`: first the
// new items in their order, then the old items whose names the response did
// not use, in their order; items ending in "=deleted" are dropped, and of an
// item that occurs more than once byte for byte only the first remains. Both
// variables lose all their spaces; `cookies` holds the merged text, which is
// also returned. Runs in time that grows with the square of the item count.
Text MergeCookies(Text& cookies, Text& newCookies);

// The text before the item's first "=" (the whole item without one), trimmed.
Text CookieName(const Text& item);

// True when some item's CookieName equals `name`.
bool HasCookieNamed(const TextArray& items, const Text& name);

// `text` split at `separator` and joined again by it, repeated pieces left out.
Text JoinDistinct(const Text& text, const Text& separator);

// True when some item equals `text`.
bool ContainsText(const TextArray& items, const Text& text);

}  // namespace idwatch
