#include "app/report_list.h"

#include <climits>
#include <utility>

#include "base/numbers.h"

namespace idwatch {
namespace {

bool IsColumn(int column) { return column >= 0 && column < ReportList::kColumnCount; }

}  // namespace

int ReportList::RowCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(rows_.size());
}

Text ReportList::CellText(int row, int column) const {
  std::lock_guard lock(mutex_);
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || !IsColumn(column)) return {};
  return rows_[row].cells[column];
}

int ReportList::InsertRow(int position, const Text& caption) {
  std::unique_lock lock(mutex_);
  if (rows_.size() >= static_cast<std::size_t>(INT_MAX)) return -1;
  const int count = static_cast<int>(rows_.size());
  if (position < 0 || position > count) position = count;
  Row row;
  row.cells[0] = caption;
  if (position == 0) {
    rows_.push_front(std::move(row));
  } else if (position == count) {
    rows_.push_back(std::move(row));
  } else {
    rows_.insert(rows_.begin() + position, std::move(row));
  }
  CountId({});
  Announce(lock, {Change::Kind::RowInserted, position, 0, count + 1});
  return position;
}

void ReportList::SetCellText(int row, int column, const Text& text) {
  std::unique_lock lock(mutex_);
  if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || !IsColumn(column)) return;
  Text& cell = rows_[row].cells[column];
  if (column == kIdColumn) {
    UncountId(cell.Bytes());
    CountId(text.Bytes());
  }
  cell = text;
  Announce(lock, {Change::Kind::CellSet, row, column, static_cast<int>(rows_.size())});
}

bool ReportList::InsertIdIfNew(const Text& id) {
  std::unique_lock lock(mutex_);
  if (idCounts_.find(id.Bytes()) != idCounts_.end()) return false;
  if (rows_.size() >= static_cast<std::size_t>(INT_MAX)) return false;
  const int count = static_cast<int>(rows_.size());
  Row row;
  row.cells[0] = NumberToText(static_cast<double>(count) + 1);
  row.cells[kIdColumn] = id;
  rows_.push_front(std::move(row));
  CountId(id.Bytes());
  Announce(lock, {Change::Kind::RowInserted, 0, 0, count + 1});
  return true;
}

Text ReportList::ColumnLines(int column) const {
  std::lock_guard lock(mutex_);
  if (!IsColumn(column)) return {};
  std::size_t size = 0;
  for (const Row& row : rows_) size += row.cells[column].Bytes().size() + 2;
  std::string lines;
  lines.reserve(size);
  for (const Row& row : rows_) {
    lines += row.cells[column].Bytes();
    lines += "\r\n";
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
