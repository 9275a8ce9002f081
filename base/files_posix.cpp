#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "base/codepage.h"
#include "base/file_numbers.h"
#include "base/files.h"

// Paths arrive in code page 936 with '\' as separator and leave as UTF-8
// with '/'. The separator is looked for after decoding, so the byte 5C that
// ends a two-byte character stays part of that character.

namespace idwatch {
namespace {

FileNumbers<int>& OpenFiles() {
  static FileNumbers<int> files;
  return files;
}

std::string NativePath(const Text& path) {
  std::u16string units = Cp936ToUtf16(path.Bytes());
  for (char16_t& unit : units) {
    if (unit == u'\\') unit = u'/';
  }
  return Utf16ToUtf8(units);
}

// Writes every byte, taking up again after a short write or an interrupted
// one; false when the system refuses a write.
bool WriteAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool CloseDescriptor(int descriptor) {
  // Linux releases the descriptor even when close reports EINTR: never retry.
  return close(descriptor) == 0 || errno == EINTR;
}

std::string ExecutablePath() {
  std::string path(256, '\0');
  for (;;) {
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return {};
    if (static_cast<size_t>(length) < path.size()) {
      path.resize(static_cast<size_t>(length));
      return path;
    }
    path.resize(path.size() * 2);  // possibly cut off: try a larger buffer
  }
}

}  // namespace

Text RunDirectory() {
  static const Text directory = [] {
    std::u16string units = Utf8ToUtf16(ExecutablePath());
    for (char16_t& unit : units) {
      if (unit == u'/') unit = u'\\';
    }
    return DirectoryOf(Text(Utf16ToCp936(units)));
  }();
  return directory;
}

bool WriteWholeFile(const Text& path, const ByteSet& bytes) {
  if (path.IsEmpty()) return false;
  int descriptor = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  bool written = WriteAll(descriptor, bytes.Bytes());
  bool closed = CloseDescriptor(descriptor);
  return written && closed;
}

int OpenDataFile(const Text& path) {
  if (path.IsEmpty()) return 0;
  int descriptor = open(NativePath(path).c_str(), O_RDWR | O_CLOEXEC);
  if (descriptor < 0) return 0;
  int file = OpenFiles().Add(descriptor);
  if (file == 0) CloseDescriptor(descriptor);
  return file;
}

bool WriteTextToFile(int file, const Text& text) {
  return OpenFiles().With(file, [&text](int descriptor) {
    off_t position = lseek(descriptor, 0, SEEK_CUR);
    if (WriteAll(descriptor, text.Bytes())) return true;
    if (position >= 0) lseek(descriptor, position, SEEK_SET);
    return false;
  });
}

bool CloseDataFile(int file) {
  std::optional<int> descriptor = OpenFiles().Remove(file);
  return descriptor && CloseDescriptor(*descriptor);
}

}  // namespace idwatch
