#pragma once
// Start-up and exit, as every front-end's main() runs them on the program's
// first thread (the user-interface thread):
//
//   auto state = StartUp();             // before the window exists
//   SetMessagePresenter(...);           // the front-end's message box
//   <create and show the window with `state`, run the message loop>
//   EndProgram(window, exitCode);       // once the loop has ended

#include <memory>

#include "app/main_window.h"
#include "app/shared_state.h"

namespace idwatch {

// The state the window and its workers share, empty, fetching with
// WebRequest.
std::shared_ptr<SharedState> StartUp();

// Runs OnExit once, then ends the process at once with `exitCode`: workers
// still running a cycle are neither waited for nor stopped, and no static
// object is destroyed under them.
[[noreturn]] void EndProgram(MainWindow& window, int exitCode);

}  // namespace idwatch
