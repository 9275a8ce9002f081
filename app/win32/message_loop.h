#pragma once
// The user-interface thread's message loop.

#include <windows.h>

namespace idwatch::win32 {

// Handles one message as the loop does: Tab and Shift+Tab move between the
// window's tab stops (dialog keyboard handling), everything else is
// translated and dispatched. For loops of the tests as well.
void HandleWindowMessage(HWND window, MSG& message);

// Runs until WM_QUIT (posted when the window is closed); returns its exit
// code.
int RunMessageLoop(HWND window);

}  // namespace idwatch::win32
