#pragma once
// Win32MainWindow: MainWindow as a Win32 window with its controls, wired to
// the handlers. Built from the layout in layout.h; the list shows the report
// list model (report_list_view.h).
//
// Threads: created, used and destroyed on the user-interface thread, which
// must run a message loop that passes every message through
// HandleWindowMessage (message_loop.h). Workers never touch it.

#include <windows.h>

#include <memory>

#include "app/main_window.h"
#include "app/shared_state.h"
#include "app/win32/layout.h"
#include "app/win32/report_list_view.h"

namespace idwatch::win32 {

// The text of a control through GetWindowTextW / SetWindowTextW.
class WindowTextControl final : public TextControl {
 public:
  HWND handle = nullptr;
  Text GetText() const override;
  void SetText(const Text& text) override;
};

// 时钟1 as the window's timer: WM_TIMER ticks, one per period.
class WindowTimer final : public TimerControl {
 public:
  HWND window = nullptr;

 protected:
  void Restart(int milliseconds) override;
};

class Win32MainWindow final : public MainWindow {
 public:
  // Creates the window and its controls, centred on the work area and not
  // yet shown. Null when the window cannot be created.
  static std::unique_ptr<Win32MainWindow> Create(std::shared_ptr<SharedState> state);
  // Destroys the window if it still exists.
  ~Win32MainWindow() override;

  // Shows the window and activates it; the list gets the focus.
  void Show(int showCommand = SW_SHOWNORMAL);

  TextControl& 延时() override { return delay_; }
  TextControl& 贴吧() override { return forum_; }
  TextControl& 检测() override { return check_; }
  TextControl& 标签1() override { return counter_; }
  TimerControl& 时钟1() override { return timer_; }

  HWND Handle() const { return window_; }
  HWND Control(ControlId id) const { return GetDlgItem(window_, id); }
  // False once the window has been closed.
  bool IsOpen() const { return window_ != nullptr; }

 private:
  explicit Win32MainWindow(std::shared_ptr<SharedState> state);
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  bool CreateControls();
  void OnCommand(int id, int code);
  LRESULT OnNotify(NMHDR& header);
  void OnActivate(bool active);
  void RestoreFocus();
  void OnDestroy();

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HWND lastFocus_ = nullptr;  // the control that had the focus when the window was left
  std::unique_ptr<ReportListView> list_;
  WindowTextControl delay_;
  WindowTextControl forum_;
  WindowTextControl check_;
  WindowTextControl counter_;
  WindowTimer timer_;
};

}  // namespace idwatch::win32
