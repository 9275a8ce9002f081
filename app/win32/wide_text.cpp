#include "app/win32/wide_text.h"

#include "base/codepage.h"

namespace idwatch {

// wchar_t is a UTF-16 unit on Windows, so the two string types hold the same
// units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring WideFromText(const Text& text) {
  const std::u16string utf16 = Cp936ToUtf16(text.Bytes());
  return std::wstring(utf16.begin(), utf16.end());
}

Text TextFromWide(std::wstring_view wide) {
  const std::u16string_view utf16(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
  return Text(Utf16ToCp936(utf16));
}

}  // namespace idwatch
