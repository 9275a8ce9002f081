#include "app/program.h"

#include <cstdio>
#include <cstdlib>

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
  std::_Exit(exitCode);
}

}  // namespace idwatch
