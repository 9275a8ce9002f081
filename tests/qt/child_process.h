#pragma once
// Processes for the end-to-end tests: the program under test, its X server
// and the commands that drive it. POSIX only. Every process started here is
// ended (SIGKILL) and reaped when its object goes, so none outlives a test.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace idwatch::testutil {

class ChildProcess {
 public:
  // Starts argv[0] (looked up in PATH) with the test's environment plus
  // `environment` ("NAME=value", replacing a variable of that name). Its
  // stdout and stderr go to `output`, or to the test's stderr when empty.
  // `inheritedFd`, when not -1, stays open in the child under its number.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {},
               const std::filesystem::path& output = {}, int inheritedFd = -1);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  bool Started() const { return pid_ > 0; }
  bool Running();
  // Sends SIGTERM and waits at most `limit` for the end; the wait status, or
  // nullopt when it did not end.
  std::optional<int> Terminate(std::chrono::milliseconds limit = std::chrono::seconds(10));

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

struct CommandResult {
  int exitCode = -1;  // -1 when it did not end in time or was killed
  std::string output;  // what it wrote to stdout
};

// Runs a command to its end, for at most `limit` (then it is killed).
CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         std::chrono::milliseconds limit);

// An X server of the test's own (Xvfb) on a display it chose itself as free
// (-displayfd), so that tests running side by side never meet.
class VirtualDisplay {
 public:
  VirtualDisplay();
  // ":N", or empty when the server could not be started.
  const std::string& Name() const { return name_; }

 private:
  std::optional<ChildProcess> server_;
  std::string name_;
};

}  // namespace idwatch::testutil
