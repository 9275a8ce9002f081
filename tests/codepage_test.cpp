#include "base/codepage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The same expectations hold for the Windows converter (run under Wine) and
// the iconv one. The checksums cover whole tables that are too large to list;
// their values were read off the Windows converter.

namespace idwatch {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

// FNV-1a over a sequence of conversion results, each closed by its length so
// that a unit moving from one result to the next changes the sum.
class Checksum {
 public:
  template <typename Char>
  void Add(std::basic_string_view<Char> result) {
    for (Char element : result) AddValue(static_cast<std::uint16_t>(element));
    AddValue(static_cast<std::uint16_t>(0xFFFF ^ result.size()));
  }
  std::uint64_t Value() const { return value_; }

 private:
  void AddValue(std::uint16_t value) {
    for (int shift : {0, 8}) {
      value_ ^= (value >> shift) & 0xFF;
      value_ *= 0x100000001B3ull;
    }
  }
  std::uint64_t value_ = 0xCBF29CE484222325ull;
};

std::string Hex(std::string_view bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char byte : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", byte);
    out += buffer;
  }
  return out;
}

std::string Hex(std::u16string_view units) {
  std::string out;
  char buffer[6];
  for (char16_t unit : units) {
    std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(unit));
    out += buffer;
  }
  return out;
}

// Every code page 936 two-byte code: lead 81-FE, trail 40-FE but not 7F.
std::vector<std::string> AllTwoByteCodes() {
  std::vector<std::string> codes;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail != 0x7F) codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  return codes;
}

TEST(CodePage, PageTextsBecomeCodePage936) {
  struct Case {
    std::string_view utf8;
    std::u16string_view utf16;
    std::string_view cp936;
  } cases[] = {
      {"", u"", ""},
      {"abc", u"abc", "abc"},
      {"\xE4\xBD\xA0\xE5\xA5\xBD", u"\u4F60\u597D", "\xC4\xE3\xBA\xC3"},
      {"最后回复人", u"最后回复人", "\xD7\xEE\xBA\xF3\xBB\xD8\xB8\xB4\xC8\xCB"},
      {"a\0b"sv, u"a\0b"sv, "a\0b"sv},                     // NUL carried through
      {"\xE2\x82\xAC", u"\u20AC", "\x80"},                   // the euro sign is the single byte 80
      {"\xEF\xBC\x91\xEF\xBC\x92", u"\uFF11\uFF12", "\xA3\xB1\xA3\xB2"},  // full-width digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.utf8));
    EXPECT_EQ(Hex(Utf8ToUtf16(c.utf8)), Hex(c.utf16));
    EXPECT_EQ(Hex(Utf16ToCp936(c.utf16)), Hex(c.cp936));
    EXPECT_EQ(Hex(Cp936ToUtf16(c.cp936)), Hex(c.utf16));
    EXPECT_EQ(Hex(Utf16ToUtf8(c.utf16)), Hex(c.utf8));
  }
}

TEST(CodePage, MalformedUtf8BecomesOneReplacementPerBrokenSequence) {
  struct Case {
    std::string_view utf8;
    std::u16string_view utf16;
  } cases[] = {
      {"a\xFF" "b\xE6\x9C" "c\xC0\x80" "d", u"a\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
      {"\xE6\x9C", u"\uFFFD"},                      // cut short by the end
      {"\xF0\x9F\x98", u"\uFFFD"},
      {"\xE0" "A", u"\uFFFD" "A"},                  // the A after a cut-short lead is kept
      {"\xF0\xC2" "A", u"\uFFFD\uFFFD" "A"},
      {"x\xF0\x9F" "AB", u"x\uFFFD" "AB"},
      {"\xED\xA0\x80", u"\uFFFD\uFFFD"},            // a surrogate: lead and second byte, then 80
      {"\xE0\x80\x80", u"\uFFFD\uFFFD"},            // overlong
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\x80\xBF", u"\uFFFD\uFFFD"},                // stray continuation bytes
      {"\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},          // well formed: a surrogate pair
      {"\xEF\xBF\xBF", u"\uFFFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.utf8));
    EXPECT_EQ(Hex(Utf8ToUtf16(c.utf8)), Hex(c.utf16));
  }
}

TEST(CodePage, MalformedUtf8ShortSequencesAgreeWithWindows) {
  // Every sequence of up to three bytes from bytes chosen at the edges of the
  // UTF-8 ranges, each alone and followed by "A" (which shows whether a
  // broken sequence takes the byte after it).
  const std::string_view edges =
      "\x00\x41\x7F\x80\x8F\x90\x9F\xA0\xBF\xC0\xC1\xC2\xDF\xE0\xE1\xEC\xED\xEE\xEF\xF0\xF1\xF3\xF4\xF5\xF8\xFF"sv;
  Checksum sum;
  auto add = [&sum](const std::string& input) {
    sum.Add<char16_t>(Utf8ToUtf16(input));
    sum.Add<char16_t>(Utf8ToUtf16(input + "A"));
  };
  for (char a : edges) {
    add({a});
    for (char b : edges) {
      add({a, b});
      for (char c : edges) add({a, b, c});
    }
  }
  EXPECT_EQ(sum.Value(), 0x5B8C529CD8745B5Du);
}

TEST(CodePage, BytesOutsideCodePage936DecodeAsWindowsDoes) {
  struct Case {
    std::string_view cp936;
    std::u16string_view utf16;
  } cases[] = {
      {"\x80", u"\u20AC"},
      {"\xFF", u"\uF8F5"},
      {"a\x81", u"a?"},                     // a lead byte at the end
      {"\x81\x20x", u"?x"},                 // a lead byte takes the byte that cannot trail it
      {"\x81\x7F" "x", u"?x"},
      {"\x81\xFFx", u"?x"},
      {"\x81\x30x", u"?x"},
      {"\x81\0x"sv, u"?\0x"sv},             // ...but not NUL
      {"\x81\x80", u"\u4E90"},              // 80 is a trail byte
      {"\xA1\xA4\xA1\xAA", u"\u00B7\u2014"},
      {"\xAA\xA1\xFE\xFE", u"\uE000\uE4C5"},  // user-defined areas: private use
      {"\xA1\x40\xA2\xAB", u"\uE4C6\uE766"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.cp936));
    EXPECT_EQ(Hex(Cp936ToUtf16(c.cp936)), Hex(c.utf16));
  }
}

TEST(CodePage, EveryTwoByteCodeRoundTrips) {
  Checksum sum;
  for (const std::string& code : AllTwoByteCodes()) {
    std::u16string unit = Cp936ToUtf16(code);
    ASSERT_EQ(unit.size(), 1u) << Hex(code);
    ASSERT_EQ(Hex(Utf16ToCp936(unit)), Hex(code)) << Hex(unit);
    sum.Add<char16_t>(unit);
  }
  EXPECT_EQ(Hex(Utf16ToCp936(Cp936ToUtf16("\x80"))), "80 ");
  EXPECT_EQ(sum.Value(), 0x4330F86F78B6FC35u);
}

TEST(CodePage, UnitsOutsideCodePage936BecomeQuestionMarks) {
  struct Case {
    std::u16string_view utf16;
    std::string_view cp936;
  } cases[] = {
      {u"a\U0001F600b", "a??b"},              // a surrogate pair gives two
      {u"a\xD83D" "b\xDE00" "c", "a?b?c"},  // lone surrogates
      {u"\xD83D", "?"},
      {u"\u00C5\u00A0\u00A9", "???"},
      {u"\u00C0\u00B2\u3280\uF900", "\xA8\xA4" "2\xD2\xBB\xD8\x4D"},  // Windows' best-fit substitutes
      {u"\uE000\uF8F5", "\xAA\xA1\xFF"},
      {u"e\u0301", "\xA8\xA6"},               // composed: U+00E9
      {u"A\u030A", "A?"},                      // U+00C5 is not in the code page: kept apart
      {u"Y\u0301", "Y"},                       // composed to U+00DD, written as its substitute
      {u"\u304B\u3099", "\xA4\xAC"},           // kana and voiced sound mark
      {u"\u0301", "?"},
      {u"a\0b"sv, "a\0b"sv},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.utf16));
    EXPECT_EQ(Hex(Utf16ToCp936(c.utf16)), Hex(c.cp936));
  }
}

TEST(CodePage, EveryUnitEncodesAsWindowsDoes) {
  Checksum sum;
  for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
    std::u16string one(1, static_cast<char16_t>(unit));
    sum.Add<char>(Utf16ToCp936(one));
  }
  EXPECT_EQ(sum.Value(), 0x7A880AA009A44AA9u);
}

TEST(CodePage, CombiningSequencesEncodeAsWindowsDoes) {
  const std::u16string_view bases = u"AEINOUYaeinouy\u00DC\u00FC<=>\u0415\u0418\u0435\u0438\u304B\u306F\u30A6\u30CF\u309Dx";
  const std::u16string_view marks = u"\u0300\u0301\u0302\u0304\u0306\u0308\u030A\u030C\u0338\u3099\u309Ax";
  Checksum sum;
  for (char16_t base : bases) {
    for (char16_t first : marks) {
      for (char16_t second : marks) {
        std::u16string sequence{base, first, second};
        sum.Add<char>(Utf16ToCp936(sequence));
      }
    }
  }
  EXPECT_EQ(sum.Value(), 0x36AF56220DA88AA5u);
}

TEST(CodePage, Utf16ToUtf8ReplacesLoneSurrogates) {
  struct Case {
    std::u16string_view utf16;
    std::string_view utf8;
  } cases[] = {
      {u"a\xD83D" "b", "a\xEF\xBF\xBD" "b"},
      {u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\u00E9\uFFFF", "\xC3\xA9\xEF\xBF\xBF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Hex(c.utf16));
    EXPECT_EQ(Hex(Utf16ToUtf8(c.utf16)), Hex(c.utf8));
  }
}

TEST(CodePage, TextsConvertToAndFromUtf8) {
  EXPECT_EQ(TextFromUtf8("最后回复人"), Text("\xD7\xEE\xBA\xF3\xBB\xD8\xB8\xB4\xC8\xCB"));
  EXPECT_EQ(TextToUtf8(TextFromUtf8("贴吧 ID：abc")), "贴吧 ID：abc");
  EXPECT_EQ(TextFromUtf8("ab\0cd"sv), Text("ab"));  // a Text ends at NUL
  EXPECT_EQ(TextToUtf8(Text("\x81")), "?");
}

TEST(CodePage, ConvertsOnManyThreadsAtOnce) {
  std::string page;
  for (int i = 0; i < 200; ++i) page += "最后回复人：\xE6\x9C<a href=\"x\">abc\xF0\x9F\x98\x80</a>\n";
  const std::string expected = Utf16ToCp936(Utf8ToUtf16(page));
  std::vector<std::thread> threads;
  std::vector<int> mismatches(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 20; ++i) {
        if (Utf16ToCp936(Utf8ToUtf16(page)) != expected) ++mismatches[t];
        if (Utf16ToUtf8(Cp936ToUtf16(expected)).empty()) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace idwatch
