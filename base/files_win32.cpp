#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "base/codepage.h"
#include "base/file_numbers.h"
#include "base/files.h"

// Paths arrive in code page 936 and go to the W functions as UTF-16, so any
// file name works whatever the system's code page is.

namespace idwatch {
namespace {

constexpr DWORD kMaxWrite = 1u << 30;

FileNumbers<HANDLE>& OpenFiles() {
  static FileNumbers<HANDLE> files;
  return files;
}

std::wstring WidePath(const Text& path) {
  std::u16string units = Cp936ToUtf16(path.Bytes());
  return std::wstring(units.begin(), units.end());
}

// Writes every byte, taking up again after a short write; false when the
// system refuses a write.
bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size(), kMaxWrite));
    if (!WriteFile(file, bytes.data(), size, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

std::u16string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::u16string(path.begin(), path.begin() + length);
    path.resize(path.size() * 2);  // cut off: try a larger buffer
  }
}

}  // namespace

Text RunDirectory() {
  static const Text directory = DirectoryOf(Text(Utf16ToCp936(ExecutablePath())));
  return directory;
}

bool WriteWholeFile(const Text& path, const ByteSet& bytes) {
  if (path.IsEmpty()) return false;
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = WriteAll(file, bytes.Bytes());
  bool closed = CloseHandle(file) != 0;
  return written && closed;
}

int OpenDataFile(const Text& path) {
  if (path.IsEmpty()) return 0;
  HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  int number = OpenFiles().Add(file);
  if (number == 0) CloseHandle(file);
  return number;
}

bool WriteTextToFile(int file, const Text& text) {
  return OpenFiles().With(file, [&text](HANDLE handle) {
    LARGE_INTEGER position{};
    LARGE_INTEGER zero{};
    bool known = SetFilePointerEx(handle, zero, &position, FILE_CURRENT) != 0;
    if (WriteAll(handle, text.Bytes())) return true;
    if (known) SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
    return false;
  });
}

bool CloseDataFile(int file) {
  std::optional<HANDLE> handle = OpenFiles().Remove(file);
  return handle && CloseHandle(*handle) != 0;
}

}  // namespace idwatch
