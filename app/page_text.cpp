#include "app/page_text.h"

#include <utility>

namespace idwatch {

void PageTextHolder::Store(Text text) {
  {
    std::lock_guard lock(mutex_);
    if (released_) return;
    std::swap(text_, text);
  }
  // The previous text, now in `text`, is freed here, outside the lock.
}

Text PageTextHolder::Copy() const {
  std::lock_guard lock(mutex_);
  return text_;
}

void PageTextHolder::Release() {
  Text previous;
  std::lock_guard lock(mutex_);
  released_ = true;
  std::swap(text_, previous);
}

}  // namespace idwatch
