#include "app/report_list.h"

#include <climits>
#include <cstring>
#include <utility>

#include "base/numbers.h"

namespace idwatch {
namespace {

bool IsColumn(int column) { return column >= 0 && column < ReportList::kColumnCount; }

}  // namespace

int ReportList::RowCount() const {
  std::lock_guard lock(mutex_);
  return CountLocked();
}

bool ReportList::HoldsCell(int row, int column) const {
  return row >= 0 && row < CountLocked() && IsColumn(column);
}

Text ReportList::CellText(int row, int column) const {
  std::lock_guard lock(mutex_);
  if (!HoldsCell(row, column)) return {};
  return columns_[column][Slot(row)];
}

void ReportList::InsertLocked(int position, Text caption, Text id) {
  Text cells[kColumnCount] = {std::move(caption), std::move(id), Text()};
  const int count = CountLocked();
  for (int column = 0; column < kColumnCount; ++column) {
    std::vector<Text>& cellsOfColumn = columns_[column];
    columnBytes_[column] += cells[column].Bytes().size();
    // Rows from `position` down sit in slots 0 .. count - position - 1.
    cellsOfColumn.insert(cellsOfColumn.begin() + (count - position), std::move(cells[column]));
  }
  CountId(columns_[kIdColumn][Slot(position)].Bytes());
}

int ReportList::InsertRow(int position, const Text& caption) {
  std::unique_lock lock(mutex_);
  const int count = CountLocked();
  if (count == INT_MAX) return -1;
  if (position < 0 || position > count) position = count;
  InsertLocked(position, caption, {});
  Announce(lock, {Change::Kind::RowInserted, position, 0, count + 1});
  return position;
}

void ReportList::SetCellText(int row, int column, const Text& text) {
  std::unique_lock lock(mutex_);
  if (!HoldsCell(row, column)) return;
  Text& cell = columns_[column][Slot(row)];
  if (column == kIdColumn) {
    UncountId(cell.Bytes());
    CountId(text.Bytes());
  }
  columnBytes_[column] = columnBytes_[column] - cell.Bytes().size() + text.Bytes().size();
  cell = text;
  Announce(lock, {Change::Kind::CellSet, row, column, CountLocked()});
}

bool ReportList::InsertIdIfNew(const Text& id) {
  std::unique_lock lock(mutex_);
  if (idCounts_.find(id.Bytes()) != idCounts_.end()) return false;
  const int count = CountLocked();
  if (count == INT_MAX) return false;
  InsertLocked(0, NumberToText(static_cast<double>(count) + 1), id);
  Announce(lock, {Change::Kind::RowInserted, 0, 0, count + 1});
  return true;
}

Text ReportList::ColumnLines(int column) const {
  std::lock_guard lock(mutex_);
  if (!IsColumn(column)) return {};
  std::string lines(columnBytes_[column] + 2 * columns_[column].size(), '\0');
  char* next = lines.data();
  for (auto cell = columns_[column].rbegin(); cell != columns_[column].rend(); ++cell) {
    const std::string_view bytes = cell->Bytes();
    std::memcpy(next, bytes.data(), bytes.size());
    next += bytes.size();
    *next++ = '\r';
    *next++ = '\n';
  }
  return Text(std::move(lines));
}

void ReportList::SetChangeListener(ChangeListener listener) {
  ChangeListener previous;
  {
    std::lock_guard lock(listenerMutex_);
    previous = std::exchange(listener_, std::move(listener));
  }
  // Whatever the old listener captured is released here, outside the lock.
}

void ReportList::CountId(std::string_view id) {
  auto found = idCounts_.find(id);
  if (found != idCounts_.end()) {
    ++found->second;
  } else {
    idCounts_.emplace(std::string(id), 1);
  }
}

void ReportList::UncountId(std::string_view id) {
  auto found = idCounts_.find(id);
  if (found == idCounts_.end()) return;
  if (--found->second == 0) idCounts_.erase(found);
}

void ReportList::Announce(std::unique_lock<std::mutex>& lock, const Change& change) {
  const std::uint64_t number = ++changesMade_;
  lock.unlock();
  std::unique_lock turn(listenerMutex_);
  listenerTurn_.wait(turn, [&] { return changesTold_ + 1 == number; });
  if (listener_) {
    // A listener that throws loses its own notice; it must not stall every
    // later change behind it.
    try {
      listener_(change);
    } catch (...) {
    }
  }
  changesTold_ = number;
  turn.unlock();
  listenerTurn_.notify_all();
}

}  // namespace idwatch
