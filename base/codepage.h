#pragma once
// Conversions between UTF-8, UTF-16 and code page 936, the three encodings
// that meet at the program's edges: the window (UTF-16), file names (UTF-16
// on Windows, UTF-8 on Linux) and the network (UTF-8 pages, UTF-8 addresses).
//
// Windows: MultiByteToWideChar / WideCharToMultiByte, loaded at run time from
// "kernel32.dll". Linux: iconv. Both give the same result for every input:
//  - UTF-8 that is not well formed becomes U+FFFD, one for each broken
//    sequence ("a FF b E6 9C c C0 80 d" -> a FFFD b FFFD c FFFD FFFD d); a
//    lead byte and a continuation byte outside its range (an overlong form,
//    a surrogate, beyond U+10FFFF) make one broken sequence ("ED A0 80" ->
//    FFFD FFFD). A sequence cut short never takes the bytes after it, at the
//    end of the input too ("E0 41" -> FFFD 41);
//  - a UTF-16 unit that code page 936 lacks becomes "?" (a character outside
//    the BMP gives "??", a lone surrogate "?"), unless Windows has a best-fit
//    substitute for it (U+00C0 gives the code of U+00E0); a letter followed
//    by a combining mark is written as the composed character where the code
//    page has it ("e" U+0301 gives A8 A6);
//  - every code page 936 character maps as Windows maps it (0x80 is the euro
//    sign, 0xFF U+F8F5, the user-defined areas the private use area); a lead
//    byte at the end, or before NUL, gives "?"; a lead byte before any other
//    byte that cannot follow it gives "?" for both bytes;
//  - a lone surrogate in UTF-16 becomes U+FFFD in UTF-8.
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
