#include "app/report_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace idwatch {
namespace {

// Column 0 of every row, top to bottom, joined by "|".
std::string Captions(const ReportList& list) {
  std::string joined;
  for (int row = 0; row < list.RowCount(); ++row) {
    if (row > 0) joined += '|';
    joined += list.CellText(row, 0).Bytes();
  }
  return joined;
}

ReportList& ThreeRows(ReportList& list) {
  list.InsertRow(-1, "a");
  list.InsertRow(-1, "b");
  list.InsertRow(-1, "c");
  return list;
}

TEST(ReportList, InsertRowPlacesTheRowAndReturnsItsIndex) {
  struct Case {
    int position;
    int index;
    const char* captions;
  };
  const Case cases[] = {
      {0, 0, "new|a|b|c"},   {1, 1, "a|new|b|c"},  {2, 2, "a|b|new|c"},
      {3, 3, "a|b|c|new"},   {4, 3, "a|b|c|new"},  {-1, 3, "a|b|c|new"},
      {-7, 3, "a|b|c|new"},  {INT_MAX, 3, "a|b|c|new"}, {INT_MIN, 3, "a|b|c|new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position);
    ReportList list;
    ThreeRows(list);
    EXPECT_EQ(list.InsertRow(c.position, "new"), c.index);
    EXPECT_EQ(Captions(list), c.captions);
    EXPECT_EQ(list.RowCount(), 4);
    EXPECT_EQ(list.CellText(c.index, 1), Text());
    EXPECT_EQ(list.CellText(c.index, 2), Text());
  }
  ReportList list;
  EXPECT_EQ(list.InsertRow(), 0);
  EXPECT_EQ(list.CellText(0, 0), Text());
}

TEST(ReportList, CellsOutsideTheListReadEmptyAndIgnoreWrites) {
  ReportList list;
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.CellText(0, 1), Text());
  list.SetCellText(0, 1, "x");
  EXPECT_EQ(list.RowCount(), 0);

  ThreeRows(list);
  const std::pair<int, int> outside[] = {{3, 0}, {-1, 0}, {0, 3}, {0, -1}, {INT_MAX, 1}, {INT_MIN, 1}};
  for (const auto& [row, column] : outside) {
    SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column));
    list.SetCellText(row, column, "x");
    EXPECT_EQ(list.CellText(row, column), Text());
  }
  EXPECT_EQ(Captions(list), "a|b|c");
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(list.CellText(row, 1), Text());
    EXPECT_EQ(list.CellText(row, 2), Text());
  }
}

TEST(ReportList, CellTextReadsBackWholeAndDefaultsToColumnZero) {
  ReportList list;
  list.InsertRow(0, "caption");
  const Text longText(std::string(100000, 'x') + "\xD6\xD0");
  list.SetCellText(0, 1, longText);
  list.SetCellText(0, 2, "t");
  EXPECT_EQ(list.CellText(0, 1), longText);
  EXPECT_EQ(list.CellText(0), Text("caption"));
  list.SetCellText(0);
  EXPECT_EQ(list.CellText(0, 0), Text());
  EXPECT_EQ(list.CellText(0, 2), Text("t"));
}

TEST(ReportList, InsertIdIfNewAddsUnknownIdsOnTopWithCountingCaptions) {
  ReportList list;
  EXPECT_TRUE(list.InsertIdIfNew("alice"));
  EXPECT_TRUE(list.InsertIdIfNew("bob"));
  EXPECT_FALSE(list.InsertIdIfNew("alice"));
  EXPECT_FALSE(list.InsertIdIfNew("bob"));
  EXPECT_TRUE(list.InsertIdIfNew("Alice"));  // IDs compare byte for byte
  EXPECT_TRUE(list.InsertIdIfNew({}));
  EXPECT_FALSE(list.InsertIdIfNew({}));

  ASSERT_EQ(list.RowCount(), 4);
  EXPECT_EQ(Captions(list), "4|3|2|1");
  const char* ids[] = {"", "Alice", "bob", "alice"};
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(list.CellText(row, 1), Text(ids[row]));
    EXPECT_EQ(list.CellText(row, 2), Text());
  }
}

TEST(ReportList, InsertIdIfNewSeesEveryWayARowGetsItsId) {
  ReportList list;
  // A row inserted by InsertRow holds the empty ID until column 1 is set.
  list.InsertRow(-1, "9");
  EXPECT_FALSE(list.InsertIdIfNew({}));

  list.SetCellText(0, 1, "x");
  EXPECT_TRUE(list.InsertIdIfNew({}));
  EXPECT_FALSE(list.InsertIdIfNew("x"));

  // Two rows hold "y"; renaming one of them leaves "y" known.
  list.InsertRow(-1);
  list.SetCellText(2, 1, "y");
  list.SetCellText(0, 1, "y");  // row 0 was the empty ID just added
  EXPECT_TRUE(list.InsertIdIfNew({}));
  list.SetCellText(3, 1, "z");  // one "y" renamed
  EXPECT_FALSE(list.InsertIdIfNew("y"));
  EXPECT_FALSE(list.InsertIdIfNew("z"));

  // Renaming the last holder frees the old ID; other columns never count.
  list.SetCellText(1, 1, "w");  // the other "y"
  list.SetCellText(0, 0, "y");
  list.SetCellText(0, 2, "y");
  EXPECT_TRUE(list.InsertIdIfNew("y"));
  EXPECT_FALSE(list.InsertIdIfNew("w"));
  EXPECT_FALSE(list.InsertIdIfNew("x"));  // untouched all along
}

TEST(ReportList, ColumnLinesIsEveryCellTopToBottomWithLineEnds) {
  ReportList list;
  EXPECT_EQ(list.ColumnLines(1), Text());
  list.InsertIdIfNew("fgh");
  list.InsertIdIfNew("de");
  list.InsertIdIfNew("abc");
  list.InsertRow(-1);
  EXPECT_EQ(list.ColumnLines(1), Text("abc\r\nde\r\nfgh\r\n\r\n"));
  EXPECT_EQ(list.ColumnLines(0), Text("3\r\n2\r\n1\r\n\r\n"));
  EXPECT_EQ(list.ColumnLines(2), Text("\r\n\r\n\r\n\r\n"));
  EXPECT_EQ(list.ColumnLines(3), Text());
  EXPECT_EQ(list.ColumnLines(-1), Text());
}

TEST(ReportList, ListenerLearnsEachChangeInOrder) {
  ReportList list;
  std::vector<std::string> seen;
  list.SetChangeListener([&](const ReportList::Change& change) {
    // A listener may read the list.
    const bool inserted = change.kind == ReportList::Change::Kind::RowInserted;
    seen.push_back((inserted ? "insert " : "set ") + std::to_string(change.row) + "," +
                   std::to_string(change.column) + " of " + std::to_string(change.rowCount) + " (" +
                   std::to_string(list.RowCount()) + ")");
  });
  list.InsertRow(-1, "a");
  list.InsertIdIfNew("x");
  list.InsertIdIfNew("x");      // nothing changes, nothing told
  list.SetCellText(1, 2, "t");
  list.SetCellText(5, 2, "t");  // outside: nothing told
  list.InsertRow(1);
  list.SetChangeListener({});
  list.InsertRow(0);
  EXPECT_EQ(seen, (std::vector<std::string>{"insert 0,0 of 1 (1)", "insert 0,0 of 2 (2)",
                                            "set 1,2 of 2 (2)", "insert 1,0 of 3 (3)"}));
}

TEST(ReportList, ListenerCallsFromManyThreadsFollowTheChanges) {
  ReportList list;
  std::vector<int> counts;  // written by the listener only; calls never overlap
  list.SetChangeListener([&](const ReportList::Change& change) { counts.push_back(change.rowCount); });
  constexpr int kThreads = 8;
  constexpr int kIdsEach = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&list, t] {
      for (int i = 0; i < kIdsEach; ++i) list.InsertIdIfNew(Text(std::to_string(t * kIdsEach + i)));
    });
  }
  for (std::thread& thread : threads) thread.join();
  ASSERT_EQ(counts.size(), static_cast<std::size_t>(kThreads * kIdsEach));
  for (std::size_t i = 0; i < counts.size(); ++i) ASSERT_EQ(counts[i], static_cast<int>(i) + 1);
}

TEST(ReportList, NoListenerRunsAfterItWasReplaced) {
  ReportList list;
  std::atomic<int> inside{0};
  std::atomic<int> calls{0};
  list.SetChangeListener([&](const ReportList::Change&) {
    ++inside;
    ++calls;
    std::this_thread::yield();
    --inside;
  });
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i) list.InsertIdIfNew(Text(std::to_string(i)));
  });
  while (calls < 100) std::this_thread::yield();
  list.SetChangeListener({});
  EXPECT_EQ(inside, 0);
  const int callsAfterRemoval = calls;
  while (list.RowCount() < callsAfterRemoval + 100) std::this_thread::yield();
  stop = true;
  writer.join();
  EXPECT_EQ(calls, callsAfterRemoval);
}

TEST(ReportList, ThrowingListenerDoesNotStallLaterChanges) {
  ReportList list;
  int calls = 0;
  list.SetChangeListener([&](const ReportList::Change&) {
    ++calls;
    throw std::runtime_error("listener failed");
  });
  EXPECT_TRUE(list.InsertIdIfNew("a"));
  EXPECT_TRUE(list.InsertIdIfNew("b"));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(list.RowCount(), 2);
}

}  // namespace
}  // namespace idwatch
