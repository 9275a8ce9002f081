#include "tests/support/temp_directory.h"

#include <atomic>
#include <random>
#include <string>
#include <system_error>

#include "base/codepage.h"

namespace idwatch {

Text PathToText(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return TextFromUtf8(std::string(utf8.begin(), utf8.end()));
}

std::filesystem::path TextToPath(const Text& path) {
  std::string utf8 = TextToUtf8(path);
  for (char& c : utf8) {
    if (c == '\\') c = static_cast<char>(std::filesystem::path::preferred_separator);
  }
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TempDirectory::TempDirectory() {
  static std::atomic<unsigned> made{0};
  const std::string name = "idwatch-test-" + std::to_string(std::random_device{}()) + "-" +
                           std::to_string(made.fetch_add(1));
  path_ = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(path_);
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace idwatch
