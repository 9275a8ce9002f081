#include "app/win32/message_boxes.h"

#include <windows.h>

#include <iterator>

#include "app/win32/wide_text.h"
#include "base/message_box.h"

namespace idwatch::win32 {
namespace {

// User-interface thread. A box without an owner leaves no window active when
// it closes (the thread's windows are still disabled at that moment), so the
// window that was active gets the activation back, and with it its focus.
void ShowInformation(const Text& text) {
  HWND active = GetActiveWindow();
  MessageBoxW(nullptr, WideFromText(text).c_str(), L"信息：", MB_OK | MB_TASKMODAL);
  if (active && IsWindow(active) && IsWindowEnabled(active)) SetActiveWindow(active);
}

// Any thread, possibly with memory exhausted: converts into a buffer of its
// own instead of allocating. A text too long for it is cut short.
void ShowFatalError(const Text& text) {
  static wchar_t message[1024];
  static volatile LONG showing = 0;
  // One box at a time; a second fatal error waits for the first, which ends
  // the process.
  if (InterlockedExchange(&showing, 1) != 0) {
    for (;;) Sleep(INFINITE);
  }
  const int bytes = static_cast<int>(text.Bytes().size());
  const int units = MultiByteToWideChar(936, 0, text.CStr(), bytes, message, static_cast<int>(std::size(message)) - 1);
  message[units > 0 ? units : 0] = L'\0';
  MessageBoxW(nullptr, message, L"错误", MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace

void InstallMessageBoxes() {
  SetMessagePresenter(ShowInformation);
  SetFatalErrorPresenter(ShowFatalError);
}

}  // namespace idwatch::win32
