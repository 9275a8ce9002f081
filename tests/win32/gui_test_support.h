#pragma once
// Helpers for tests that drive real Win32 windows: running the message loop
// for a while, reading controls, and answering the message boxes the program
// shows (found as real windows of class #32770, read, and closed with OK).

#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace idwatch::win32::test {

using namespace std::chrono_literals;

// Handles this thread's messages as the program's loop does (dialog keyboard
// handling for `window`), until `done` holds or `limit` has passed. Returns
// whether `done` held.
bool PumpUntil(HWND window, const std::function<bool()>& done, std::chrono::milliseconds limit = 10s);
// Handles this thread's messages for `duration`.
void PumpFor(HWND window, std::chrono::milliseconds duration);

// The text of a window (through WM_GETTEXT, so other processes' too), UTF-16.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// A list view's row count and one cell's text, read in this process.
int ListRowCount(HWND list);
std::wstring ListCellText(HWND list, int row, int column);

// What a test saw of one message box.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  int visibleButtons = 0;
  bool visibleIcon = false;
  bool hasOwner = false;
  bool windowEnabled = true;  // whether the main window took input while the box was open
  // The text of the control named to the answerer, when the box was found
  // and when it was about to be closed.
  std::wstring watchedAtOpen;
  std::wstring watchedAtClose;
};

// While it exists, a thread of its own answers every message box of this
// process captioned "信息：": it notes what the box showed, keeps it open for
// `hold`, then presses its OK button. `watched`, when given, is a control
// whose text is noted while the box is open.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(HWND mainWindow, std::chrono::milliseconds hold = 0ms, HWND watched = nullptr);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

  std::vector<SeenBox> Seen() const;
  std::vector<std::wstring> Texts() const;

 private:
  void Watch();

  HWND mainWindow_;
  std::chrono::milliseconds hold_;
  HWND watched_;
  mutable std::mutex mutex_;
  std::vector<SeenBox> seen_;
  bool stopping_ = false;
  std::thread thread_;
};

// The box of this process with the caption, or null.
HWND FindMessageBox(const wchar_t* caption);

}  // namespace idwatch::win32::test
