// Overlapping cycles, exports and the exit handler at the same time. Built
// and run under ThreadSanitizer by the native-tsan preset as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/handlers.h"
#include "base/text_array.h"
#include "collector/collect_cycle.h"
#include "tests/support/fake_main_window.h"
#include "tests/support/temp_directory.h"
#include "tests/support/thread_list_page.h"

namespace idwatch {
namespace {

constexpr int kIds = 200;
constexpr int kPages = 8;

// Eight pages of 50 repliers each out of 200, every page overlapping the
// next, in shuffled order; together they name every replier.
std::vector<std::string> OverlappingPages() {
  std::mt19937 random(4);
  std::vector<std::string> pages;
  for (int p = 0; p < kPages; ++p) {
    std::vector<std::string> repliers;
    for (int i = 0; i < 50; ++i) repliers.push_back("user" + std::to_string((p * 25 + i) % kIds));
    std::shuffle(repliers.begin(), repliers.end(), random);
    pages.push_back(ThreadListPage(repliers, p % 2 ? ColonForm::Ascii : ColonForm::FullWidth));
  }
  return pages;
}

Fetch RotatingFetch(std::shared_ptr<const std::vector<std::string>> pages) {
  auto next = std::make_shared<std::atomic<unsigned>>(0);
  return [pages, next](const Text&) { return ByteSet((*pages)[(*next)++ % pages->size()]); };
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Column 1 of every row, top to bottom.
std::vector<std::string> Ids(const ReportList& list) { return Lines(std::string(list.ColumnLines(1).Bytes())); }

void ExpectEveryIdOnceInOrder(const ReportList& list) {
  const std::vector<std::string> ids = Ids(list);
  ASSERT_EQ(ids.size(), static_cast<std::size_t>(kIds));
  EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
  for (int row = 0; row < kIds; ++row) {
    EXPECT_EQ(list.CellText(row, 0), Text(std::to_string(kIds - row)));
    EXPECT_EQ(list.CellText(row, 2), Text());
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(Concurrency, OverlappingCyclesExportsAndExitAddEachIdOnce) {
  auto pages = std::make_shared<const std::vector<std::string>>(OverlappingPages());
  TempDirectory directory;
  FakeMainWindow window(RotatingFetch(pages));
  window.exportDirectory = directory.AsText();
  ReportList& list = window.ip超级列表();

  // A listener as a front-end has one: it reads the list from the workers'
  // threads and must see the row count grow by one per insertion.
  std::vector<int> counts;
  list.SetChangeListener([&](const ReportList::Change& change) {
    counts.push_back(change.rowCount);
    (void)list.CellText(change.row, 1);
  });

  constexpr int kThreads = 12;
  constexpr int kCyclesEach = 6;
  std::atomic<bool> go{false};
  std::vector<std::thread> workers;
  SharedState& state = window.State();
  for (int t = 0; t < kThreads; ++t) {
    workers.emplace_back([&] {
      while (!go) std::this_thread::yield();
      for (int c = 0; c < kCyclesEach; ++c) CollectCycle(state, "abc");
    });
  }
  go = true;

  // Exports on this thread while the cycles run: each one is a consistent
  // snapshot, the oldest rows of the final list, each row once.
  std::vector<std::vector<std::string>> exported;
  const auto file = directory.Path() / std::filesystem::path(u8"导出活跃ID2014年11月1日12时5分24秒.txt");
  for (int e = 0; e < 20; ++e) {
    OnExportClicked(window);
    if (std::filesystem::exists(file)) exported.push_back(Lines(ReadFile(file)));
    if (e == 10) OnExit(window);
    std::this_thread::yield();
  }
  for (std::thread& worker : workers) worker.join();
  list.SetChangeListener({});

  ExpectEveryIdOnceInOrder(list);
  const std::vector<std::string> finalIds = Ids(list);
  for (std::vector<std::string> lines : exported) {
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "");  // the closing line end
    lines.pop_back();
    ASSERT_LE(lines.size(), finalIds.size());
    EXPECT_TRUE(std::equal(lines.begin(), lines.end(), finalIds.end() - lines.size()));
  }
  OnExportClicked(window);
  std::vector<std::string> last = Lines(ReadFile(file));
  last.pop_back();
  EXPECT_EQ(last, finalIds);

  ASSERT_EQ(counts.size(), static_cast<std::size_t>(kIds));
  for (int i = 0; i < kIds; ++i) EXPECT_EQ(counts[i], i + 1);
  // Nothing was stored after the exit handler, not even the last export.
  EXPECT_EQ(state.pageText.Copy(), Text());
}

TEST(Concurrency, DetachedWorkersFromTicksAddEachIdOnce) {
  auto pages = std::make_shared<const std::vector<std::string>>(OverlappingPages());
  MessageRecorder messages;
  FakeMainWindow window(RotatingFetch(pages));
  window.延时().SetText("1");
  window.贴吧().SetText("abc");
  OnCheckClicked(window);
  for (int tick = 0; tick < 40; ++tick) window.Tick();
  EXPECT_EQ(window.标签1().GetText(), Text("41"));
  ASSERT_TRUE(window.WaitForWorkers());
  ExpectEveryIdOnceInOrder(window.ip超级列表());
}

}  // namespace
}  // namespace idwatch
