#pragma once
// Turning a UTF-8 response body into code page 936, the encoding of every text
// inside the program. Conversion as base/codepage.h does it on both platforms:
// NUL bytes are carried through; malformed UTF-8 becomes U+FFFD (one for each
// maximal invalid subsequence) and then "?"; a character that code page 936
// lacks becomes "?" for each of its UTF-16 units. Nothing is added at the end.
// Pure functions, any thread.

#include "base/byte_set.h"

namespace idwatch {

// The UTF-16 code units of the UTF-8 bytes, each low byte first.
ByteSet Utf8ToWide(const ByteSet& bytes);

// The code page 936 bytes of the UTF-8 bytes.
ByteSet Utf8ToAnsi(const ByteSet& bytes);

}  // namespace idwatch
