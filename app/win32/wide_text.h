#pragma once
// Text (code page 936) to and from the UTF-16 of the W functions. The window
// is the only place where these conversions happen. Any thread; never fails.

#include <string>
#include <string_view>

#include "base/text.h"

namespace idwatch {

std::wstring WideFromText(const Text& text);
Text TextFromWide(std::wstring_view wide);

}  // namespace idwatch
