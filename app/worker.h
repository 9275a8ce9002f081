#pragma once
// What a worker thread carries and runs, shared by the platforms' ways of
// starting one (worker_win32.cpp, worker_posix.cpp).

#include <memory>

#include "app/shared_state.h"
#include "base/text.h"

namespace idwatch {

struct WorkerJob {
  std::shared_ptr<SharedState> state;
  Text forumName;
};

// The body of a worker thread: runs CollectCycle once, then deletes the job,
// which gives up the worker's share of the state last.
void RunWorkerJob(WorkerJob* job);

}  // namespace idwatch
