#include "app/qt/qt_text.h"

#include <string>
#include <string_view>

#include "base/codepage.h"

namespace idwatch {

QString ToQString(const Text& text) {
  const std::u16string utf16 = Cp936ToUtf16(text.Bytes());
  return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

Text TextFromQString(const QString& text) {
  const std::u16string_view utf16(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::size_t>(text.size()));
  return Text(Utf16ToCp936(utf16));
}

}  // namespace idwatch
