// Texts to numbers and numbers to texts.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/numbers.h"
#include "tests/support/shown.h"

namespace idwatch {
namespace {

using testutil::Shown;

struct IntegerCase {
  Text text;
  int expected;
};

TEST(ToInteger, ReadsTheLeadingNumberAfterFullWidthForms) {
  const std::vector<IntegerCase> cases = {
      {"10", 10},
      {" 12abc", 12},
      {"3.9", 3},
      {"-5", -5},
      {"+7", 7},
      {"\t\r\n\v\f 7", 7},
      {"0x10", 0},
      {"", 0},
      {"abc", 0},
      {"++1", 0},
      {"- 1", 0},
      {"-", 0},
      {"007", 7},
      {TextFromUtf8("１２"), 12},
      {TextFromUtf8("　8"), 8},
      {TextFromUtf8("－５"), -5},
      {TextFromUtf8("＋３"), 3},
      {TextFromUtf8("3２1"), 321},
      {TextFromUtf8("～5"), 0},   // the tilde reads as "~": no number
      {TextFromUtf8("★5"), 0},    // the stars read as "*"
      {TextFromUtf8("延时：秒"), 0},
      {TextFromUtf8("状态：导出完毕。。"), 0},
      {"\xB0" "1", 0},            // B0 31 is one character, not a digit
      {"1\xB0", 1},
      {"\xB0", 0},
      // 32-bit arithmetic that wraps around.
      {"2147483647", INT_MAX},
      {"2147483648", INT_MIN},
      {"-2147483648", INT_MIN},
      {"4294967297", 1},
      {"-4294967297", -1},
      {"99999999999999999999", 1661992959},
  };
  for (const IntegerCase& c : cases) {
    EXPECT_EQ(ToInteger(c.text), c.expected) << Shown(c.text);
  }
}

TEST(ToInteger, ReadsOnlyThePrefixOfAHugeText) {
  const Text text(std::string("42") + std::string(10u << 20, '9'));
  std::uint32_t wrapped = 42;
  for (int i = 0; i < (10 << 20); ++i) wrapped = wrapped * 10u + 9u;
  EXPECT_EQ(ToInteger(text), static_cast<int>(wrapped));
  EXPECT_EQ(ToInteger(Text(std::string(10u << 20, ' '))), 0);
}

TEST(NumberToText, WritesThirteenSignificantDigitsAndThreeDigitExponents) {
  const std::vector<std::pair<double, std::string>> cases = {
      {1.0, "1"},
      {2.0, "2"},
      {100.0, "100"},
      {12.5, "12.5"},
      {0.0, "0"},
      {-0.0, "-0"},
      {-3.0, "-3"},
      {1234567890123.0, "1234567890123"},
      {12345678901234.0, "1.234567890123e+013"},
      {1e15, "1e+015"},
      {1e100, "1e+100"},
      {1e-5, "1e-005"},
      {1e-300, "1e-300"},
      {0.0001, "0.0001"},
      {1.0 / 3.0, "0.3333333333333"},
      {2147483648.0, "2147483648"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(Shown(NumberToText(value)), expected) << value;
  }
}

// The C library's "%.13g" with its exponent widened to three digits: the
// same text for every value, whole or not.
TEST(NumberToText, AgreesWithPrintfOnRandomValues) {
  std::mt19937_64 engine(1101);
  for (int round = 0; round < 20000; ++round) {
    double value;
    if (round % 2 == 0) {
      const std::uint64_t bits = engine();
      std::memcpy(&value, &bits, sizeof value);
      if (!std::isfinite(value)) continue;
    } else {
      const int exponent = static_cast<int>(engine() % 120) - 60;
      value = std::ldexp(static_cast<double>(engine() >> 11), exponent);
    }
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.13g", value);
    std::string expected = printed;
    if (const std::size_t e = expected.find('e'); e != std::string::npos) {
      const std::size_t digits = expected.size() - (e + 2);
      if (digits < 3) expected.insert(e + 2, 3 - digits, '0');
    }
    ASSERT_EQ(Shown(NumberToText(value)), expected);
  }
}

TEST(BitOr, CombinesAllThirtyTwoBits) {
  EXPECT_EQ(BitOr(0x0F0, 0x00F), 0x0FF);
  EXPECT_EQ(BitOr(INT_MIN, 1), INT_MIN + 1);
  EXPECT_EQ(BitOr(-2, 1), -1);
}

}  // namespace
}  // namespace idwatch
