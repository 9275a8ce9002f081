#include "base/codepage.h"

namespace idwatch {

Text TextFromUtf8(std::string_view utf8) { return Text(Utf16ToCp936(Utf8ToUtf16(utf8))); }

std::string TextToUtf8(const Text& text) { return Utf16ToUtf8(Cp936ToUtf16(text.Bytes())); }

}  // namespace idwatch
