#pragma once
// Conversions between UTF-8, UTF-16 and code page 936, the three encodings
// that meet at the program's edges: the window (UTF-16), file names (UTF-16
// on Windows, UTF-8 on Linux) and the network (UTF-8 pages, UTF-8 addresses).
//
// Windows: MultiByteToWideChar / WideCharToMultiByte, loaded at run time from
// "kernel32.dll". Linux: iconv. Both give the same result for every input:
//  - UTF-8 that is not well formed becomes U+FFFD, one for each maximal
//    invalid subsequence ("a FF b E6 9C c C0 80 d" -> a FFFD b FFFD c FFFD FFFD d);
//  - a UTF-16 unit that code page 936 lacks becomes "?" (a character outside
//    the BMP gives "??");
//  - every code page 936 character maps as Windows maps it (0x80 is the euro sign).
// NUL bytes and units are carried through like any other.
// Thread-safe; no function here fails or throws.

#include <string>
#include <string_view>

#include "base/text.h"

namespace idwatch {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u16string Cp936ToUtf16(std::string_view cp936);
std::string Utf16ToCp936(std::u16string_view utf16);

// The program's fixed Chinese texts are written in the sources as UTF-8 and
// turned into Text once, at first use: TextFromUtf8("最后回复人").
Text TextFromUtf8(std::string_view utf8);
std::string TextToUtf8(const Text& text);

}  // namespace idwatch
