#pragma once
// ReportListView: the list view control ip超级列表 showing the report list
// model. It is a virtual list: the control asks for a cell's text when it
// draws it, and the model stays the only store of the IDs.
//
// Workers change the model on their own threads; the model's change notice
// only records what changed and posts `changedMessage` to the window (never
// SendMessage, so no worker ever waits for the user-interface thread). The
// window calls OnModelChanged when that message arrives. While one message is
// on its way no other is posted, so the queue never fills however fast rows
// arrive.
//
// Threads: everything here except the notice runs on the user-interface
// thread.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/report_list.h"

namespace idwatch::win32 {

class ReportListView {
 public:
  // `list` is a list view with the virtual-list style, child of `window`.
  // Adds the columns and starts following the model.
  ReportListView(HWND window, HWND list, ReportList& model, UINT changedMessage);
  // Stops following the model; returns once no notice runs any more.
  ~ReportListView();
  ReportListView(const ReportListView&) = delete;
  ReportListView& operator=(const ReportListView&) = delete;

  // Brings the control up to the changes announced so far: the row count,
  // the selection moved along with its row, the visible cells redrawn.
  void OnModelChanged();

  // LVN_GETDISPINFOW: the text of the cell asked for, from the model.
  void OnGetDisplayInfo(NMLVDISPINFOW& info) const;

  HWND Handle() const { return list_; }

 private:
  struct Announced;

  HWND list_;
  ReportList& model_;
  std::shared_ptr<Announced> announced_;
  int shownRows_ = 0;  // the row count the control was last given
};

}  // namespace idwatch::win32
