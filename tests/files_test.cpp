#include "base/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "base/codepage.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace idwatch {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

// A fresh directory per test, removed afterwards. Paths handed to the file
// layer are Text in code page 936 with '\' separators, as the program builds
// them; the checks look at the disk through std::filesystem.
class FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    directory_ = fs::temp_directory_path() / (std::string("idwatch_files_") + test->name());
    fs::remove_all(directory_);
    fs::create_directories(directory_);
  }
  void TearDown() override { fs::remove_all(directory_); }

  // The Text path of `name` (UTF-8) inside the test's directory.
  Text PathOf(std::string_view name) const {
    std::u16string units = directory_.generic_u16string();
    for (char16_t& unit : units) {
      if (unit == u'/') unit = u'\\';
    }
    return Text(Utf16ToCp936(units)) + Text("\\") + TextFromUtf8(name);
  }
  fs::path DiskPathOf(std::string_view name) const {
    return directory_ / fs::path(std::u8string(name.begin(), name.end()));
  }
  std::string Contents(std::string_view name) const {
    std::ifstream in(DiskPathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Put(std::string_view name, std::string_view bytes) const {
    std::ofstream(DiskPathOf(name), std::ios::binary) << bytes;
  }

  fs::path directory_;
};

TEST_F(FilesTest, WriteWholeFileCreatesOrReplaces) {
  struct Case {
    std::string_view name;
    std::string_view before;  // empty: no such file yet
    std::string_view bytes;
  } cases[] = {
      {"new.txt", "", "abc\r\n"},
      {"zero.bin", "", "a\0b"sv},                     // byte sets may hold NUL
      {"longer.txt", "an older, longer text", ""},    // the empty byte set empties the file
      {"shorter.txt", "0123456789", "ab"},
      {"导出活跃ID2014年11月1日12时.txt", "", "x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.before.empty()) Put(c.name, c.before);
    EXPECT_TRUE(WriteWholeFile(PathOf(c.name), ByteSet(c.bytes)));
    ASSERT_TRUE(fs::is_regular_file(DiskPathOf(c.name)));
    EXPECT_EQ(Contents(c.name), c.bytes);
  }
}

TEST_F(FilesTest, WriteWholeFileRefusesWhatCannotBeCreated) {
  fs::create_directory(DiskPathOf("taken"));
  EXPECT_FALSE(WriteWholeFile(Text(), ByteSet("abc"sv)));
  EXPECT_FALSE(WriteWholeFile(PathOf("missing\\a.txt"), ByteSet("abc"sv)));
  EXPECT_FALSE(WriteWholeFile(PathOf("taken"), ByteSet("abc"sv)));
  EXPECT_FALSE(fs::exists(DiskPathOf("missing")));
  EXPECT_TRUE(fs::is_directory(DiskPathOf("taken")));
}

TEST_F(FilesTest, TrailByte5CIsNoSeparatorInPaths) {
  // 95 5C is one character; its second byte must not split the name.
  const Text name = Text("\x95\x5C") + Text(".txt");
  const std::string utf8Name = TextToUtf8(name);
  ASSERT_EQ(utf8Name.find('\\'), std::string::npos);
  EXPECT_TRUE(WriteWholeFile(PathOf(utf8Name), ByteSet("5c"sv)));
  EXPECT_EQ(Contents(utf8Name), "5c");
}

TEST_F(FilesTest, OpenDataFileOpensExistingFilesOnly) {
  fs::create_directory(DiskPathOf("taken"));
  EXPECT_EQ(OpenDataFile(Text()), 0);
  EXPECT_EQ(OpenDataFile(PathOf("absent.txt")), 0);
  EXPECT_EQ(OpenDataFile(PathOf("missing\\absent.txt")), 0);
  EXPECT_EQ(OpenDataFile(PathOf("taken")), 0);
  EXPECT_FALSE(fs::exists(DiskPathOf("absent.txt")));  // nothing created

  Put("数据.txt", "");
  int file = OpenDataFile(PathOf("数据.txt"));
  EXPECT_NE(file, 0);
  EXPECT_TRUE(CloseDataFile(file));
}

TEST_F(FilesTest, WriteTextToFileWritesAtThePositionAndMovesOn) {
  Put("fresh.txt", "");
  int fresh = OpenDataFile(PathOf("fresh.txt"));
  ASSERT_NE(fresh, 0);
  EXPECT_TRUE(WriteTextToFile(fresh, "ab"));
  EXPECT_TRUE(WriteTextToFile(fresh, Text()));  // writes nothing
  EXPECT_TRUE(WriteTextToFile(fresh, "cd"));
  EXPECT_TRUE(CloseDataFile(fresh));
  EXPECT_EQ(Contents("fresh.txt"), "abcd");

  Put("old.txt", "xyz12");
  int old = OpenDataFile(PathOf("old.txt"));
  ASSERT_NE(old, 0);
  EXPECT_TRUE(WriteTextToFile(old, "ab"));  // overwrites from the start
  EXPECT_TRUE(CloseDataFile(old));
  EXPECT_EQ(Contents("old.txt"), "abz12");

  Put("grow.txt", "xy");
  int grow = OpenDataFile(PathOf("grow.txt"));
  EXPECT_TRUE(WriteTextToFile(grow, TextFromUtf8("活跃ID\r\n")));
  EXPECT_TRUE(CloseDataFile(grow));
  EXPECT_EQ(Contents("grow.txt"), TextFromUtf8("活跃ID\r\n").Bytes());
}

TEST_F(FilesTest, DataFilesAreSharedWithOtherOpeners) {
  Put("shared.txt", "....");
  int first = OpenDataFile(PathOf("shared.txt"));
  int second = OpenDataFile(PathOf("shared.txt"));
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_TRUE(WriteTextToFile(first, "abc"));
  EXPECT_TRUE(WriteTextToFile(second, "X"));  // each has its own position
  EXPECT_TRUE(CloseDataFile(first));
  EXPECT_TRUE(CloseDataFile(second));
  EXPECT_EQ(Contents("shared.txt"), "Xbc.");
}

TEST_F(FilesTest, UnknownFileNumbersAreRefused) {
  Put("once.txt", "");
  int closed = OpenDataFile(PathOf("once.txt"));
  ASSERT_NE(closed, 0);
  EXPECT_TRUE(CloseDataFile(closed));
  for (int file : {0, -1, closed, closed + 1000, 2147483647}) {
    SCOPED_TRACE(file);
    EXPECT_FALSE(WriteTextToFile(file, "x"));
    EXPECT_FALSE(CloseDataFile(file));
  }
  EXPECT_EQ(Contents("once.txt"), "");
  int again = OpenDataFile(PathOf("once.txt"));
  EXPECT_NE(again, closed);  // numbers are not handed out again
  EXPECT_TRUE(CloseDataFile(again));
}

#ifndef _WIN32
TEST_F(FilesTest, FailedWritesAreReported) {
  EXPECT_FALSE(WriteWholeFile("\\dev\\full", ByteSet("abc"sv)));
  EXPECT_TRUE(WriteWholeFile("\\dev\\full", ByteSet()));
  int full = OpenDataFile("\\dev\\full");
  ASSERT_NE(full, 0);
  EXPECT_FALSE(WriteTextToFile(full, "abc"));
  EXPECT_TRUE(CloseDataFile(full));
}

TEST_F(FilesTest, FailedWriteLeavesThePositionWhereItWas) {
  Put("limited.txt", "xyz");
  int file = OpenDataFile(PathOf("limited.txt"));
  ASSERT_NE(file, 0);
  ASSERT_TRUE(WriteTextToFile(file, "a"));

  // The process may write files up to 4 bytes: the next write is cut short
  // after "bcd", and the rest is refused.
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  rlimit limit{}, saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = saved;
  limit.rlim_cur = 4;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  bool written = WriteTextToFile(file, "bcdefg");
  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);

  EXPECT_FALSE(written);
  EXPECT_TRUE(WriteTextToFile(file, "Q"));  // back at position 1
  EXPECT_TRUE(CloseDataFile(file));
  EXPECT_EQ(Contents("limited.txt"), "aQcd");
}
#endif

TEST(RunDirectory, DirectoryOfStopsAtTheLastRealBackslash) {
  struct Case {
    Text path;
    Text directory;
  } cases[] = {
      {"C:\\tools\\watch.exe", "C:\\tools"},
      {"C:\\watch.exe", "C:"},
      {"C:\\tools\\", "C:\\tools"},
      {"C:\\tools\x95\x5C\\watch.exe", "C:\\tools\x95\x5C"},  // a directory ending in 95 5C stays whole
      {"C:\\a\x95\x5Cwatch.exe", "C:"},                       // 5C inside a character separates nothing
      {"C:\\a\\\x95", "C:\\a"},                                // a lone byte at the end
      {"\\usr\\bin\\idwatch", "\\usr\\bin"},
      {"\\idwatch", ""},
      {"watch.exe", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.CStr());
    EXPECT_EQ(DirectoryOf(c.path), c.directory);
  }
}

TEST(RunDirectory, HoldsTheRunningExecutable) {
  const Text directory = RunDirectory();
  ASSERT_FALSE(directory.IsEmpty());
  EXPECT_NE(directory.Bytes().back(), '\\');
  std::u16string units = Cp936ToUtf16(directory.Bytes());
  for (char16_t& unit : units) {
    if (unit == u'\\') unit = u'/';
  }
#ifdef _WIN32
  const fs::path executable = fs::path(units) / "files_test.exe";
#else
  const fs::path executable = fs::path(units) / "files_test";
#endif
  EXPECT_TRUE(fs::is_regular_file(executable)) << executable.string();
  EXPECT_EQ(RunDirectory(), directory);
}

}  // namespace
}  // namespace idwatch
