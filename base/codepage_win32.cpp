#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "base/codepage.h"
#include "base/message_box.h"

// The national-language functions of kernel32.dll, found by name at the first
// conversion. Each call converts in the two-call pattern: ask for the size,
// then convert into a buffer of exactly that size. Inputs too long for the
// functions' int counts go through in pieces cut where no character spans
// the cut.

namespace idwatch {
namespace {

constexpr UINT kCodePage936 = 936;
constexpr DWORD kCompositeCheck = 0x200;  // WC_COMPOSITECHECK
constexpr size_t kMaxPiece = 1u << 30;

using MultiByteToWideCharFunction = int(WINAPI*)(UINT, DWORD, LPCCH, int, LPWSTR, int);
using WideCharToMultiByteFunction = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);

struct NlsFunctions {
  MultiByteToWideCharFunction toWide = nullptr;
  WideCharToMultiByteFunction toBytes = nullptr;
};

template <typename Function>
Function Find(HMODULE module, const char* name) {
  FARPROC address = module ? GetProcAddress(module, name) : nullptr;
  if (!address) FatalError("kernel32.dll lacks the code page conversion functions");
  return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

// Loaded once, thread-safely; kernel32.dll stays loaded for the process's life.
const NlsFunctions& Nls() {
  static const NlsFunctions functions = [] {
    HMODULE kernel32 = LoadLibraryA("kernel32.dll");
    NlsFunctions found;
    found.toWide = Find<MultiByteToWideCharFunction>(kernel32, "MultiByteToWideChar");
    found.toBytes = Find<WideCharToMultiByteFunction>(kernel32, "WideCharToMultiByte");
    return found;
  }();
  return functions;
}

// Where to end a piece of UTF-8 that starts `bytes`: before a byte that is
// not a continuation byte, so that no sequence is cut.
size_t Utf8PieceLength(std::string_view bytes) {
  if (bytes.size() <= kMaxPiece) return bytes.size();
  size_t end = kMaxPiece;
  while (end > kMaxPiece - 4 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80) --end;
  return end;
}

// True when one of the last three bytes is a UTF-8 lead byte with fewer bytes
// after it than its sequence needs.
bool EndsCutShort(std::string_view bytes) {
  for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
    auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
    size_t length = byte >= 0xF0 && byte <= 0xF4 ? 4 : byte >= 0xE0 && byte <= 0xEF ? 3 : byte >= 0xC2 && byte <= 0xDF ? 2 : 0;
    if (length > back) return true;
  }
  return false;
}

// Code page 936 has no self-synchronising bytes: step through the piece by
// characters as the decoder does (a lead byte takes the next byte unless that
// is NUL).
size_t Cp936PieceLength(std::string_view bytes) {
  if (bytes.size() <= kMaxPiece) return bytes.size();
  size_t end = 0;
  while (end < kMaxPiece - 1) {
    auto byte = static_cast<unsigned char>(bytes[end]);
    end += byte >= 0x81 && byte <= 0xFE && bytes[end + 1] != '\0' ? 2 : 1;
  }
  return end;
}

// Ends a piece of UTF-16 before a unit below U+0300: never inside a surrogate
// pair, never between a character and a combining mark that follows it.
size_t Utf16PieceLength(std::u16string_view units) {
  if (units.size() <= kMaxPiece) return units.size();
  for (size_t end = kMaxPiece; end > kMaxPiece - 4096; --end) {
    if (units[end] < 0x0300) return end;
  }
  size_t end = kMaxPiece;
  if (units[end] >= 0xDC00 && units[end] <= 0xDFFF) --end;
  return end;
}

// Appends the units that `bytes` (at most kMaxPiece of them) decode to.
void AppendWide(UINT codePage, std::string_view bytes, std::u16string& out) {
  int count = static_cast<int>(bytes.size());
  int size = count > 0 ? Nls().toWide(codePage, 0, bytes.data(), count, nullptr, 0) : 0;
  if (size <= 0) return;
  size_t at = out.size();
  out.resize(at + static_cast<size_t>(size));
  auto* buffer = reinterpret_cast<wchar_t*>(out.data() + at);
  int written = Nls().toWide(codePage, 0, bytes.data(), count, buffer, size);
  out.resize(at + static_cast<size_t>(std::max(written, 0)));
}

std::string ToBytes(UINT codePage, DWORD flags, std::u16string_view units) {
  std::string out;
  while (!units.empty()) {
    size_t piece = Utf16PieceLength(units);
    int count = static_cast<int>(piece);
    auto* input = reinterpret_cast<const wchar_t*>(units.data());
    int size = Nls().toBytes(codePage, flags, input, count, nullptr, 0, nullptr, nullptr);
    if (size > 0) {
      size_t at = out.size();
      out.resize(at + static_cast<size_t>(size));
      int written = Nls().toBytes(codePage, flags, input, count, out.data() + at, size, nullptr, nullptr);
      out.resize(at + static_cast<size_t>(std::max(written, 0)));
    }
    units.remove_prefix(piece);
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  while (!utf8.empty()) {
    std::string_view piece = utf8.substr(0, Utf8PieceLength(utf8));
    utf8.remove_prefix(piece.size());
    if (!EndsCutShort(piece)) {
      AppendWide(CP_UTF8, piece, out);
      continue;
    }
    // A sequence cut short by the end of the input makes the converter take
    // every byte after its lead into its U+FFFD, valid characters too. Three
    // NUL bytes behind it, which no sequence can take in, keep those
    // characters; they come out as the last three units, dropped here.
    std::string padded(piece);
    padded.append(3, '\0');
    size_t before = out.size();
    AppendWide(CP_UTF8, padded, out);
    out.resize(out.size() >= before + 3 ? out.size() - 3 : before);
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) { return ToBytes(CP_UTF8, 0, utf16); }

std::u16string Cp936ToUtf16(std::string_view cp936) {
  std::u16string out;
  while (!cp936.empty()) {
    size_t piece = Cp936PieceLength(cp936);
    AppendWide(kCodePage936, cp936.substr(0, piece), out);
    cp936.remove_prefix(piece);
  }
  return out;
}

std::string Utf16ToCp936(std::u16string_view utf16) { return ToBytes(kCodePage936, kCompositeCheck, utf16); }

}  // namespace idwatch
