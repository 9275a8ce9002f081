// Heap bytes in use, for the benchmarks that report memory per row. Only
// glibc tells it (mallinfo2); elsewhere such a benchmark skips itself.
#ifndef IDWATCH_BENCH_HEAP_USAGE_H_
#define IDWATCH_BENCH_HEAP_USAGE_H_

#include <cstddef>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace idwatch {

inline constexpr bool kHeapUsageKnown =
#if defined(__GLIBC__)
    true;
#else
    false;
#endif

// Bytes the allocator has handed out and not taken back; 0 where unknown.
// Blocks above the mmap threshold are counted apart from the heap's chunks,
// and that threshold moves as large blocks are freed, so both are summed.
inline std::size_t HeapBytesInUse() {
#if defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
#else
  return 0;
#endif
}

// The growth from `before` to `after`, per one of `count` items; negative
// when the heap shrank.
inline double BytesPerItem(std::size_t before, std::size_t after, long count) {
  return (static_cast<double>(after) - static_cast<double>(before)) / static_cast<double>(count);
}

}  // namespace idwatch

#endif  // IDWATCH_BENCH_HEAP_USAGE_H_
