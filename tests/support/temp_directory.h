#pragma once
// Paths for tests that let the program write files: a fresh directory of
// their own, and conversions between filesystem paths and the Text paths
// (code page 936, '\' as separator) that the program's file layer takes.

#include <filesystem>

#include "base/text.h"

namespace idwatch {

Text PathToText(const std::filesystem::path& path);
// Also turns '\' into the platform's separator.
std::filesystem::path TextToPath(const Text& path);

// A new empty directory under the system's temporary directory, removed
// with everything in it when the object goes.
class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  Text AsText() const { return PathToText(path_); }

 private:
  std::filesystem::path path_;
};

}  // namespace idwatch
