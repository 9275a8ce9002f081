#pragma once
// The code page 936 mappings in which the Windows converter and glibc's CP936
// table part ways. glibc rejects these codes and units; Windows maps them. The
// Linux converter feeds everything through iconv and consults these only where
// iconv stops, so it gives the units and bytes that Windows gives.
// Pure lookups over constant tables, any thread.

namespace idwatch::cp936 {

// The unit that Windows decodes the two-byte code lead * 256 + trail to when
// glibc has none: the user-defined areas and the unassigned codes, which
// Windows maps into the private use area U+E000..U+E864. 0 for other codes.
char16_t PrivateUseUnit(unsigned code);

// The bytes that Windows writes for a unit that glibc cannot encode: the
// private-use units above, and Windows' best-fit substitutes (U+00C0 as the
// code of U+00E0, U+3280 as the code of U+4E00, a compatibility ideograph as
// its unified form, U+00B2 as '2'...). A two-byte code as lead * 256 + trail,
// a single byte as itself; 0 when Windows writes '?'.
unsigned WindowsOnlyCode(char16_t unit);

// True when `mark` is a combining mark that Windows may compose with the unit
// before it (grave, acute, circumflex, macron, breve, diaeresis, caron, long
// solidus overlay, the two kana sound marks).
bool MayCompose(char16_t mark);

// The code that Windows writes for `base` followed by the combining `mark`
// when it composes them into one character of the code page (or its
// best-fit substitute): "e" U+0301 gives A8 A6, the code of U+00E9. 0 when
// Windows writes the two units separately.
unsigned ComposedCode(char16_t base, char16_t mark);

}  // namespace idwatch::cp936
