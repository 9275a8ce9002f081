#pragma once
// The one place where the window's texts cross between the program's code
// page 936 bytes (Text) and Qt's UTF-16 strings. Any thread; never fails.

#include <QString>

#include "base/text.h"

namespace idwatch {

QString ToQString(const Text& text);

// Characters that code page 936 lacks become "?"; a NUL ends the text.
Text TextFromQString(const QString& text);

}  // namespace idwatch
