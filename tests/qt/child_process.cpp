#include "tests/qt/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace idwatch::testutil {
namespace {

// The test's environment with `extra` laid over it, ready for execvpe.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** variable = environ; *variable; ++variable) {
    const std::string entry = *variable;
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& e : extra) replaced = replaced || e.compare(0, name.size(), name) == 0;
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Forks and execs; in the child, stdout goes to `stdoutFd` and stderr to
// `stderrFd` where they are not -1, and `keepFd` survives. Only
// async-signal-safe calls happen between fork and exec.
pid_t Spawn(std::vector<std::string> argv, const std::vector<std::string>& environment, int stdoutFd,
            int stderrFd, int keepFd) {
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> envPointers = Pointers(env);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (stdoutFd != -1) dup2(stdoutFd, STDOUT_FILENO);
  if (stderrFd != -1) dup2(stderrFd, STDERR_FILENO);
  const int devNull = open("/dev/null", O_RDONLY);
  if (devNull != -1) dup2(devNull, STDIN_FILENO);
  // Everything else the test has open is none of the child's business.
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keepFd) close(fd);
  }
  execvpe(argvPointers[0], argvPointers.data(), envPointers.data());
  _exit(127);
}

std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return status;
    if (done == -1 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                           const std::filesystem::path& output, int inheritedFd) {
  int outputFd = -1;
  if (!output.empty()) {
    outputFd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (outputFd == -1) return;
  }
  pid_ = Spawn(argv, environment, outputFd, outputFd, inheritedFd);
  if (outputFd != -1) close(outputFd);
}

ChildProcess::~ChildProcess() {
  if (Terminate(std::chrono::seconds(5)) || pid_ <= 0) return;
  kill(pid_, SIGKILL);
  WaitFor(pid_, std::chrono::seconds(10));
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || status_) return false;
  status_ = WaitFor(pid_, std::chrono::milliseconds(0));
  return !status_;
}

std::optional<int> ChildProcess::Terminate(std::chrono::milliseconds limit) {
  if (Running()) {
    kill(pid_, SIGTERM);
    status_ = WaitFor(pid_, limit);
  }
  return status_;
}

CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         std::chrono::milliseconds limit) {
  CommandResult result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;
  const pid_t pid = Spawn(argv, environment, pipeFds[1], -1, -1);
  close(pipeFds[1]);
  if (pid <= 0) {
    close(pipeFds[0]);
    return result;
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  char buffer[4096];
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd entry{pipeFds[0], POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    result.output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  std::optional<int> status = WaitFor(pid, std::max(std::chrono::milliseconds(0), std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())));
  if (!status) {
    kill(pid, SIGKILL);
    WaitFor(pid, std::chrono::seconds(10));
    return result;
  }
  if (WIFEXITED(*status)) result.exitCode = WEXITSTATUS(*status);
  return result;
}

VirtualDisplay::VirtualDisplay() {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  fcntl(pipeFds[0], F_SETFD, FD_CLOEXEC);
  server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                                           "1024x768x24", "-nolisten", "tcp", "-noreset"},
                  std::vector<std::string>{}, std::filesystem::path("/dev/null"), pipeFds[1]);
  close(pipeFds[1]);
  // Xvfb writes the display's number and a line end once it is ready. What
  // it says while it looks for a free display goes nowhere.
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (number.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd entry{pipeFds[0], POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) continue;
    char c;
    if (read(pipeFds[0], &c, 1) != 1) break;
    number += c;
  }
  close(pipeFds[0]);
  const std::size_t end = number.find('\n');
  if (end == std::string::npos || end == 0) return;
  name_.assign(1, ':');
  name_.append(number, 0, end);
}

}  // namespace idwatch::testutil
