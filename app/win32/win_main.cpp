// idwatch.exe: start-up, the window's message loop, and the end of the
// process. Runs on the program's first thread, the user-interface thread.

#include <windows.h>

#include "app/program.h"
#include "app/win32/message_boxes.h"
#include "app/win32/message_loop.h"
#include "app/win32/win32_main_window.h"
#include "base/codepage.h"
#include "base/message_box.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  auto state = idwatch::StartUp();
  idwatch::win32::InstallMessageBoxes();
  auto window = idwatch::win32::Win32MainWindow::Create(state);
  if (!window) idwatch::FatalError(idwatch::TextFromUtf8("无法创建程序窗口。"));
  window->Show(showCommand);
  const int exitCode = idwatch::win32::RunMessageLoop(window->Handle());
  // The window object stays: a worker may still post to its (closed) window.
  idwatch::EndProgram(*window, exitCode);
}
