#include "base/byte_set.h"

namespace idwatch {

ByteSet& ByteSet::operator+=(const ByteSet& other) {
  bytes_ += other.bytes_;
  return *this;
}

ByteSet& ByteSet::operator+=(std::string_view bytes) {
  bytes_ += bytes;
  return *this;
}

}  // namespace idwatch
