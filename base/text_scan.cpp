#include "base/text_scan.h"

#include <cstdint>
#include <cstring>

namespace idwatch::scan {
namespace {

// True when none of the 8 bytes at `bytes` has its top bit set.
bool EightAsciiBytes(const unsigned char* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return (word & 0x8080808080808080ULL) == 0;
}

// First offset in [from, limit) whose byte can begin a match: equal to
// `first`, or for a folded letter equal to either case of it.
std::size_t NextCandidate(const unsigned char* data, std::size_t from, std::size_t limit,
                          unsigned char first, bool eitherCase) {
  if (!eitherCase) {
    const void* hit = std::memchr(data + from, first, limit - from);
    return hit ? static_cast<const unsigned char*>(hit) - data : kNone;
  }
  const unsigned char upper = static_cast<unsigned char>(first - 0x20);
  for (std::size_t i = from; i < limit; ++i) {
    if (data[i] == first || data[i] == upper) return i;
  }
  return kNone;
}

bool MatchesAt(const unsigned char* at, std::string_view sought, bool fold) {
  const auto* want = reinterpret_cast<const unsigned char*>(sought.data());
  if (!fold) return std::memcmp(at, want, sought.size()) == 0;
  for (std::size_t i = 0; i < sought.size(); ++i) {
    if (FoldCase(at[i]) != FoldCase(want[i])) return false;
  }
  return true;
}

}  // namespace

std::size_t StepTo(std::string_view bytes, std::size_t from, std::size_t target) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t pos = from;
  while (pos < target) {
    // Markup is mostly ASCII: pass over it a word at a time.
    if (target - pos >= 8 && EightAsciiBytes(data + pos)) {
      pos += 8;
      continue;
    }
    pos += IsHigh(data[pos]) ? 2 : 1;
  }
  return pos;
}

std::size_t Find(std::string_view bytes, std::string_view sought, std::size_t from, bool fold) {
  const std::size_t length = bytes.size();
  const std::size_t soughtLength = sought.size();
  if (soughtLength == 0 || from > length || length - from < soughtLength) return kNone;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t limit = length - soughtLength + 1;  // candidates lie below it
  const auto rawFirst = static_cast<unsigned char>(sought[0]);
  const unsigned char first = fold ? FoldCase(rawFirst) : rawFirst;
  const bool eitherCase = fold && first >= 'a' && first <= 'z';

  // `pos` is always a character start; a candidate counts only where stepping
  // lands on it, so a match on the second byte of a character is never taken.
  std::size_t pos = from;
  while (pos < limit) {
    const std::size_t candidate = NextCandidate(data, pos, limit, first, eitherCase);
    if (candidate == kNone) return kNone;
    pos = StepTo(bytes, pos, candidate);
    if (pos == candidate) {
      if (MatchesAt(data + candidate, sought, fold)) return candidate;
      pos += CharLength(bytes, pos);
    }
  }
  return kNone;
}

}  // namespace idwatch::scan
