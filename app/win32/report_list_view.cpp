#include "app/win32/report_list_view.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "app/win32/layout.h"
#include "app/win32/wide_text.h"

namespace idwatch::win32 {

// What the model has announced and the control has not been given yet.
// Written by the notice on a worker thread, taken by the user-interface
// thread. The inserted rows are kept so that the selection can follow its
// row; they never outnumber the rows the model itself holds.
struct ReportListView::Announced {
  std::mutex mutex;
  int rowCount = 0;
  std::vector<int> insertedRows;  // in the order of the insertions
  bool posted = false;            // a changed message is on its way
};

namespace {

// The row index `row` moves to after rows were inserted at `inserted`, in
// that order. -1 (no row) stays -1.
int Follow(int row, const std::vector<int>& inserted) {
  if (row < 0) return row;
  for (const int position : inserted) {
    if (position <= row) ++row;
  }
  return row;
}

void AddColumns(HWND list) {
  for (int index = 0; index < static_cast<int>(kColumns.size()); ++index) {
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = kColumns[index].width;
    column.pszText = const_cast<wchar_t*>(kColumns[index].header);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
  }
}

}  // namespace

ReportListView::ReportListView(HWND window, HWND list, ReportList& model, UINT changedMessage)
    : list_(list), model_(model), announced_(std::make_shared<Announced>()) {
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
  AddColumns(list_);

  // Runs on the thread that changed the model: records, posts, returns.
  model_.SetChangeListener([announced = announced_, window, changedMessage](const ReportList::Change& change) {
    bool post = false;
    {
      std::lock_guard lock(announced->mutex);
      announced->rowCount = std::max(announced->rowCount, change.rowCount);
      if (change.kind == ReportList::Change::Kind::RowInserted) announced->insertedRows.push_back(change.row);
      post = !announced->posted;
      announced->posted = true;
    }
    if (post && !PostMessageW(window, changedMessage, 0, 0)) {
      // A full queue or a window already gone: let the next change try again.
      std::lock_guard lock(announced->mutex);
      announced->posted = false;
    }
  });
  // Rows the model held before the notice was in place. The list only grows,
  // so the larger count is the newer one.
  {
    std::lock_guard lock(announced_->mutex);
    announced_->rowCount = std::max(announced_->rowCount, model_.RowCount());
  }
  OnModelChanged();
}

ReportListView::~ReportListView() { model_.SetChangeListener({}); }

void ReportListView::OnModelChanged() {
  int rowCount = 0;
  std::vector<int> inserted;
  {
    std::lock_guard lock(announced_->mutex);
    rowCount = announced_->rowCount;
    inserted.swap(announced_->insertedRows);
    announced_->posted = false;
  }
  if (rowCount != shownRows_) {
    const int selected = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    const int focused = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
    SendMessageW(list_, LVM_SETITEMCOUNT, rowCount, 0);
    shownRows_ = rowCount;
    // A virtual list keeps its selection by index; move it with its row.
    const int newSelected = Follow(selected, inserted);
    const int newFocused = Follow(focused, inserted);
    if (newSelected != selected || newFocused != focused) {
      LVITEMW state{};
      state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
      if (newFocused >= 0) {
        state.state = LVIS_FOCUSED;
        state.stateMask = LVIS_FOCUSED;
        SendMessageW(list_, LVM_SETITEMSTATE, newFocused, reinterpret_cast<LPARAM>(&state));
      }
      if (newSelected >= 0) {
        state.state = LVIS_SELECTED;
        state.stateMask = LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, newSelected, reinterpret_cast<LPARAM>(&state));
      }
    }
  }
  // Cells may have changed in rows the control already shows.
  InvalidateRect(list_, nullptr, FALSE);
}

void ReportListView::OnGetDisplayInfo(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const std::wstring text = WideFromText(model_.CellText(item.iItem, item.iSubItem));
  // As much as the control's buffer holds, always terminated: a caller that
  // offers room for the whole cell gets it whole.
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::copy_n(text.data(), count, item.pszText);
  item.pszText[count] = L'\0';
}

}  // namespace idwatch::win32
