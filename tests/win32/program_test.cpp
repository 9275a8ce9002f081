// idwatch.exe end to end: a build of the program whose forum service is the
// raw test server on 127.0.0.1, copied into a fresh directory, started as a
// process of its own and driven through its window with mouse clicks and
// typed characters, as a user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <winsock2.h>
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/win32/layout.h"
#include "base/codepage.h"
#include "tests/support/raw_http_server.h"
#include "tests/support/temp_directory.h"
#include "tests/support/thread_list_page.h"
#include "tests/win32/gui_test_support.h"

#ifndef IDWATCH_E2E_PORT
#error "IDWATCH_E2E_PORT names the port the test program fetches from"
#endif
#ifndef IDWATCH_E2E_PROGRAM
#error "IDWATCH_E2E_PROGRAM names the test program's executable"
#endif

namespace idwatch::win32 {
namespace {

using namespace test;
using namespace std::chrono_literals;

// The build tree's path as Wine's drive Z: shows the host's root.
std::filesystem::path BuiltProgram() {
  std::wstring path = L"Z:";
  for (const char c : std::string(IDWATCH_E2E_PROGRAM)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

// Whether something already listens on 127.0.0.1:port.
bool PortTaken(std::uint16_t port) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  const bool connected = connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  closesocket(probe);
  return connected;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

// The program, started from a copy in a directory of its own.
class RunningProgram {
 public:
  explicit RunningProgram(const std::filesystem::path& directory) {
    const std::filesystem::path program = directory / L"idwatch.exe";
    std::filesystem::copy_file(BuiltProgram(), program);
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.c_str(), &startup, &started)) {
      return;
    }
    CloseHandle(started.hThread);
    process_ = started.hProcess;
    id_ = started.dwProcessId;
    WaitForInputIdle(process_, 20000);
    WaitFor([&] { return (window_ = FindWindowOf(id_)) != nullptr && IsWindowVisible(window_); });
  }

  ~RunningProgram() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 99);  // a test that failed midway
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }

  HWND Window() const { return window_; }
  HWND Control(ControlId id) const { return GetDlgItem(window_, id); }
  std::wstring TextOf(ControlId id) const { return WindowText(Control(id)); }

  // Waits up to `limit` for the process to end; its exit code, or -1.
  long long WaitForExit(std::chrono::milliseconds limit) const {
    if (WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
  }

  // A list view cell, read through memory lent in the program's process.
  std::wstring CellText(int row, int column) const {
    constexpr std::size_t kUnits = 4096;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id_);
    if (!process) return L"<no access>";
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kUnits * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = kUnits;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    const auto units = SendMessageW(Control(kListId), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    std::wstring text(static_cast<std::size_t>(units), L'\0');
    ReadProcessMemory(process, remote + sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
  }
  int RowCount() const { return ListRowCount(Control(kListId)); }

 private:
  static HWND FindWindowOf(DWORD processId) {
    for (HWND window = FindWindowW(kWindowClass, nullptr); window;
         window = FindWindowExW(nullptr, window, kWindowClass, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId) return window;
    }
    return nullptr;
  }

  HANDLE process_ = nullptr;
  DWORD id_ = 0;
  HWND window_ = nullptr;
};

// A left click in the middle of a control: the button goes down and up there,
// as mouse messages in the program's own queue, which its message loop
// handles as it handles the mouse. (Input synthesized for the whole system
// does not reliably reach a window on a display without a window manager.)
void Click(HWND control) {
  RECT client;
  GetClientRect(control, &client);
  const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
  PostMessageW(control, WM_MOUSEMOVE, 0, middle);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  PostMessageW(control, WM_LBUTTONUP, 0, middle);
}

// A key stroke's character for every character of `text`, to `control`.
void Type(HWND control, const std::wstring& text) {
  for (const wchar_t c : text) PostMessageW(control, WM_CHAR, c, 1);
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PortTaken(IDWATCH_E2E_PORT))
        << "port " << IDWATCH_E2E_PORT << " on 127.0.0.1 is taken; the test program fetches from it. "
        << "Configure another one with -DIDWATCH_E2E_PORT=<port>.";
    server = std::make_unique<idwatch::test::RawHttpServer>(IDWATCH_E2E_PORT);
  }

  // Clicks into both boxes and types the delay and the forum name, then
  // clicks 检测, each step checked as the window shows it.
  void FillInAndStart(RunningProgram& program) {
    Click(program.Control(kDelayId));
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kDelayId).empty(); })) << "the hint goes when 延时 is entered";
    Type(program.Control(kDelayId), L"10");
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kDelayId) == L"10"; }));
    Click(program.Control(kForumId));
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kForumId).empty(); }));
    Type(program.Control(kForumId), L"abc");
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kForumId) == L"abc"; }));
    Click(program.Control(kCheckId));
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kCheckId) == L"停止"; }));
  }

  TempDirectory directory;
  std::unique_ptr<idwatch::test::RawHttpServer> server;
};

TEST_F(ProgramTest, CollectsTheForumsRepliersAndExportsThemNextToItself) {
  server->ScriptForever({idwatch::test::HttpResponse(
      "HTTP/1.1 200 OK", {"Content-Type: text/html; charset=utf-8"},
      ThreadListPageUtf8({"alice", "张三", "bob", "alice"}, ColonForm::Ascii))});
  RunningProgram program(directory.Path());
  ASSERT_NE(program.Window(), nullptr) << "the program's window did not appear";
  ASSERT_NO_FATAL_FAILURE(FillInAndStart(program));

  ASSERT_TRUE(WaitFor([&] { return program.RowCount() == 3; }));
  EXPECT_EQ(program.TextOf(kCounterId), L"1");
  const std::vector<std::vector<std::wstring>> rows = {{L"3", L"bob"}, {L"2", L"张三"}, {L"1", L"alice"}};
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(program.CellText(row, 0), rows[row][0]);
    EXPECT_EQ(program.CellText(row, 1), rows[row][1]);
    EXPECT_EQ(program.CellText(row, 2), L"");
  }
  ASSERT_GE(server->Requests().size(), 1u);
  EXPECT_EQ(server->Requests()[0].requestLine, "GET /f?kw=abc&ie=utf-8 HTTP/1.1");

  Click(program.Control(kCheckId));
  ASSERT_TRUE(WaitFor([&] { return program.TextOf(kCheckId) == L"检测"; }));
  Click(program.Control(kExportId));
  ASSERT_TRUE(WaitFor([&] { return program.TextOf(kCounterId) == L"状态：导出完毕。。"; }));

  std::vector<std::filesystem::path> exported;
  for (const auto& entry : std::filesystem::directory_iterator(directory.Path())) {
    if (entry.path().filename().wstring().starts_with(L"导出活跃ID")) exported.push_back(entry.path());
  }
  ASSERT_EQ(exported.size(), 1u);
  EXPECT_EQ(exported[0].extension(), L".txt");
  std::ifstream in(exported[0], std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(bytes, std::string(TextFromUtf8("bob\r\n张三\r\nalice\r\n\r\n").Bytes()));

  PostMessageW(program.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(10s), 0);
}

// Ten cycles wait on a server that never answers; closing the window ends
// the process at once, without waiting for them.
TEST_F(ProgramTest, ClosingWhileTenCyclesWaitEndsTheProcessAtOnce) {
  server->ScriptForever({"", idwatch::test::ScriptedReply::Then::Stall});
  RunningProgram program(directory.Path());
  ASSERT_NE(program.Window(), nullptr) << "the program's window did not appear";
  ASSERT_NO_FATAL_FAILURE(FillInAndStart(program));
  for (int start = 2; start <= 10; ++start) {
    Click(program.Control(kCheckId));
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kCheckId) == L"检测"; }));
    Click(program.Control(kCheckId));
    ASSERT_TRUE(WaitFor([&] { return program.TextOf(kCheckId) == L"停止"; }));
  }
  EXPECT_EQ(program.TextOf(kCounterId), L"10");
  ASSERT_TRUE(server->WaitForRequests(10, 30s));

  PostMessageW(program.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(program.WaitForExit(10s), 0) << "the process must end without waiting for its cycles";
}

}  // namespace
}  // namespace idwatch::win32
