// The Text operations: searching, slicing, case, spaces, replacing. Bytes are
// written as escapes where the code page 936 bytes themselves matter:
// D6 D0 is the character for "middle", CE C4 the one for "text", A1 A1 the
// full-width space; a high byte at the very end of a text is a lone byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "base/text.h"
#include "tests/support/shown.h"

namespace idwatch {
namespace {

using testutil::Shown;

constexpr const char* kZhongWen = "\xD6\xD0\xCE\xC4";

// FindText as its rules read, one character step at a time, in 64-bit
// arithmetic: the yardstick for the fast search.
int ReferenceFind(std::string_view text, std::string_view sought, std::int64_t start, bool fold) {
  const auto length = static_cast<std::int64_t>(text.size());
  const auto soughtLength = static_cast<std::int64_t>(sought.size());
  const std::int64_t offset = start - 1 < 0 ? 0 : start - 1;
  if (offset >= length) return -1;
  if (sought.empty()) return 1;
  const auto folded = [fold](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (fold && byte >= 'A' && byte <= 'Z') ? byte + 0x20 : byte;
  };
  for (std::int64_t pos = offset; length - pos >= soughtLength;) {
    bool match = true;
    for (std::int64_t i = 0; i < soughtLength && match; ++i) {
      match = folded(text[pos + i]) == folded(sought[i]);
    }
    if (match) return static_cast<int>(pos + 1);
    if (static_cast<unsigned char>(text[pos]) >= 0x80) {
      if (pos + 1 >= length) return -1;
      pos += 2;
    } else {
      pos += 1;
    }
  }
  return -1;
}

// Random texts over the bytes that matter to stepping and folding, with long
// ASCII runs so that word-at-a-time stepping is exercised too.
class RandomTexts {
 public:
  std::string Next(int maxLength) {
    static const std::string kAlphabet = std::string("aAbB,> ") + "\xA1\xB0\xD6\x81";
    std::string text;
    const int length = Pick(0, maxLength);
    while (static_cast<int>(text.size()) < length) {
      if (Pick(0, 9) == 0) {
        text.append(static_cast<std::size_t>(Pick(8, 40)), Pick(0, 1) ? 'x' : 'a');
      } else {
        const int letter = Pick(0, static_cast<int>(kAlphabet.size()) - 1);
        text += kAlphabet[static_cast<std::size_t>(letter)];
      }
    }
    text.resize(static_cast<std::size_t>(length));
    return text;
  }
  // Mostly pieces of `text`, so that matches happen, sometimes fresh bytes.
  std::string SoughtIn(const std::string& text) {
    if (text.empty() || Pick(0, 3) == 0) return Next(3);
    const int from = Pick(0, static_cast<int>(text.size()) - 1);
    return text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(Pick(0, 4)));
  }
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

 private:
  std::mt19937 engine_{20141101};
};

struct FindCase {
  std::string text;
  std::string sought;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindText, FollowsStartEmptySearchCaseAndCharacterRules) {
  const std::vector<FindCase> cases = {
      {"abcabc", "c", 1, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "c", 7, false, -1},
      {"abcabc", "c", 0, false, 3},
      {"abcabc", "c", -5, false, 3},
      {"abcabc", "c", INT_MIN, false, 3},
      {"abcabc", "c", INT_MAX, false, -1},
      {"abc", "abcd", 1, false, -1},
      // An empty search text is found at 1 from any start that leaves a byte.
      {"abc", "", 1, false, 1},
      {"abc", "", 3, false, 1},
      {"abc", "", 4, false, -1},
      {"abc", "", INT_MAX, false, -1},
      {"", "", 1, false, -1},
      {"", "a", INT_MIN, false, -1},
      // Case folding: ASCII letters only, on every compared byte.
      {"aBc", "b", 1, false, -1},
      {"aBc", "b", 1, true, 2},
      {"xxABC", "abc", 1, true, 3},
      {"xxabc", "ABC", 1, true, 3},
      {"\x81" "A", "\x81" "a", 1, true, 1},
      {"\x81" "A", "\x81" "a", 1, false, -1},
      {"\xA3\xC1", "\xA3\xE1", 1, true, -1},  // full-width letters are not folded
      {"a@[", "`", 1, true, -1},
      // Only character starts are tried; a match may end inside a character.
      {kZhongWen, "\xD0\xCE", 1, false, -1},
      {kZhongWen, "\xCE\xC4", 1, false, 3},
      {std::string("a") + kZhongWen, "a\xD6", 1, false, 1},
      {"\x81" "a" "a", "a", 1, true, 3},
      // A start inside a character steps from there, so it sees other pairs.
      {"\xD6\xD0" "A", "A", 2, false, -1},
      {"\xD6\xD0" "A", "A", 3, false, 3},
      {"\xD6\xD0\xD0\xCE", "\xD0\xCE", 2, false, -1},
      {"\xD6\xD0\xD0\xCE", "\xD0\xCE", 3, false, 3},
      // A lone last byte is compared before the scan ends on it.
      {"ab\xB0", "\xB0", 1, false, 3},
      {"ab\xB0", "c", 1, false, -1},
      {"\xB0", "\xB0", 1, false, 1},
      {"\xB0\xB0\xB0", "\xB0", 2, false, 2},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const FindCase& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i) + ": " + Shown(c.text) + " / " + Shown(c.sought));
    EXPECT_EQ(FindText(Text(c.text), Text(c.sought), c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindText, AgreesWithTheStepByStepRuleOnRandomTexts) {
  RandomTexts random;
  for (int round = 0; round < 30000; ++round) {
    const std::string text = random.Next(round % 10 == 0 ? 300 : 40);
    const std::string sought = random.SoughtIn(text);
    const int start = random.Pick(-2, static_cast<int>(text.size()) + 2);
    const bool fold = random.Pick(0, 1) == 1;
    ASSERT_EQ(FindText(Text(text), Text(sought), start, fold),
              ReferenceFind(text, sought, start, fold))
        << Shown(text) << " / " << Shown(sought) << " from " << start << " fold " << fold;
  }
}

TEST(FindTextReverse, ReturnsTheLastMatchOfTheForwardScan) {
  const std::vector<FindCase> cases = {
      {"a:b:c", ":", 0, false, 4},
      {"abc", ":", 0, false, -1},
      {"aaa", "aa", 0, false, 2},  // overlapping matches count
      {"aBab", "AB", 0, true, 3},
      {"aBab", "AB", 0, false, -1},
      {"abc", "", 0, false, 1},
      {"", "", 0, false, -1},
      {"\xD6\xD0\xD0\xCE", "\xD0", 0, false, 3},  // the D0 at 2 is a second byte
      {"a:b:\xB0", ":", 0, false, 4},
      {"a:b\xB0", "\xB0", 0, false, 4},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(Shown(c.text) + " / " + Shown(c.sought));
    EXPECT_EQ(FindTextReverse(Text(c.text), Text(c.sought), c.ignoreCase), c.expected);
  }

  RandomTexts random;
  for (int round = 0; round < 10000; ++round) {
    const std::string text = random.Next(round % 10 == 0 ? 200 : 30);
    const std::string sought = random.SoughtIn(text);
    if (sought.empty()) continue;
    int last = -1;
    for (int at = ReferenceFind(text, sought, 1, false); at != -1;) {
      last = at;
      const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(at) - 1]);
      const int step = byte >= 0x80 ? 2 : 1;
      at = ReferenceFind(text, sought, at + step, false);
    }
    ASSERT_EQ(FindTextReverse(Text(text), Text(sought)), last)
        << Shown(text) << " / " << Shown(sought);
  }
}

TEST(TextSlices, CutBytesAndClampAnyCountOrPosition) {
  const Text abcdef("abcdef");
  EXPECT_EQ(TextLeft(Text("abc"), 5), Text("abc"));
  EXPECT_EQ(TextLeft(Text("abc"), 0), Text());
  EXPECT_EQ(Shown(TextLeft(Text(kZhongWen), 1)), "\\xD6");
  EXPECT_EQ(TextRight(abcdef, 2), Text("ef"));
  EXPECT_EQ(TextRight(Text("abc"), -1), Text());
  EXPECT_EQ(TextMid(abcdef, 3, 2), Text("cd"));
  EXPECT_EQ(TextMid(abcdef, 5, 10), Text("ef"));
  EXPECT_EQ(TextMid(Text("abc"), 0, 2), Text());
  EXPECT_EQ(TextMid(Text("abc"), 4, 1), Text());
  EXPECT_EQ(TextMid(Text("abc"), 1, 0), Text());
  EXPECT_EQ(Shown(TextMid(Text(kZhongWen), 2, 2)), "\\xD0\\xCE");

  // Every extreme int against texts of 0, 1 and a few bytes, checked against
  // the rules worked out in 64 bits.
  const std::vector<int> numbers = {INT_MIN, INT_MIN + 1, -1, 0, 1, 2, 3, 4, INT_MAX - 1, INT_MAX};
  for (const std::string& bytes : {std::string(), std::string("\xB0"), std::string("ab\xB0")}) {
    const Text text(bytes);
    const auto length = static_cast<std::int64_t>(bytes.size());
    for (const int n : numbers) {
      const std::int64_t kept = n < 1 ? 0 : std::min<std::int64_t>(n, length);
      EXPECT_EQ(TextLeft(text, n).Bytes(), bytes.substr(0, static_cast<std::size_t>(kept)));
      EXPECT_EQ(TextRight(text, n).Bytes(), bytes.substr(static_cast<std::size_t>(length - kept)));
      for (const int s : numbers) {
        std::string expected;
        if (s >= 1 && s <= length && n >= 1) {
          const std::int64_t taken = std::min<std::int64_t>(n, length - s + 1);
          expected = bytes.substr(static_cast<std::size_t>(s) - 1, static_cast<std::size_t>(taken));
        }
        EXPECT_EQ(TextMid(text, s, n).Bytes(), expected) << "start " << s << " count " << n;
      }
    }
  }
}

struct TransformCase {
  std::string input;
  std::string expected;
};

void ExpectTransform(Text (*transform)(const Text&), const std::vector<TransformCase>& cases) {
  for (const TransformCase& c : cases) {
    EXPECT_EQ(Shown(transform(Text(c.input))), Shown(c.expected)) << "input " << Shown(c.input);
  }
}

TEST(ToLower, LowersAsciiLettersWhereCharactersStart) {
  ExpectTransform(ToLower, {
      {"ABC\xD6\xD0\xCE\xC4", "abc\xD6\xD0\xCE\xC4"},
      {"\xA3\xC1", "\xA3\xC1"},      // a full-width letter stays
      {"\x81" "AB", "\x81" "Ab"},    // the A is a second byte, the B a letter
      {"@AZ[", "@az["},
      {"A\xB0", "a\xB0"},            // a lone byte stays in the result
      {"", ""},
  });
}

TEST(TrimBoth, TrimsBothSpacesAtTheEndsOnly) {
  ExpectTransform(TrimBoth, {
      {"  ab c\xA1\xA1 ", "ab c"},
      {"\xA1\xA1 a \xA1\xA1" "b\xA1\xA1", "a \xA1\xA1" "b"},
      {"\tab\r\n", "\tab\r\n"},      // tab and line breaks are no spaces
      {"   ", ""},
      {" \xA1\xA1 ", ""},
      {"", ""},
      {"x", "x"},
      // B0 A1 is one character, so the A1 A1 that follows in the bytes is not
      // a full-width space: a scan from the end would get this wrong.
      {"\xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0"},
      {"a\xB0\xA1 ", "a\xB0\xA1"},
      // A lone last byte is dropped and nothing before it is trimmed.
      {"a \xB0", "a "},
      {" a  \xB0", "a  "},
      {"a\xA1\xA1\xA1", "a\xA1\xA1"},
      {"  \xA1", ""},
      {"\xA1", ""},
  });
}

TEST(RemoveAllSpaces, DropsEverySpaceCharacter) {
  ExpectTransform(RemoveAllSpaces, {
      {"a b\xA1\xA1" "c", "abc"},
      {" \xA1\xA1 ", ""},
      {"a\xB0 b", "a\xB0 b"},        // B0 20 is one character
      {"a\tb", "a\tb"},
      {"ab \xB0", "ab"},             // a lone last byte is dropped
      {"", ""},
  });
}

struct ReplaceCase {
  std::string text;
  std::string sought;
  std::string replacement;
  int start;
  int count;
  bool matchCase;
  std::string expected;
};

TEST(ReplaceText, ReplacesLeftToRightFromTheStartUpToTheCount) {
  const std::string quoteName = "#\xD2\xFD\xBA\xC5";  // "#" and the two characters for "quote"
  const std::vector<ReplaceCase> cases = {
      {"x" + quoteName + "y" + quoteName, quoteName, "\"", 1, kNoLimit, true, "x\"y\""},
      // The flag runs opposite to FindText's: false folds case.
      {"aXa", "x", "-", 1, kNoLimit, false, "a-a"},
      {"aXa", "x", "-", 1, kNoLimit, true, "aXa"},
      {"a,b,", ",", "", 1, kNoLimit, true, "ab"},
      {"aaa", "aa", "b", 1, kNoLimit, true, "ba"},      // no overlap
      {"ab", "a", "aa", 1, kNoLimit, true, "aab"},      // the replacement is not searched
      {"aaaa", "a", "b", 3, kNoLimit, true, "aabb"},
      {"aaaa", "a", "b", INT_MIN, kNoLimit, true, "bbbb"},
      {"aaaa", "a", "b", 5, kNoLimit, true, "aaaa"},
      {"aaaa", "a", "b", INT_MAX, kNoLimit, true, "aaaa"},
      {"aaaa", "a", "b", 1, 2, true, "bbaa"},
      {"aaaa", "a", "b", 1, 0, true, "aaaa"},
      {"aaaa", "a", "b", 1, -1, true, "bbbb"},
      {"aaaa", "a", "b", 1, INT_MIN, true, "bbbb"},
      {"", "a", "b", 1, kNoLimit, true, ""},
      {"abc", "", "b", 1, kNoLimit, true, "abc"},
      // Only where stepping lands.
      {kZhongWen, "\xD0\xCE", "-", 1, kNoLimit, true, kZhongWen},
      {kZhongWen, "\xCE\xC4", "-", 1, kNoLimit, true, "\xD6\xD0-"},
      // A lone last byte the scan reaches is dropped; one left over after the
      // scan, or after the count ran out, is kept.
      {"ab\xB0", "x", "y", 1, kNoLimit, true, "ab"},
      {"\xB0\xB0\xB0", "x", "y", 1, kNoLimit, true, "\xB0\xB0"},
      {"\xB0\xB0\xB0", "x", "y", 2, kNoLimit, true, "\xB0\xB0\xB0"},
      {"ab\xB0", "xy", "z", 1, kNoLimit, true, "ab\xB0"},
      {"ab\xB0", "a", "-", 1, 1, true, "-b\xB0"},
      {"ab\xB0", "\xB0", "-", 1, kNoLimit, true, "ab-"},
  };
  for (const ReplaceCase& c : cases) {
    EXPECT_EQ(Shown(ReplaceText(Text(c.text), Text(c.sought), Text(c.replacement), c.start, c.count,
                                c.matchCase)),
              Shown(c.expected))
        << Shown(c.text) << " / " << Shown(c.sought) << " start " << c.start
        << " count " << c.count;
  }
  EXPECT_EQ(ReplaceText(Text("a-b-c"), Text("-")), Text("abc"));  // deletes, folds, no limit
}

TEST(ReplaceText, AgreesWithTheStepByStepRuleOnRandomTexts) {
  RandomTexts random;
  for (int round = 0; round < 10000; ++round) {
    const std::string text = random.Next(round % 10 == 0 ? 200 : 30);
    const std::string sought = random.SoughtIn(text);
    const int start = random.Pick(-1, static_cast<int>(text.size()) + 1);
    const int count = random.Pick(-1, 3);
    const bool matchCase = random.Pick(0, 1) == 1;
    // The rules, literally: copy before the offset, then compare or copy one
    // character at a time while enough bytes remain.
    std::string expected = text;
    const std::size_t offset = start <= 1 ? 0 : static_cast<std::size_t>(start) - 1;
    if (!text.empty() && !sought.empty() && offset < text.size() && count != 0) {
      expected = text.substr(0, offset);
      std::size_t pos = offset;
      int done = 0;
      while (text.size() - pos >= sought.size()) {
        if (ReferenceFind(text.substr(pos, sought.size()), sought, 1, !matchCase) == 1) {
          expected += "<>";
          pos += sought.size();
          if (++done == count) break;
        } else if (static_cast<unsigned char>(text[pos]) >= 0x80) {
          if (pos + 1 == text.size()) {
            pos = text.size();
            break;
          }
          expected += text.substr(pos, 2);
          pos += 2;
        } else {
          expected += text[pos++];
        }
      }
      expected += text.substr(std::min(pos, text.size()));
    }
    ASSERT_EQ(Shown(ReplaceText(Text(text), Text(sought), Text("<>"), start, count, matchCase)),
              Shown(expected))
        << Shown(text) << " / " << Shown(sought) << " start " << start << " count " << count;
  }
}

TEST(TextValues, ConstructConcatenateCompareAndBlank) {
  EXPECT_EQ(Text(std::string_view("ab\0cd", 5)), Text("ab"));  // a Text never holds a NUL
  EXPECT_EQ(Text(std::string("\0x", 2)), Text());
  EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text());
  EXPECT_EQ(Text("a") + Text("\xD6\xD0") + Text(), Text("a\xD6\xD0"));
  Text grown("a");
  grown += std::string_view("b\0c", 3);
  EXPECT_EQ(grown, Text("ab"));
  EXPECT_NE(Text("a"), Text("A"));
  EXPECT_EQ(TextLength(Text(kZhongWen)), 4);
  EXPECT_EQ(CharFromCode(0), Text());
  EXPECT_EQ(Shown(CharFromCode(0xB0)), "\\xB0");
  for (const int count : {INT_MIN, -1, 0}) EXPECT_EQ(BlankText(count), Text());
  EXPECT_EQ(BlankText(3), Text("   "));
}

// Whole-text scans on 10 MiB: each must end, stay inside the text and keep
// to one pass (a quadratic one would not finish within the test's time).
TEST(TextOperations, HandleTenMebibyteTexts) {
  const std::size_t size = 10u << 20;
  const Text ascii(std::string(size, 'a'));
  const Text high(std::string(size, '\xB0'));  // 5 Mi characters
  const Text highLone(std::string(size - 1, '\xB0'));
  EXPECT_EQ(FindText(ascii, Text("ab")), -1);
  EXPECT_EQ(FindText(ascii, Text("A"), static_cast<int>(size), true), static_cast<int>(size));
  EXPECT_EQ(FindText(high, Text("\xB0\xB0\xB0")), 1);
  EXPECT_EQ(FindText(high, Text("\xB0x"), 2), -1);  // a candidate at every byte
  EXPECT_EQ(FindText(highLone, Text("x")), -1);
  EXPECT_EQ(FindTextReverse(high, Text("\xB0")), static_cast<int>(size) - 1);
  EXPECT_EQ(TextLength(TrimBoth(Text(std::string(size, ' ')))), 0);
  EXPECT_EQ(TextLength(TrimBoth(highLone)), static_cast<int>(size) - 2);
  EXPECT_EQ(TextLength(RemoveAllSpaces(highLone)), static_cast<int>(size) - 2);
  EXPECT_EQ(TextLength(ReplaceText(ascii, Text("aa"), Text("b"))), static_cast<int>(size / 2));
  EXPECT_EQ(ToLower(Text(std::string(size, 'A'))), ascii);
}

}  // namespace
}  // namespace idwatch
