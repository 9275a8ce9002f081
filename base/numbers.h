#pragma once
// Conversions between texts and numbers, as the counter, the delay and the
// address's port use them. Pure functions, any thread.

#include "base/text.h"

namespace idwatch {

// The leading decimal number of `text`, after full-width ASCII forms, the
// full-width space and tilde and the two stars have been read as their ASCII
// counterparts: white space skipped, one optional sign, digits up to the first
// non-digit. 32-bit arithmetic that wraps around; 0 when there is no digit.
int ToInteger(const Text& text);

// `value` as printf's "%.13g" writes it, except that an exponent always has at
// least three digits (1e15 gives "1e+015") whatever the C library does.
Text NumberToText(double value);

int BitOr(int left, int right);

}  // namespace idwatch
