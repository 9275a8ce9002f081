#include <windows.h>

#include <new>

#include "app/handlers.h"
#include "app/worker.h"

// A plain Win32 thread whose handle is closed at once. Not std::thread: its
// detach() (pthread_detach in the MinGW-w64 thread library) can leave a new
// thread that never runs.

namespace idwatch {
namespace {

DWORD WINAPI WorkerThread(void* job) {
  RunWorkerJob(static_cast<WorkerJob*>(job));
  return 0;
}

}  // namespace

void StartWorker(std::shared_ptr<SharedState> state, Text forumName) {
  auto* job = new (std::nothrow) WorkerJob{std::move(state), std::move(forumName)};
  if (!job) return;
  HANDLE thread = CreateThread(nullptr, 0, WorkerThread, job, 0, nullptr);
  if (!thread) {
    delete job;  // no thread, no cycle: the start or tick was counted all the same
    return;
  }
  CloseHandle(thread);
}

}  // namespace idwatch
