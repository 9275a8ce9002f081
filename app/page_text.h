#pragma once
// PageTextHolder: the program-wide PageText, the last page a collection
// cycle fetched or the last text the export built. Cycles, the export and the
// exit handler reach it from different threads; each call here is one step,
// and nobody ever reads or writes the text in place: a cycle extracts from a
// page of its own and stores it here when done.
// Every member may be called from any thread.

#include <mutex>

#include "base/text.h"

namespace idwatch {

class PageTextHolder {
 public:
  // Replaces the text. Does nothing once Release has run.
  void Store(Text text);
  // A copy of the current text.
  Text Copy() const;
  // Empties the text for good: later stores are ignored. Exit handler.
  void Release();

 private:
  mutable std::mutex mutex_;
  Text text_;
  bool released_ = false;
};

}  // namespace idwatch
