#include "base/text.h"

#include <algorithm>
#include <cstdint>

#include "base/memory_exhausted.h"
#include "base/text_scan.h"

namespace idwatch {
namespace {

using scan::ByteAt;
using scan::IsHigh;
using scan::kNone;

// The bytes of `bytes` before its first NUL.
std::string_view UpToNul(std::string_view bytes) {
  return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

// The 0-based offset a 1-based start position names; 1 or less is the start.
std::size_t OffsetOf(int start) { return start <= 1 ? 0 : static_cast<std::size_t>(start) - 1; }

bool IsFullWidthSpace(std::string_view bytes, std::size_t offset) {
  return offset + 1 < bytes.size() && ByteAt(bytes, offset) == 0xA1 &&
         ByteAt(bytes, offset + 1) == 0xA1;
}

}  // namespace

Text::Text(const char* bytes) : bytes_(CheckedLength(bytes ? bytes : "")) {}

Text::Text(std::string_view bytes) : bytes_(CheckedLength(UpToNul(bytes))) {}

Text::Text(std::string&& bytes) : bytes_(std::move(bytes)) {
  if (auto nul = bytes_.find('\0'); nul != std::string::npos) bytes_.resize(nul);
  CheckLength(bytes_.size());
}

Text& Text::operator+=(const Text& other) {
  scan::AppendChecked(bytes_, other.bytes_);
  return *this;
}

Text& Text::operator+=(std::string_view bytes) {
  scan::AppendChecked(bytes_, UpToNul(bytes));
  return *this;
}

Text& Text::operator+=(const char* bytes) {
  if (bytes) scan::AppendChecked(bytes_, bytes);
  return *this;
}

int TextLength(const Text& text) { return static_cast<int>(text.Bytes().size()); }

int FindText(const Text& text, const Text& sought, int start, bool ignoreCase) {
  const std::string_view bytes = text.Bytes();
  const std::size_t offset = OffsetOf(start);
  if (offset >= bytes.size()) return -1;
  // An empty search text is found at the text's first byte, wherever the
  // search was asked to begin; callers of the marker cuts rely on it.
  if (sought.IsEmpty()) return 1;
  const std::size_t found = scan::Find(bytes, sought.Bytes(), offset, ignoreCase);
  return found == kNone ? -1 : static_cast<int>(found + 1);
}

int FindTextReverse(const Text& text, const Text& sought, bool ignoreCase) {
  const std::string_view bytes = text.Bytes();
  if (bytes.empty()) return -1;
  if (sought.IsEmpty()) return 1;
  // Forward, as FindText steps: overlapping matches count, and a match is only
  // taken where stepping from the first byte lands.
  std::size_t last = kNone;
  std::size_t from = 0;
  for (;;) {
    const std::size_t found = scan::Find(bytes, sought.Bytes(), from, ignoreCase);
    if (found == kNone) break;
    last = found;
    from = found + scan::CharLength(bytes, found);
  }
  return last == kNone ? -1 : static_cast<int>(last + 1);
}

Text TextLeft(const Text& text, int count) {
  if (count < 1) return {};
  return Text(text.Bytes().substr(0, static_cast<std::size_t>(count)));
}

Text TextRight(const Text& text, int count) {
  if (count < 1) return {};
  const std::string_view bytes = text.Bytes();
  const std::size_t keep = std::min(bytes.size(), static_cast<std::size_t>(count));
  return Text(bytes.substr(bytes.size() - keep));
}

Text TextMid(const Text& text, int start, int count) {
  const std::string_view bytes = text.Bytes();
  if (start < 1 || static_cast<std::size_t>(start) > bytes.size() || count < 1) return {};
  return Text(bytes.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

Text CharFromCode(unsigned char code) {
  const char byte = static_cast<char>(code);
  return Text(std::string_view(&byte, 1));
}

Text ToLower(const Text& text) {
  std::string lowered(text.Bytes());
  // Only bytes where stepping lands: the second byte of a two-byte character
  // is part of that character, not an ASCII letter.
  for (std::size_t i = 0; i < lowered.size();) {
    const auto byte = static_cast<unsigned char>(lowered[i]);
    if (IsHigh(byte)) {
      i += 2;
    } else {
      lowered[i] = static_cast<char>(scan::FoldCase(byte));
      ++i;
    }
  }
  return Text(std::move(lowered));
}

Text TrimBoth(const Text& text) {
  const std::string_view bytes = text.Bytes();
  std::size_t begin = 0;
  for (;;) {
    if (begin < bytes.size() && bytes[begin] == ' ') {
      begin += 1;
    } else if (IsFullWidthSpace(bytes, begin)) {
      begin += 2;
    } else {
      break;
    }
  }
  // The end is found by stepping forward: only a forward scan knows whether an
  // A1 byte near the end starts a full-width space or ends another character.
  std::size_t runStart = kNone;  // where the current run of spaces began
  for (std::size_t i = begin; i < bytes.size();) {
    const unsigned char byte = ByteAt(bytes, i);
    if (!IsHigh(byte)) {
      if (byte != ' ') {
        runStart = kNone;
      } else if (runStart == kNone) {
        runStart = i;
      }
      i += 1;
    } else if (i + 1 == bytes.size()) {
      // A lone last byte is dropped and the spaces before it stay.
      return Text(bytes.substr(begin, i - begin));
    } else {
      if (!IsFullWidthSpace(bytes, i)) {
        runStart = kNone;
      } else if (runStart == kNone) {
        runStart = i;
      }
      i += 2;
    }
  }
  const std::size_t end = runStart == kNone ? bytes.size() : runStart;
  return Text(bytes.substr(begin, end - begin));
}

Text RemoveAllSpaces(const Text& text) {
  const std::string_view bytes = text.Bytes();
  std::string kept;
  kept.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char byte = ByteAt(bytes, i);
    if (!IsHigh(byte)) {
      if (byte != ' ') kept.push_back(static_cast<char>(byte));
      i += 1;
    } else if (i + 1 == bytes.size()) {
      break;  // a lone last byte is dropped
    } else {
      if (!IsFullWidthSpace(bytes, i)) kept.append(bytes.substr(i, 2));
      i += 2;
    }
  }
  return Text(std::move(kept));
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, int start,
                 int count, bool matchCase) {
  const std::string_view bytes = text.Bytes();
  const std::string_view soughtBytes = sought.Bytes();
  const std::size_t offset = OffsetOf(start);
  if (bytes.empty() || soughtBytes.empty() || offset >= bytes.size() || count == 0) return text;

  std::string out(bytes.substr(0, offset));
  std::size_t pos = offset;                    // a character start of the scan
  std::int64_t left = count < 0 ? -1 : count;  // replacements still allowed; -1: no limit
  for (;;) {
    const std::size_t found = scan::Find(bytes, soughtBytes, pos, !matchCase);
    if (found == kNone) {
      // The scan compares while as many bytes remain as `sought` has; with a
      // one-byte `sought` it reaches a lone last byte, which it drops.
      const std::size_t last = bytes.size() - 1;
      if (soughtBytes.size() == 1 && pos <= last && IsHigh(ByteAt(bytes, last)) &&
          scan::StepTo(bytes, pos, last) == last) {
        scan::AppendChecked(out, bytes.substr(pos, last - pos));
      } else {
        scan::AppendChecked(out, bytes.substr(pos));
      }
      break;
    }
    scan::AppendChecked(out, bytes.substr(pos, found - pos));
    scan::AppendChecked(out, replacement.Bytes());
    pos = found + soughtBytes.size();
    if (left > 0 && --left == 0) {
      scan::AppendChecked(out, bytes.substr(pos));
      break;
    }
  }
  return Text(std::move(out));
}

Text BlankText(int count) {
  if (count < 1) return {};
  return Text(std::string(static_cast<std::size_t>(count), ' '));
}

}  // namespace idwatch
