#pragma once
// The address of a forum's thread-list page. Pure functions, any thread.

#include <string_view>

#include "base/text.h"

namespace idwatch {

// The forum service's host (and optional ":port"), fixed when the program is
// built.
std::string_view ForumHost();

// "http://" + host + "/f?kw=" + the name + "&ie=utf-8". The name is converted
// to UTF-8, as the address declares, and percent-encoded: A-Z a-z 0-9 - . _ ~
// stay as they are, every other byte becomes %XX with capital hex digits, so
// a space, "&", "#", "%" or a line break in the name stays inside the kw value.
Text ForumAddress(const Text& forumName);

// Percent-encodes bytes as ForumAddress does.
Text PercentEncode(std::string_view bytes);

}  // namespace idwatch
