// TextArray's numbering and copies, and SplitText's pieces.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "base/text_array.h"
#include "tests/support/shown.h"

namespace idwatch {
namespace {

using testutil::Shown;
using Pieces = std::vector<std::string>;

Pieces ShownPieces(const Pieces& pieces) {
  Pieces shown;
  for (const std::string& piece : pieces) shown.push_back(Shown(piece));
  return shown;
}

TEST(TextArray, NumbersFromOneAndStoresCopies) {
  TextArray array;
  EXPECT_EQ(array.Size(), 0);
  Text text("first");
  array.Append(text);
  text += "!";
  array.Append(Text("second"));
  ASSERT_EQ(array.Size(), 2);
  EXPECT_EQ(array.At(1), Text("first"));  // the copy kept the old value
  EXPECT_EQ(array.At(2), Text("second"));
  array.At(2) = Text("changed");
  EXPECT_EQ(std::as_const(array).At(2), Text("changed"));
}

TEST(TextArrayDeathTest, AnIndexOutsideOneToSizeEndsTheProgram) {
  TextArray array;
  array.Append(Text("a"));
  for (const int index : {INT_MIN, -1, 0, 2, INT_MAX}) {
    EXPECT_EXIT(array.At(index), ::testing::ExitedWithCode(EXIT_FAILURE), "") << "index " << index;
  }
  const TextArray empty;
  EXPECT_EXIT(empty.At(1), ::testing::ExitedWithCode(EXIT_FAILURE), "");
}

struct SplitCase {
  std::string text;
  std::string separator;
  int maximum;
  Pieces expected;
};

TEST(SplitText, KeepsInnerEmptyPiecesAndStopsAtTheMaximum) {
  const std::vector<SplitCase> cases = {
      {"a,,b,", ",", kNoLimit, {"a", "", "b"}},
      {",a", ",", kNoLimit, {"", "a"}},
      {",", ",", kNoLimit, {""}},
      {"", ",", kNoLimit, {}},
      {"abc", "", kNoLimit, {"abc"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 1, {"a"}},
      {"abc", ",", 1, {"abc"}},
      {"a,b", ",", 0, {}},
      {"a,b", ",", -1, {}},
      {"a,b", ",", INT_MIN, {}},
      {"a,b", "", 0, {}},
      {"a<>b<>", "<>", kNoLimit, {"a", "b"}},
      {"aXbxc", "x", kNoLimit, {"aXb", "c"}},  // compared exactly
      {"\xB0,a", ",", kNoLimit, {"\xB0,a"}},    // B0 2C is one character
      {"a,\xB0", ",", kNoLimit, {"a", "\xB0"}}, // a lone byte stays in the last piece
      {"a\xB0", "\xB0", kNoLimit, {"a"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(Shown(SplitText(Text(c.text), Text(c.separator), c.maximum)), ShownPieces(c.expected))
        << Shown(c.text) << " by " << Shown(c.separator) << " max " << c.maximum;
  }
  EXPECT_EQ(Shown(SplitText(Text("x,y"))), ShownPieces({"x", "y"}));  // "," by default
}

TEST(SplitText, AgreesWithTheStepByStepRuleOnRandomTexts) {
  std::mt19937 engine(7);
  const auto pick = [&engine](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(engine);
  };
  const std::string alphabet = std::string("a,;") + "\xB0\x81";
  const auto letter = [&](int low) { return alphabet[static_cast<std::size_t>(pick(low, 4))]; };
  for (int round = 0; round < 10000; ++round) {
    std::string text;
    for (int n = pick(0, 30); n > 0; --n) text += letter(0);
    std::string separator;
    for (int n = pick(1, 2); n > 0; --n) separator += letter(1);
    const int maximum = pick(-1, 5);

    Pieces expected;
    if (!text.empty() && maximum > 0) {
      std::size_t pos = 0;
      std::size_t pieceStart = 0;
      bool full = false;
      while (pos < text.size() && !full) {
        if (text.compare(pos, separator.size(), separator) == 0) {
          expected.push_back(text.substr(pieceStart, pos - pieceStart));
          pos += separator.size();
          pieceStart = pos;
          full = static_cast<int>(expected.size()) == maximum;
        } else if (static_cast<unsigned char>(text[pos]) >= 0x80) {
          if (pos + 1 == text.size()) break;
          pos += 2;
        } else {
          pos += 1;
        }
      }
      if (!full && pieceStart < text.size()) expected.push_back(text.substr(pieceStart));
    }
    ASSERT_EQ(Shown(SplitText(Text(text), Text(separator), maximum)), ShownPieces(expected))
        << Shown(text) << " by " << Shown(separator) << " max " << maximum;
  }
}

TEST(SplitText, SplitsATenMebibyteText) {
  std::string bytes;
  for (int i = 0; i < (10 << 20) / 8; ++i) bytes += "\xD6\xD0" "abc,de";
  const TextArray pieces = SplitText(Text(bytes), Text("c,d"));
  ASSERT_EQ(pieces.Size(), (10 << 20) / 8 + 1);
  EXPECT_EQ(Shown(pieces.At(1)), "\\xD6\\xD0ab");
  EXPECT_EQ(Shown(pieces.At(2)), "e\\xD6\\xD0ab");
  EXPECT_EQ(pieces.At(pieces.Size()), Text("e"));
}

}  // namespace
}  // namespace idwatch
