#include <gtest/gtest.h>

#include <string>

#include "base/codepage.h"
#include "http/decode.h"

namespace idwatch {
namespace {

using namespace std::string_literals;

std::string B(const ByteSet& bytes) { return std::string(bytes.Bytes()); }

TEST(Decode, Utf8ToWideGivesLittleEndianUnits) {
  struct Case {
    std::string utf8;
    std::string wide;
  } cases[] = {
      {"abc", "a\0b\0c\0"s},
      {"\xE4\xBD\xA0\xE5\xA5\xBD", "\x60\x4F\x7D\x59"},
      {"", ""},
      {"a\0b"s, "a\0\0\0b\0"s},
      {"\xF0\x9F\x98\x80", "\x3D\xD8\x00\xDE"s},  // outside the BMP: a surrogate pair
  };
  for (const Case& c : cases) EXPECT_EQ(B(Utf8ToWide(ByteSet(c.utf8))), c.wide) << c.utf8;
}

TEST(Decode, Utf8ToAnsiGivesCodePage936) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string ansi;
  } cases[] = {
      {"ascii", "abc", "abc"},
      {"two characters", "\xE4\xBD\xA0\xE5\xA5\xBD", "\xC4\xE3\xBA\xC3"},
      {"the marker", "\xE6\x9C\x80\xE5\x90\x8E\xE5\x9B\x9E\xE5\xA4\x8D\xE4\xBA\xBA",
       "\xD7\xEE\xBA\xF3\xBB\xD8\xB8\xB4\xC8\xCB"},
      {"empty", "", ""},
      {"NUL carried through", "a\0\xE4\xBD\xA0"s, "a\0\xC4\xE3"s},
      {"NUL at the end", "ab\0"s, "ab\0"s},
      {"missing from the code page", "x\xF0\x9F\x98\x80y", "x??y"},
      {"malformed", "a\xFF" "b\xE6\x9C" "c\xC0\x80" "d", "a?b?c??d"},
      {"truncated at the end", "ok\xE4\xBD", "ok?"},
  };
  for (const Case& c : cases) EXPECT_EQ(B(Utf8ToAnsi(ByteSet(c.utf8))), c.ansi) << c.name;
}

// Large inputs are converted in slices; whatever lies where a slice ends, the
// result is that of converting the whole input at once.
TEST(Decode, Utf8ToAnsiOfALargeInputEqualsTheWholeConversion) {
  const std::string mixed =
      "ab\xE4\xBD\xA0\xE5\xA5\xBD" "e\xCC\x81" "\xF0\x9F\x98\x80" "\xFF" "c\xE6\x9C" "d\0"s
      "\xE6\x9C\x80\xE5\x90\x8E";
  struct Case {
    const char* name;
    std::string input;
  } cases[] = {
      {"mixed, every offset", [&] {
         std::string s;
         while (s.size() < (600u << 10)) s += mixed + std::string(s.size() % 7, 'x') + std::string(200, 'y');
         return s;
       }()},
      {"no ASCII at all", [] {
         std::string s;
         while (s.size() < (300u << 10)) s += "\xE4\xBD\xA0\xE5\xA5\xBD\xE6\x9C\x80";
         return s + "\xE6\x9C";
       }()},
  };
  for (const Case& c : cases) {
    std::string whole = Utf16ToCp936(Utf8ToUtf16(c.input));
    std::string sliced = B(Utf8ToAnsi(ByteSet(c.input)));
    EXPECT_EQ(sliced.size(), whole.size()) << c.name;
    EXPECT_TRUE(sliced == whole) << c.name;
  }
}

}  // namespace
}  // namespace idwatch
