// ByteSet operations and the conversions between byte sets and texts.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include "base/byte_set.h"
#include "tests/support/shown.h"

namespace idwatch {
namespace {

using namespace std::string_literals;
using testutil::Shown;

ByteSet Bytes(const std::string& bytes) { return ByteSet(bytes); }

TEST(ByteSet, CountsCutsAndJoinsBytesNulIncluded) {
  EXPECT_EQ(BytesLength(ByteSet()), 0);
  EXPECT_EQ(BytesLength(Bytes("a\0b"s)), 3);
  EXPECT_EQ(Bytes("ab"s) + Bytes("\0c"s), Bytes("ab\0c"s));
  EXPECT_EQ(ByteSet() + ByteSet(), ByteSet());
  ByteSet grown = Bytes("a"s);
  grown += std::string_view("\0b", 2);
  EXPECT_EQ(grown, Bytes("a\0b"s));

  const ByteSet three = Bytes("abc"s);
  EXPECT_EQ(BytesLeft(three, 5), three);
  EXPECT_EQ(BytesLeft(three, 2), Bytes("ab"s));
  for (const int count : {INT_MIN, -1, 0}) EXPECT_EQ(BytesLeft(three, count), ByteSet());
  EXPECT_EQ(BytesLeft(three, INT_MAX), three);
  EXPECT_EQ(BytesLeft(ByteSet(), 1), ByteSet());

  for (const int count : {INT_MIN, -1, 0}) EXPECT_EQ(BlankBytes(count), ByteSet());
  EXPECT_EQ(BlankBytes(4), Bytes("\0\0\0\0"s));
}

TEST(FindBytes, TriesEveryBytePosition) {
  EXPECT_EQ(FindBytes(Bytes("abcabc"s), Bytes("ca"s)), 3);
  EXPECT_EQ(FindBytes(Bytes("abcabc"s), ByteSet()), -1);
  EXPECT_EQ(FindBytes(Bytes("abcabc"s), Bytes("x"s)), -1);
  EXPECT_EQ(FindBytes(ByteSet(), Bytes("x"s)), -1);
  EXPECT_EQ(FindBytes(Bytes("ab"s), Bytes("abc"s)), -1);
  EXPECT_EQ(FindBytes(Bytes("\xD6\xD0\xCE\xC4"s), Bytes("\xD0\xCE"s)), 2);  // no character stepping
  EXPECT_EQ(FindBytes(Bytes("a\0b\0c"s), Bytes("\0c"s)), 4);
  EXPECT_EQ(FindBytes(Bytes("aA"s), Bytes("a"s)), 1);
  EXPECT_EQ(FindBytes(Bytes("Aa"s), Bytes("a"s)), 2);  // exact bytes
}

TEST(ByteSet, ConvertsToAndFromText) {
  EXPECT_EQ(BytesToText(Bytes("a\0b"s)), Text("a"));
  EXPECT_EQ(BytesToText(Bytes("\0a"s)), Text());
  EXPECT_EQ(BytesToText(ByteSet()), Text());
  EXPECT_EQ(Shown(BytesToText(Bytes("\xD6\xD0"s))), "\\xD6\\xD0");
  EXPECT_EQ(BytesLength(TextToBytes(Text())), 0);
  EXPECT_EQ(TextToBytes(Text("ab")), Bytes("ab"s));  // no terminating NUL
}

// Readable zero bytes that the system supplies only when touched, so a view
// of more than INT_MAX bytes costs no memory unless something copies it.
std::string_view UntouchedZeroBytes(std::size_t size) {
#ifdef _WIN32
  void* bytes = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY);
#else
  void* bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (bytes == MAP_FAILED) bytes = nullptr;
#endif
  return bytes ? std::string_view(static_cast<const char*>(bytes), size) : std::string_view();
}

TEST(ByteSetDeathTest, MoreThanIntMaxBytesEndTheProgramBeforeAnyCopy) {
  const std::string_view huge = UntouchedZeroBytes(std::size_t{INT_MAX} + 1);
  ASSERT_FALSE(huge.empty());
  EXPECT_EXIT(ByteSet{huge}, ::testing::ExitedWithCode(EXIT_FAILURE), "");
  ByteSet some = Bytes("ab"s);
  EXPECT_EXIT(some += huge.substr(0, INT_MAX - 1), ::testing::ExitedWithCode(EXIT_FAILURE), "");
}

}  // namespace
}  // namespace idwatch
