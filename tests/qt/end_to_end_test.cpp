// The Linux program from the outside: built to fetch from 127.0.0.1, started
// from a directory of its own on an X server of the test's own, driven with
// xdotool as a user would, against the raw HTTP server serving a forum's
// thread list. Rows appear in its list and the export writes the expected
// file next to the program.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/codepage.h"
#include "tests/qt/child_process.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/temp_directory.h"
#include "tests/support/thread_list_page.h"

#ifndef IDWATCH_E2E_PROGRAM
#error "IDWATCH_E2E_PROGRAM must name the program built for this test"
#endif
#ifndef IDWATCH_E2E_PORT
#error "IDWATCH_E2E_PORT must give the port the program was built to fetch from"
#endif

namespace idwatch {
namespace {

using namespace std::chrono_literals;
using testutil::ChildProcess;
using testutil::CommandResult;
using testutil::RunCommand;

// Whether a server could listen on 127.0.0.1:port right now.
bool PortIsFree(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == -1) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const int yes = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const bool free = bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return free;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

// The program's window on the test's display, driven through xdotool.
class Driver {
 public:
  Driver(std::string display, std::string window) : display_(std::move(display)), window_(std::move(window)) {}

  // A left click at a point of the window's client area.
  void Click(int x, int y) {
    Run({"xdotool", "mousemove", "--window", window_, std::to_string(x), std::to_string(y), "click", "1"});
    std::this_thread::sleep_for(200ms);
  }

  // Types into whatever has the keyboard focus.
  void Type(const std::string& utf8) {
    Run({"xdotool", "type", "--delay", "40", utf8});
    std::this_thread::sleep_for(200ms);
  }

  // The mean brightness (0 black .. 1 white) of a part of the window.
  double Brightness(int x, int y, int width, int height) {
    const CommandResult result = RunCommand(
        {"import", "-window", window_, "-crop",
         std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y),
         "-colorspace", "gray", "-format", "%[fx:mean]", "info:"},
        {"DISPLAY=" + display_}, 30s);
    return result.exitCode == 0 ? std::stod(result.output) : -1;
  }

 private:
  void Run(const std::vector<std::string>& argv) {
    const CommandResult result = RunCommand(argv, {"DISPLAY=" + display_}, 20s);
    EXPECT_EQ(result.exitCode, 0) << argv[1];
  }

  std::string display_;
  std::string window_;
};

// The export file the program wrote into `directory`, or empty when none.
std::filesystem::path ExportFile(const std::filesystem::path& directory) {
  const std::string prefix = "导出活跃ID";
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    const std::u8string name = entry.path().filename().u8string();
    const std::string utf8(name.begin(), name.end());
    if (utf8.compare(0, prefix.size(), prefix) == 0 && utf8.size() > 4 && utf8.ends_with(".txt")) {
      return entry.path();
    }
  }
  return {};
}

TEST(EndToEnd, CollectsFromTheServerIntoItsListAndExportsNextToItself) {
  ASSERT_TRUE(PortIsFree(IDWATCH_E2E_PORT))
      << "127.0.0.1:" << IDWATCH_E2E_PORT << " is in use, but the program under test was built to fetch from "
      << "it. Free the port, or configure with -DIDWATCH_QT_E2E_PORT=<a free port> and build again.";
  test::RawHttpServer server(IDWATCH_E2E_PORT);
  server.ScriptForever({test::HttpResponse("HTTP/1.1 200 OK", {"Content-Type: text/html; charset=utf-8"},
                                           ThreadListPageUtf8({"alice", "张三", "bob", "alice"}, ColonForm::Ascii))});

  testutil::VirtualDisplay display;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";

  TempDirectory directory;
  const std::filesystem::path program = directory.Path() / "idwatch";
  std::filesystem::copy_file(IDWATCH_E2E_PROGRAM, program);
  const std::filesystem::path runtime = directory.Path() / "runtime";
  std::filesystem::create_directory(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  const std::filesystem::path log = directory.Path() / "program.log";
  ChildProcess running({program.string()},
                       {"DISPLAY=" + display.Name(), "QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=" + runtime.string()},
                       log);
  ASSERT_TRUE(running.Started());

  const CommandResult found = RunCommand(
      {"xdotool", "search", "--sync", "--onlyvisible", "--pid", std::to_string(running.Pid())},
      {"DISPLAY=" + display.Name()}, 30s);
  ASSERT_EQ(found.exitCode, 0) << "the window did not appear";
  const std::string window = Trimmed(found.output.substr(0, found.output.find('\n')));
  Driver user(display.Name(), window);

  // The list's rows, below its header: nothing but white while it is empty.
  const double emptyList = user.Brightness(4, 30, 390, 140);
  EXPECT_GT(emptyList, 0.999);

  user.Click(47, 189);  // 延时: the hint goes
  user.Type("10");
  user.Click(47, 210);  // 贴吧
  user.Type("李四");
  user.Click(136, 200);  // 检测

  ASSERT_TRUE(server.WaitForRequests(1, 20s)) << "no request reached the server";
  EXPECT_EQ(server.Requests()[0].requestLine, "GET /f?kw=%E6%9D%8E%E5%9B%9B&ie=utf-8 HTTP/1.1");

  // Three rows of dark text in the list.
  double withRows = emptyList;
  for (auto deadline = std::chrono::steady_clock::now() + 20s;
       withRows > emptyList - 0.005 && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(200ms);
    withRows = user.Brightness(4, 30, 390, 140);
  }
  EXPECT_LT(withRows, emptyList - 0.005) << "no rows appeared in the list";

  user.Click(232, 200);  // 导出
  std::filesystem::path exported;
  for (auto deadline = std::chrono::steady_clock::now() + 20s;
       exported.empty() && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(100ms);
    exported = ExportFile(directory.Path());
  }
  ASSERT_FALSE(exported.empty()) << "no export file next to the program";
  std::ifstream in(exported, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes, "bob\r\n" + std::string(TextFromUtf8("张三").Bytes()) + "\r\nalice\r\n\r\n");

  EXPECT_TRUE(running.Running()) << "the program ended by itself";
  running.Terminate();
  std::ifstream programLog(log);
  const std::string logText{std::istreambuf_iterator<char>(programLog), std::istreambuf_iterator<char>()};
  EXPECT_EQ(logText.find("AddressSanitizer"), std::string::npos) << logText;
  EXPECT_EQ(logText.find("runtime error"), std::string::npos) << logText;
}

}  // namespace
}  // namespace idwatch
