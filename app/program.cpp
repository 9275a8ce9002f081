#include "app/program.h"

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/handlers.h"
#include "http/web_request.h"

namespace idwatch {

std::shared_ptr<SharedState> StartUp() {
  auto state = std::make_shared<SharedState>();
  state->fetch = [](const Text& address) { return WebRequest(address); };
  return state;
}

void EndProgram(MainWindow& window, int exitCode) {
  OnExit(window);
  std::fflush(nullptr);
  // Not exit(): that would run static destructors while workers may still
  // be using what they destroy.
#ifdef _WIN32
  // Not ExitProcess either (which _Exit calls): it still tells every DLL that
  // the process detaches, and a worker killed in the middle of a fetch may
  // hold a lock that WinInet's detach code waits for, hanging the exit.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
#endif
  std::_Exit(exitCode);
}

}  // namespace idwatch
