#pragma once
// ReportList: the rows of the report list ip超级列表 (columns 0 "序号",
// 1 "ID", 2 "时间"), the only store of the collected IDs. The window shows
// this model; it keeps no copy of its own.
//
// Every member may be called from any thread and is one step: a reader sees
// a change either whole or not at all. Rows are indexed from 0 at the top,
// columns from 0 at the left. The list only grows.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/text.h"

namespace idwatch {

class ReportList {
 public:
  static constexpr int kColumnCount = 3;
  static constexpr int kIdColumn = 1;

  // What one change did, as the listener learns it.
  struct Change {
    enum class Kind { RowInserted, CellSet };
    Kind kind;
    int row;       // the inserted row's index, or the changed cell's row
    int column;    // the changed cell's column; 0 for RowInserted
    int rowCount;  // the number of rows right after this change
  };
  // Called after every change, on the thread that made it, while the list
  // itself is not locked: it may read the list (later changes may already
  // have been made), but it must not change the list or replace the
  // listener, and must not wait for another thread (a front-end posts a
  // message or queues a call and returns). Calls never overlap and arrive in
  // the order of the changes.
  using ChangeListener = std::function<void(const Change&)>;

  ReportList() = default;
  ReportList(const ReportList&) = delete;
  ReportList& operator=(const ReportList&) = delete;

  int RowCount() const;

  // The cell's whole text; the empty text for a row or column outside the
  // list. Never fails.
  Text CellText(int row, int column = 0) const;

  // Inserts a row before the row at `position` (0 is the top); a negative
  // position or one at or past the row count appends at the bottom. The
  // caption goes into column 0, columns 1 and 2 start empty. Returns the new
  // row's index, or -1 when the list cannot hold another row. Inserting at
  // the top costs the same at any size (amortized); lower down the cost
  // grows with the number of rows above the new one.
  int InsertRow(int position = -1, const Text& caption = {});

  // Replaces the cell's text; a row or column outside the list changes
  // nothing.
  void SetCellText(int row, int column = 0, const Text& text = {});

  // The collection cycle's check-and-insert, as one step: when no row holds
  // `id` in column 1, inserts a row at the top whose caption is the row count
  // plus one (written by NumberToText), whose column 1 is `id` and whose
  // column 2 is empty, and returns true; otherwise changes nothing and returns
  // false. Overlapping callers never add the same ID twice. The check costs
  // the same however many rows the list holds.
  bool InsertIdIfNew(const Text& id);

  // Every cell of `column`, top to bottom, each followed by CR LF, taken as
  // one step (one consistent snapshot). Empty for an empty list or a column
  // outside the list.
  Text ColumnLines(int column) const;

  // Replaces the listener (an empty one removes it). When this returns, the
  // previous listener is not running and will never be called again, so a
  // front-end may destroy what it captured.
  void SetChangeListener(ChangeListener listener);

 private:
  // Hashes std::string and std::string_view alike, so lookups copy nothing.
  struct BytesHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view bytes) const noexcept {
      return std::hash<std::string_view>{}(bytes);
    }
  };
  using IdIndex = std::unordered_map<std::string, int, BytesHash, std::equal_to<>>;

  void CountId(std::string_view id);
  void UncountId(std::string_view id);
  // Called with mutex_ held: numbers the change, releases mutex_, then tells
  // the listener once every earlier change has been told.
  void Announce(std::unique_lock<std::mutex>& lock, const Change& change);

  int CountLocked() const { return static_cast<int>(columns_[0].size()); }
  // Where row `row` (0 at the top) sits in the column vectors.
  std::size_t Slot(int row) const { return columns_[0].size() - 1 - static_cast<std::size_t>(row); }
  bool HoldsCell(int row, int column) const;
  void InsertLocked(int position, Text caption, Text id);

  mutable std::mutex mutex_;
  // One vector per column, all of the row count's length, holding the rows
  // bottom first: the cycle's insertion at the top is an append, and a
  // column reads as one run of memory.
  std::vector<Text> columns_[kColumnCount];
  std::size_t columnBytes_[kColumnCount] = {};  // the sum of each column's text lengths
  // How many rows hold each text in column 1 (the empty text included).
  IdIndex idCounts_;
  std::uint64_t changesMade_ = 0;  // guarded by mutex_

  // Never held together with mutex_ by a changing thread, so a listener may
  // read the list. Held while the listener runs.
  std::mutex listenerMutex_;
  std::condition_variable listenerTurn_;
  std::uint64_t changesTold_ = 0;  // guarded by listenerMutex_
  ChangeListener listener_;
};

}  // namespace idwatch
