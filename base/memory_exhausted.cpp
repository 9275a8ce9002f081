#include "base/memory_exhausted.h"

#include <cstdlib>
#include <new>

#include "base/codepage.h"
#include "base/message_box.h"

namespace idwatch {
namespace {

thread_local bool reportingExhaustion = false;

void OnAllocationFailure() {
  // Building and showing the message allocates too; when that fails as well,
  // end at once rather than recurse.
  if (reportingExhaustion) std::abort();
  MemoryExhausted();
}

// Installed before main runs, so that every allocation of the program, the
// copies made by value types included, ends with the fatal-error box instead
// of throwing.
[[maybe_unused]] const bool newHandlerInstalled =
    (std::set_new_handler(&OnAllocationFailure), true);

}  // namespace

void MemoryExhausted() {
  reportingExhaustion = true;
  FatalError(TextFromUtf8("内存不足，程序无法继续运行。"));
}

}  // namespace idwatch
