#include "app/win32/message_loop.h"

namespace idwatch::win32 {

void HandleWindowMessage(HWND window, MSG& message) {
  if (window && IsWindow(window) && IsDialogMessageW(window, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int RunMessageLoop(HWND window) {
  MSG message;
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    HandleWindowMessage(window, message);
  }
}

}  // namespace idwatch::win32
