#include <pthread.h>

#include <new>

#include "app/handlers.h"
#include "app/worker.h"

// A thread created detached, with the default stack size: nothing ever joins
// or waits for it.

namespace idwatch {
namespace {

void* WorkerThread(void* job) {
  RunWorkerJob(static_cast<WorkerJob*>(job));
  return nullptr;
}

}  // namespace

void StartWorker(std::shared_ptr<SharedState> state, Text forumName) {
  auto* job = new (std::nothrow) WorkerJob{std::move(state), std::move(forumName)};
  if (!job) return;
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) {
    delete job;
    return;
  }
  pthread_t thread;
  const bool started = pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED) == 0 &&
                       pthread_create(&thread, &attributes, WorkerThread, job) == 0;
  pthread_attr_destroy(&attributes);
  // No thread, no cycle: the start or tick was counted all the same.
  if (!started) delete job;
}

}  // namespace idwatch
