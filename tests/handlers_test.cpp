#include "app/handlers.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "collector/forum_address.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_directory.h"
#include "tests/support/thread_list_page.h"

namespace idwatch {
namespace {

Text U(std::string_view utf8) { return TextFromUtf8(utf8); }

// A forum service that serves one thread list for every address and notes
// the addresses fetched. Any thread.
class FakeForum {
 public:
  void Serve(const std::vector<std::string>& repliers) {
    std::lock_guard lock(mutex_);
    page_ = ThreadListPage(repliers, ColonForm::Ascii);
  }
  std::vector<Text> Addresses() const {
    std::lock_guard lock(mutex_);
    return addresses_;
  }
  Fetch AsFetch() {
    return [this](const Text& address) {
      std::lock_guard lock(mutex_);
      addresses_.push_back(address);
      return ByteSet(page_);
    };
  }

 private:
  mutable std::mutex mutex_;
  std::string page_;
  std::vector<Text> addresses_;
};

class HandlersTest : public ::testing::Test {
 protected:
  HandlersTest() { forum.Serve({"alice", "bob"}); }

  // Fills both boxes as a user would and presses 检测.
  void Start(const Text& delay, const Text& forumName = "abc") {
    window.延时().SetText(delay);
    window.贴吧().SetText(forumName);
    OnCheckClicked(window);
  }

  FakeForum forum;  // outlives the window and its workers
  MessageRecorder messages;
  FakeMainWindow window{forum.AsFetch()};
};

TEST_F(HandlersTest, StartIsRefusedWhileABoxIsEmptyOrHoldsItsHint) {
  const std::pair<Text, Text> inputs[] = {
      {U("延时：秒"), "abc"}, {"10", U("贴吧")}, {{}, "abc"}, {"10", {}},
      {U("延时：秒"), U("贴吧")}, {{}, {}},
  };
  for (const auto& [delay, forumName] : inputs) {
    SCOPED_TRACE(TextToUtf8(delay) + " / " + TextToUtf8(forumName));
    messages.Clear();
    Start(delay, forumName);
    EXPECT_EQ(messages.Messages(), std::vector<Text>{U("请先填写延时或贴吧名")});
    EXPECT_EQ(window.检测().GetText(), U("检测"));
    EXPECT_EQ(window.标签1().GetText(), Text("0"));
    EXPECT_EQ(window.时钟1().Period(), 0);
  }
  ASSERT_TRUE(window.WaitForWorkers());
  EXPECT_TRUE(forum.Addresses().empty());
  EXPECT_EQ(window.ip超级列表().RowCount(), 0);
}

TEST_F(HandlersTest, StartCountsRunsOneCycleAndSetsThePeriodFromTheDelay) {
  struct Case {
    Text delay;
    int period;
  };
  const Case cases[] = {
      {"10", 10000},
      {"5", 5000},
      {"2.5", 2000},
      {U("１０"), 10000},           // full-width digits
      {"abc", 0},                   // not a number: one cycle, no ticks
      {"-3", 0},
      {"2147483", 2147483000},
      {"2147484", INT_MAX},         // beyond the timer's range: the longest period
      {"99999999", INT_MAX},
      {"-2147484", 0},              // hugely negative: stopped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.delay));
    FakeForum oneForum;
    oneForum.Serve({"alice", "bob"});
    MessageRecorder quiet;
    {
      FakeMainWindow fresh(oneForum.AsFetch());
      fresh.延时().SetText(c.delay);
      fresh.贴吧().SetText("abc");
      OnCheckClicked(fresh);
      EXPECT_EQ(fresh.标签1().GetText(), Text("1"));
      EXPECT_EQ(fresh.检测().GetText(), U("停止"));
      EXPECT_EQ(fresh.时钟1().Period(), c.period);
      ASSERT_TRUE(fresh.WaitForWorkers());
      EXPECT_EQ(oneForum.Addresses(), std::vector<Text>{ForumAddress("abc")});
      EXPECT_EQ(fresh.ip超级列表().RowCount(), 2);
      EXPECT_EQ(fresh.Tick(), c.period > 0);
    }
    EXPECT_TRUE(quiet.Messages().empty());
  }
}

TEST_F(HandlersTest, TicksCountAndStartCyclesUntilStopped) {
  Start("10");
  EXPECT_EQ(window.标签1().GetText(), Text("1"));
  EXPECT_TRUE(window.Tick());
  EXPECT_TRUE(window.Tick());
  EXPECT_EQ(window.标签1().GetText(), Text("3"));
  ASSERT_TRUE(window.WaitForWorkers());
  EXPECT_EQ(forum.Addresses().size(), 3u);

  OnCheckClicked(window);  // stop
  EXPECT_EQ(window.检测().GetText(), U("检测"));
  EXPECT_EQ(window.时钟1().Period(), 0);
  EXPECT_EQ(window.标签1().GetText(), Text("3"));
  EXPECT_FALSE(window.Tick());

  OnCheckClicked(window);  // start again: the count goes on
  EXPECT_EQ(window.标签1().GetText(), Text("4"));
  EXPECT_EQ(window.时钟1().Period(), 10000);
  ASSERT_TRUE(window.WaitForWorkers());
  EXPECT_EQ(forum.Addresses().size(), 4u);
  EXPECT_EQ(window.ip超级列表().RowCount(), 2);
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(HandlersTest, EachCycleFetchesTheForumNamedWhenItStarts) {
  Start("10", "abc");
  ASSERT_TRUE(window.WaitForWorkers());
  window.贴吧().SetText(U("李 四"));
  forum.Serve({"carol"});
  window.Tick();
  ASSERT_TRUE(window.WaitForWorkers());
  window.贴吧().SetText({});
  window.Tick();
  ASSERT_TRUE(window.WaitForWorkers());
  EXPECT_EQ(forum.Addresses(),
            (std::vector<Text>{ForumAddress("abc"), ForumAddress(U("李 四")), ForumAddress({})}));
  // Rows of the first forum stay.
  EXPECT_EQ(window.ip超级列表().ColumnLines(1), Text("carol\r\nbob\r\nalice\r\n"));
}

TEST_F(HandlersTest, CounterReadsItsLeadingNumber) {
  const std::pair<Text, Text> cases[] = {
      {"0", "1"},
      {"7", "8"},
      {U("状态：导出完毕。。"), "1"},
      {U("状态：无数据"), "1"},
      {"1.9", "2"},
      {"-5", "-4"},
      {"2147483647", "2147483648"},
      {"2147483648", "-2147483647"},  // reads as -2147483648 (32-bit wrap)
  };
  window.时钟1().SetPeriod(1000);
  for (const auto& [before, after] : cases) {
    SCOPED_TRACE(TextToUtf8(before));
    window.标签1().SetText(before);
    EXPECT_TRUE(window.Tick());
    EXPECT_EQ(window.标签1().GetText(), after);
  }
}

TEST(TimerControl, WritesFollowThePeriodRules) {
  struct Write {
    int period;
    int expectedPeriod;
    int expectedRestarts;
  };
  const Write writes[] = {
      {5000, 5000, 1}, {5000, 5000, 1},  // the same period: the rhythm is kept
      {0, 0, 2},       {-1, 0, 2},       // negative counts as 0
      {3000, 3000, 3}, {-5, 0, 4},       {INT_MIN, 0, 4},
      {INT_MAX, INT_MAX, 5},
  };
  FakeMainWindow window;
  for (const Write& w : writes) {
    SCOPED_TRACE(w.period);
    window.时钟1().SetPeriod(w.period);
    EXPECT_EQ(window.时钟1().Period(), w.expectedPeriod);
    EXPECT_EQ(window.时钟1().Restarts(), w.expectedRestarts);
  }
}

TEST_F(HandlersTest, EnteringABoxClearsOnlyItsHint) {
  struct Case {
    void (*handler)(MainWindow&);
    FakeTextControl& (FakeMainWindow::*box)();
    Text before;
    Text after;
  };
  const Case cases[] = {
      {OnDelayGotFocus, &FakeMainWindow::延时, U("延时：秒"), {}},
      {OnDelayGotFocus, &FakeMainWindow::延时, "10", "10"},
      {OnDelayGotFocus, &FakeMainWindow::延时, U("贴吧"), U("贴吧")},
      {OnForumGotFocus, &FakeMainWindow::贴吧, U("贴吧"), {}},
      {OnForumGotFocus, &FakeMainWindow::贴吧, "abc", "abc"},
      {OnForumGotFocus, &FakeMainWindow::贴吧, U("延时：秒"), U("延时：秒")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.before));
    (window.*c.box)().SetText(c.before);
    c.handler(window);
    EXPECT_EQ((window.*c.box)().GetText(), c.after);
  }
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(HandlersTest, LeavingTheDelayWarnsBelowFiveSeconds) {
  const std::pair<Text, bool> cases[] = {
      {{}, true},   {U("延时：秒"), true}, {"4", true},  {"2.5", true}, {"abc", true},
      {"-3", true}, {"5", false},          {"10", false}, {U("１０"), false},
  };
  for (const auto& [delay, warns] : cases) {
    SCOPED_TRACE(TextToUtf8(delay));
    messages.Clear();
    window.延时().SetText(delay);
    OnDelayLostFocus(window);
    const std::vector<Text> expected{U("延时时间小于5秒可能会导致列表重复！")};
    EXPECT_EQ(messages.Messages(), warns ? expected : std::vector<Text>());
    EXPECT_EQ(window.延时().GetText(), delay);
  }
  // A start with a short delay is accepted all the same.
  Start("2");
  EXPECT_EQ(window.检测().GetText(), U("停止"));
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ExportTest : public HandlersTest {
 protected:
  ExportTest() { window.exportDirectory = directory.AsText(); }

  // Every file the export directory holds.
  std::vector<std::filesystem::path> Files() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory.Path())) {
      files.push_back(entry.path());
    }
    return files;
  }

  TempDirectory directory;
};

TEST_F(ExportTest, WritesColumnOneTopToBottomWhenThereAreFiveBytes) {
  struct Case {
    std::vector<Text> idsAddedInOrder;
    Text status;
    std::string file;  // empty: no file
    Text pageText;     // the export's text, left behind as the page text
  };
  const Text zhang = U("张三");
  const Case cases[] = {
      {{}, U("状态：无数据"), "", {}},
      {{"ab"}, U("状态：无数据"), "", "ab\r\n"},
      {{"abc"}, U("状态：导出完毕。。"), "abc\r\n\r\n", "abc\r\n"},
      {{"fgh", "de", "abc"}, U("状态：导出完毕。。"), "abc\r\nde\r\nfgh\r\n\r\n", "abc\r\nde\r\nfgh\r\n"},
      {{zhang}, U("状态：导出完毕。。"), std::string(zhang.Bytes()) + "\r\n\r\n", zhang + Text("\r\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TempDirectory place;
    FakeMainWindow fresh;
    fresh.exportDirectory = place.AsText();
    for (const Text& id : c.idsAddedInOrder) fresh.ip超级列表().InsertIdIfNew(id);
    fresh.State().pageText.Store("an old page");
    OnExportClicked(fresh);
    EXPECT_EQ(fresh.标签1().GetText(), c.status);
    const auto name = place.Path() / std::filesystem::path(u8"导出活跃ID2014年11月1日12时5分24秒.txt");
    const auto files = std::distance(std::filesystem::directory_iterator(place.Path()),
                                     std::filesystem::directory_iterator());
    EXPECT_EQ(files, c.file.empty() ? 0 : 1);
    if (!c.file.empty()) {
      EXPECT_EQ(ReadFile(name), c.file);
    }
    EXPECT_EQ(fresh.State().pageText.Copy(), c.pageText);
  }
}

TEST_F(ExportTest, EmptyIdsStillMakeLines) {
  for (int i = 0; i < 3; ++i) window.ip超级列表().InsertRow();
  OnExportClicked(window);
  EXPECT_EQ(window.标签1().GetText(), U("状态：导出完毕。。"));
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(ReadFile(Files()[0]), "\r\n\r\n\r\n\r\n");
  EXPECT_EQ(window.State().pageText.Copy(), Text("\r\n\r\n\r\n"));
}

TEST_F(ExportTest, NamesTheFileAfterTheDateAndTime) {
  struct Case {
    DateTime time;
    const char8_t* name;
  };
  const Case cases[] = {
      {{2014, 11, 1, 12, 5, 24}, u8"导出活跃ID2014年11月1日12时5分24秒.txt"},
      {{2014, 11, 1, 12, 0, 0}, u8"导出活跃ID2014年11月1日12时.txt"},
  };
  window.ip超级列表().InsertIdIfNew("abc");
  for (const Case& c : cases) {
    window.exportTime = c.time;
    OnExportClicked(window);
    EXPECT_EQ(ReadFile(directory.Path() / std::filesystem::path(c.name)), "abc\r\n\r\n");
  }
  EXPECT_EQ(Files().size(), 2u);
}

TEST_F(ExportTest, ASecondExportInTheSameSecondReplacesTheFile) {
  window.ip超级列表().InsertIdIfNew("abcdef");
  OnExportClicked(window);
  window.ip超级列表().InsertIdIfNew("xyz");
  OnExportClicked(window);
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(ReadFile(Files()[0]), "xyz\r\nabcdef\r\n\r\n");
}

TEST_F(ExportTest, AFileThatCannotBeMadeIsReportedAsAFailure) {
  window.ip超级列表().InsertIdIfNew("abc");
  // A directory that does not exist.
  window.exportDirectory = directory.AsText() + Text("\\missing");
  OnExportClicked(window);
  EXPECT_EQ(window.标签1().GetText(), U("状态：导出失败。。"));
  EXPECT_TRUE(Files().empty());

  // The file's name is taken by a directory.
  window.exportDirectory = directory.AsText();
  const auto name = directory.Path() / std::filesystem::path(u8"导出活跃ID2014年11月1日12时5分24秒.txt");
  std::filesystem::create_directory(name);
  OnExportClicked(window);
  EXPECT_EQ(window.标签1().GetText(), U("状态：导出失败。。"));
  EXPECT_TRUE(std::filesystem::is_directory(name));
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(ExportTest, TheNextCountAfterAnExportIsOne) {
  Start("10");
  ASSERT_TRUE(window.WaitForWorkers());
  window.Tick();
  EXPECT_EQ(window.标签1().GetText(), Text("2"));
  OnExportClicked(window);
  EXPECT_EQ(window.标签1().GetText(), U("状态：导出完毕。。"));
  window.Tick();
  EXPECT_EQ(window.标签1().GetText(), Text("1"));
  ASSERT_TRUE(window.WaitForWorkers());
  ASSERT_EQ(Files().size(), 1u);
  EXPECT_EQ(ReadFile(Files()[0]), "bob\r\nalice\r\n\r\n");
}

TEST_F(HandlersTest, OnExitReleasesThePageTextForGood) {
  Start("10");
  ASSERT_TRUE(window.WaitForWorkers());
  ASSERT_FALSE(window.State().pageText.Copy().IsEmpty());
  OnExit(window);
  EXPECT_EQ(window.State().pageText.Copy(), Text());
  forum.Serve({"carol"});
  window.Tick();  // a cycle that ends after the exit handler has run
  ASSERT_TRUE(window.WaitForWorkers());
  EXPECT_EQ(window.State().pageText.Copy(), Text());
  EXPECT_EQ(window.ip超级列表().RowCount(), 3);
}

}  // namespace
}  // namespace idwatch
