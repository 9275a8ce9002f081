#pragma once
// The table behind the file numbers of OpenDataFile: which native file (a
// descriptor, a HANDLE) each number names. Numbers start at 1 and are not
// handed out again while the process has others left, so a stale number
// names nothing. Any thread: one mutex guards the table and is held while a
// caller works on a file, so no file is closed under a write.

#include <climits>
#include <cstddef>
#include <map>
#include <mutex>
#include <optional>

namespace idwatch {

template <typename Handle>
class FileNumbers {
 public:
  // A new number for `handle`; 0 when every number is in use.
  int Add(Handle handle) {
    std::lock_guard lock(mutex_);
    if (files_.size() >= static_cast<size_t>(INT_MAX - 1)) return 0;
    while (files_.count(next_)) next_ = Following(next_);
    int number = next_;
    next_ = Following(next_);
    files_.emplace(number, handle);
    return number;
  }

  // Runs work(handle) for the file `number` names, under the table's lock;
  // false without running it for an unknown number.
  template <typename Work>
  bool With(int number, Work work) {
    std::lock_guard lock(mutex_);
    auto entry = files_.find(number);
    return entry != files_.end() && work(entry->second);
  }

  // Takes the file out of the table; nothing for an unknown number.
  std::optional<Handle> Remove(int number) {
    std::lock_guard lock(mutex_);
    auto entry = files_.find(number);
    if (entry == files_.end()) return std::nullopt;
    Handle handle = entry->second;
    files_.erase(entry);
    return handle;
  }

 private:
  static int Following(int number) { return number == INT_MAX ? 1 : number + 1; }

  std::mutex mutex_;
  std::map<int, Handle> files_;
  int next_ = 1;
};

}  // namespace idwatch
