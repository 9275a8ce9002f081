// idwatch.exe: start-up, the window's message loop, and the end of the
// process. Runs on the program's first thread, the user-interface thread.

#include <windows.h>

#include <cstdlib>

#include "app/handlers.h"
#include "app/program.h"
#include "app/win32/message_boxes.h"
#include "app/win32/message_loop.h"
#include "app/win32/win32_main_window.h"
#include "base/codepage.h"
#include "base/message_box.h"

namespace {

// Runs the exit handler once, then ends the process on the spot.
// TerminateProcess rather than ExitProcess (which std::exit and _Exit use):
// ExitProcess still tells every DLL that the process detaches, and a worker
// it kills in the middle of a fetch may hold a lock that WinInet's detach
// code waits for, hanging the exit. Nothing is left to save: the list lives
// in memory only, and no file is open.
[[noreturn]] void EndProcess(idwatch::MainWindow& window, int exitCode) {
  idwatch::OnExit(window);
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  std::_Exit(exitCode);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  auto state = idwatch::StartUp();
  idwatch::win32::InstallMessageBoxes();
  auto window = idwatch::win32::Win32MainWindow::Create(state);
  if (!window) idwatch::FatalError(idwatch::TextFromUtf8("无法创建程序窗口。"));
  window->Show(showCommand);
  const int exitCode = idwatch::win32::RunMessageLoop(window->Handle());
  // The window object stays: a worker may still post to its (closed) window.
  EndProcess(*window, exitCode);
}
