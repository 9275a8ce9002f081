#include "app/worker.h"

#include "collector/collect_cycle.h"

namespace idwatch {

void RunWorkerJob(WorkerJob* job) {
  std::unique_ptr<WorkerJob> owned(job);
  CollectCycle(*owned->state, owned->forumName);
}

}  // namespace idwatch
