// The Win32 window in this process: its controls as built, the handlers as
// the controls' events reach them, the list view over the report list model,
// the real message boxes, the timer and the export. Workers fetch from a
// page the test serves.
#include "app/win32/win32_main_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "app/win32/layout.h"
#include "app/win32/message_boxes.h"
#include "app/win32/wide_text.h"
#include "base/byte_set.h"
#include "base/codepage.h"
#include "base/files.h"
#include "tests/support/temp_directory.h"
#include "tests/support/thread_list_page.h"
#include "tests/win32/gui_test_support.h"

namespace idwatch::win32 {
namespace {

using namespace test;

const std::wstring kRefusal = L"请先填写延时或贴吧名";
const std::wstring kShortDelay = L"延时时间小于5秒可能会导致列表重复！";

// Serves one thread-list page for every fetch and counts the fetches. Any
// thread.
class PageServer {
 public:
  void Serve(const std::vector<std::string>& repliers) {
    std::lock_guard lock(mutex_);
    page_ = ThreadListPage(repliers, ColonForm::FullWidth);
  }
  int Fetches() const { return fetches_.load(); }
  Fetch AsFetch() {
    return [this](const Text&) {
      ++fetches_;
      std::lock_guard lock(mutex_);
      return ByteSet(page_);
    };
  }

 private:
  std::mutex mutex_;
  std::string page_;
  std::atomic<int> fetches_{0};
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessageBoxes();
    state_ = std::make_shared<SharedState>();
    state_->fetch = server.AsFetch();
    window = Win32MainWindow::Create(state_);
    ASSERT_TRUE(window);
    window->Show();
    PumpFor(window->Handle(), 100ms);
  }

  void TearDown() override {
    window.reset();
    // Every worker holds the state; wait until they have all ended.
    std::weak_ptr<SharedState> watch = state_;
    state_.reset();
    for (int waited = 0; !watch.expired() && waited < 2000; ++waited) Sleep(5);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  HWND Control(ControlId id) const { return window->Control(id); }
  std::wstring TextOf(ControlId id) const { return WindowText(Control(id)); }
  void Type(ControlId id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }
  void Click(ControlId id) { SendMessageW(Control(id), BM_CLICK, 0, 0); }
  bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    return PumpUntil(window->Handle(), done, limit);
  }
  void Pump(std::chrono::milliseconds duration) { PumpFor(window->Handle(), duration); }
  HWND List() const { return Control(kListId); }
  ReportList& Model() { return window->ip超级列表(); }

  PageServer server;
  std::unique_ptr<Win32MainWindow> window;

 private:
  std::shared_ptr<SharedState> state_;
};

TEST_F(MainWindowTest, WindowFrameSizeAndPlace) {
  HWND main = window->Handle();
  RECT outer;
  GetWindowRect(main, &outer);
  EXPECT_EQ(outer.right - outer.left, 411);
  EXPECT_EQ(outer.bottom - outer.top, 250);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR((outer.left + outer.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((outer.top + outer.bottom) / 2, (work.top + work.bottom) / 2, 1);

  EXPECT_EQ(WindowText(main), L"");
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(GetMenu(main), nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(MainWindowTest, ControlsAtStart) {
  struct Expected {
    ControlId id;
    std::wstring className;
    std::wstring text;
    RECT place;  // left, top, right, bottom in the client area
    bool tabStop;
    bool sunken;
  };
  const Expected controls[] = {
      {kListId, L"SysListView32", L"", {0, 0, 400, 176}, true, true},
      {kDelayId, L"Edit", L"延时：秒", {7, 179, 87, 199}, true, true},
      {kForumId, L"Edit", L"贴吧", {7, 200, 87, 220}, true, true},
      {kCheckId, L"Button", L"检测", {96, 184, 176, 216}, true, false},
      {kExportId, L"Button", L"导出", {192, 184, 272, 216}, true, false},
      {kCountCaptionId, L"Static", L"次数：", {304, 192, 336, 216}, false, false},
      {kCounterId, L"Static", L"0", {344, 192, 392, 216}, false, false},
  };
  HFONT guiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const Expected& expected : controls) {
    SCOPED_TRACE(expected.id);
    HWND control = Control(expected.id);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(ClassName(control), expected.className);
    EXPECT_EQ(WindowText(control), expected.text);
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, expected.place.left);
    EXPECT_EQ(place.top, expected.place.top);
    EXPECT_EQ(place.right, expected.place.right);
    EXPECT_EQ(place.bottom, expected.place.bottom);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    EXPECT_EQ((style & WS_TABSTOP) != 0, expected.tabStop);
    EXPECT_EQ((GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, expected.sunken);
    EXPECT_TRUE(IsWindowVisible(control));
    EXPECT_TRUE(IsWindowEnabled(control));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), guiFont);
  }
  // Edit boxes scroll sideways and take any length; buttons are plain push
  // buttons; labels are single lines, left-aligned, centred vertically.
  for (ControlId edit : {kDelayId, kForumId}) {
    const LONG style = GetWindowLongW(Control(edit), GWL_STYLE);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_FALSE(style & (ES_NUMBER | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_MULTILINE));
    EXPECT_GE(SendMessageW(Control(edit), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
  }
  for (ControlId button : {kCheckId, kExportId}) {
    EXPECT_EQ(GetWindowLongW(Control(button), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  }
  for (ControlId label : {kCountCaptionId, kCounterId}) {
    const LONG style = GetWindowLongW(Control(label), GWL_STYLE);
    EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT);
    EXPECT_TRUE(style & SS_CENTERIMAGE);
  }
  EXPECT_EQ(window->时钟1().Period(), 0);
  EXPECT_EQ(GetFocus(), List());
}

TEST_F(MainWindowTest, ListIsAnEmptyReportWithThreeColumns) {
  HWND list = List();
  const LONG style = GetWindowLongW(list, GWL_STYLE);
  EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(style & LVS_SINGLESEL);
  EXPECT_FALSE(style & (LVS_EDITLABELS | LVS_SORTASCENDING | LVS_SORTDESCENDING | LVS_NOCOLUMNHEADER));
  const auto extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES), LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  EXPECT_FALSE(extended & (LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_HEADERDRAGDROP));
  EXPECT_EQ(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);

  const std::pair<std::wstring, int> columns[] = {{L"序号", 40}, {L"ID", 100}, {L"时间", 250}};
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
  for (int index = 0; index < 3; ++index) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(text, columns[index].first);
    EXPECT_EQ(column.cx, columns[index].second);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  }
  EXPECT_EQ(ListRowCount(list), 0);
  EXPECT_EQ(ListCellText(list, 0, 1), L"");
}

// Entering a box that still shows its hint empties it; leaving 延时 with
// less than 5 seconds in it brings the warning, in the program's own box.
TEST_F(MainWindowTest, HintsClearOnFocusAndAShortDelayIsWarnedAbout) {
  MessageBoxAnswerer answerer(window->Handle());
  SetFocus(Control(kDelayId));
  EXPECT_EQ(TextOf(kDelayId), L"");
  EXPECT_EQ(TextOf(kForumId), L"贴吧");
  SetFocus(Control(kForumId));
  EXPECT_EQ(TextOf(kForumId), L"");
  ASSERT_TRUE(Pump([&] { return answerer.Seen().size() == 1; }));

  const SeenBox box = answerer.Seen()[0];
  EXPECT_EQ(box.caption, L"信息：");
  EXPECT_EQ(box.text, kShortDelay);
  EXPECT_EQ(box.visibleButtons, 1);
  EXPECT_FALSE(box.visibleIcon);
  EXPECT_FALSE(box.hasOwner);
  EXPECT_FALSE(box.windowEnabled) << "the box is modal for the window";
  // The hints never come back, and a name once typed is left alone.
  EXPECT_TRUE(Pump([&] { return GetFocus() == Control(kForumId); }, 2s)) << "the focus comes back where it was";
  Type(kForumId, L"abc");
  Type(kDelayId, L"10");
  SetFocus(Control(kDelayId));
  SetFocus(Control(kForumId));
  Pump(300ms);
  EXPECT_EQ(TextOf(kForumId), L"abc");
  EXPECT_EQ(TextOf(kDelayId), L"10");
  EXPECT_EQ(answerer.Seen().size(), 1u) << "10 seconds is no short delay";
}

TEST_F(MainWindowTest, ShortDelaysWarnedAbout) {
  struct Case {
    std::wstring delay;
    bool warned;
  };
  const Case cases[] = {{L"", true}, {L"4", true}, {L"2.5", true}, {L"abc", true}, {L"-3", true},
                        {L"5", false}, {L"１０", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(TextToUtf8(TextFromWide(c.delay))));
    MessageBoxAnswerer answerer(window->Handle());
    Type(kDelayId, c.delay);
    SetFocus(Control(kDelayId));
    SetFocus(List());
    Pump([&] { return !answerer.Seen().empty(); }, c.warned ? 10s : 300ms);
    EXPECT_EQ(answerer.Texts(), c.warned ? std::vector<std::wstring>{kShortDelay} : std::vector<std::wstring>{});
    Pump([&] { return IsWindowEnabled(window->Handle()) != FALSE; });
    EXPECT_EQ(TextOf(kDelayId), c.delay) << "the warning changes nothing";
  }
}

TEST_F(MainWindowTest, TabMovesBetweenTheTabStopsAndTheFocusReturnsWithTheWindow) {
  Type(kDelayId, L"10");
  const ControlId order[] = {kDelayId, kForumId, kCheckId, kExportId, kListId};
  for (ControlId next : order) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
    EXPECT_TRUE(Pump([&] { return GetFocus() == Control(next); }, 2s)) << next;
  }
  EXPECT_EQ(TextOf(kForumId), L"") << "entered by Tab";

  // Shift+Tab goes the other way round.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  for (ControlId previous : {kExportId, kCheckId, kForumId}) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
    EXPECT_TRUE(Pump([&] { return GetFocus() == Control(previous); }, 2s)) << previous;
  }
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);

  // Another window takes the activation; coming back, 贴吧 has the focus again.
  SetFocus(Control(kForumId));
  HWND other = CreateWindowExW(0, L"Static", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  SetActiveWindow(other);
  EXPECT_TRUE(Pump([&] { return GetActiveWindow() == other; }, 2s));
  EXPECT_NE(GetFocus(), Control(kForumId));
  SetActiveWindow(window->Handle());
  EXPECT_TRUE(Pump([&] { return GetFocus() == Control(kForumId); }, 2s));
  DestroyWindow(other);
}

TEST_F(MainWindowTest, StartRefusedWithoutDelayOrForum) {
  struct Case {
    std::wstring delay;
    std::wstring forum;
  };
  const Case cases[] = {{L"延时：秒", L"贴吧"}, {L"10", L"贴吧"}, {L"延时：秒", L"abc"}, {L"", L"abc"}, {L"10", L""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(TextToUtf8(TextFromWide(c.delay + L" / " + c.forum)));
    MessageBoxAnswerer answerer(window->Handle());
    Type(kDelayId, c.delay);
    Type(kForumId, c.forum);
    Click(kCheckId);  // returns once the box has been answered
    EXPECT_EQ(answerer.Texts(), std::vector<std::wstring>{kRefusal});
    EXPECT_EQ(TextOf(kCheckId), L"检测");
    EXPECT_EQ(TextOf(kCounterId), L"0");
    EXPECT_EQ(window->时钟1().Period(), 0);
  }
  Pump(200ms);
  EXPECT_EQ(server.Fetches(), 0);
}

// Start counts one cycle and runs it at once; every tick of a one-second
// delay counts and runs one more; stop ends the ticks but not the count.
TEST_F(MainWindowTest, StartTicksAndStop) {
  server.Serve({"alice"});
  Type(kDelayId, L"1");
  Type(kForumId, L"abc");
  Click(kCheckId);
  EXPECT_EQ(TextOf(kCounterId), L"1");
  EXPECT_EQ(TextOf(kCheckId), L"停止");
  EXPECT_EQ(window->时钟1().Period(), 1000);
  EXPECT_TRUE(Pump([&] { return server.Fetches() == 1; }));

  ASSERT_TRUE(Pump([&] { return TextOf(kCounterId) == L"3"; }, 20s));
  EXPECT_TRUE(Pump([&] { return server.Fetches() == 3; }));

  Click(kCheckId);
  EXPECT_EQ(TextOf(kCheckId), L"检测");
  EXPECT_EQ(window->时钟1().Period(), 0);
  const std::wstring stoppedAt = TextOf(kCounterId);
  Pump(2500ms);
  EXPECT_EQ(TextOf(kCounterId), stoppedAt) << "no ticks once stopped";

  Click(kCheckId);
  EXPECT_EQ(TextOf(kCounterId), std::to_wstring(std::stoi(stoppedAt) + 1)) << "the count goes on";
  Click(kCheckId);
}

// A message box runs its own loop; the timer keeps ticking through it.
TEST_F(MainWindowTest, TicksGoOnWhileAMessageBoxIsOpen) {
  Type(kDelayId, L"1");
  Type(kForumId, L"abc");
  Click(kCheckId);
  MessageBoxAnswerer answerer(window->Handle(), 3500ms, Control(kCounterId));
  SetFocus(Control(kDelayId));
  SetFocus(List());  // leaving 延时 with 1 second: the warning, held open
  ASSERT_TRUE(Pump([&] { return !answerer.Seen().empty(); }));
  const SeenBox box = answerer.Seen()[0];
  EXPECT_GE(std::stoi(box.watchedAtClose), std::stoi(box.watchedAtOpen) + 2);
  Click(kCheckId);
}

TEST_F(MainWindowTest, AWorkersRowsAppearInTheList) {
  server.Serve({"alice", "张三", "bob", "alice"});
  Type(kDelayId, L"10");
  Type(kForumId, L"abc");
  Click(kCheckId);
  ASSERT_TRUE(Pump([&] { return ListRowCount(List()) == 3; }));
  Click(kCheckId);
  const std::vector<std::vector<std::wstring>> rows = {{L"3", L"bob", L""}, {L"2", L"张三", L""}, {L"1", L"alice", L""}};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      EXPECT_EQ(ListCellText(List(), row, column), rows[row][column]) << row << "," << column;
    }
  }
  EXPECT_EQ(ListCellText(List(), 3, 1), L"") << "past the last row";
}

// Rows that threads add by the thousand all reach the view, each cell reads
// back whole however long, and the selected row stays selected as rows
// arrive above it.
TEST_F(MainWindowTest, ListFollowsTheModelFromManyThreads) {
  Model().InsertIdIfNew("first");
  const std::string longText(3000, 'x');
  std::thread([&] { Model().SetCellText(0, 2, Text(longText)); }).join();
  ASSERT_TRUE(Pump([&] { return ListRowCount(List()) == 1; }));
  ListView_SetItemState(List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

  constexpr int kThreads = 4;
  constexpr int kRowsEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kRowsEach; ++i) {
        Model().InsertIdIfNew(Text("id" + std::to_string(t) + "_" + std::to_string(i)));
      }
    });
  }
  ASSERT_TRUE(Pump([&] { return ListRowCount(List()) == kThreads * kRowsEach + 1; }, 30s));
  for (std::thread& thread : threads) thread.join();

  std::set<std::wstring> ids;
  for (int row = 0; row < ListRowCount(List()); ++row) ids.insert(ListCellText(List(), row, 1));
  EXPECT_EQ(ids.size(), static_cast<std::size_t>(kThreads * kRowsEach + 1));
  const int selected = ListView_GetNextItem(List(), -1, LVNI_SELECTED);
  EXPECT_EQ(selected, kThreads * kRowsEach);
  EXPECT_EQ(ListView_GetNextItem(List(), -1, LVNI_FOCUSED), selected);
  EXPECT_EQ(ListCellText(List(), selected, 1), L"first");
  EXPECT_EQ(ListCellText(List(), selected, 2), std::wstring(longText.begin(), longText.end()));
}

std::vector<std::filesystem::path> ExportFiles() {
  std::vector<std::filesystem::path> files;
  const std::filesystem::path directory = TextToPath(RunDirectory());
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    const std::u16string name = entry.path().filename().u16string();
    if (name.starts_with(u"导出活跃ID") && name.ends_with(u".txt")) files.push_back(entry.path());
  }
  return files;
}

TEST_F(MainWindowTest, ExportWritesTheIdsNextToTheProgram) {
  for (const auto& file : ExportFiles()) std::filesystem::remove(file);
  Click(kExportId);
  EXPECT_EQ(TextOf(kCounterId), L"状态：无数据");
  EXPECT_TRUE(ExportFiles().empty());

  server.Serve({"abc", "张三", "de"});
  Type(kDelayId, L"10");
  Type(kForumId, L"abc");
  Click(kCheckId);
  ASSERT_TRUE(Pump([&] { return ListRowCount(List()) == 3; }));
  Click(kCheckId);
  Click(kExportId);
  EXPECT_EQ(TextOf(kCounterId), L"状态：导出完毕。。");
  const auto files = ExportFiles();
  ASSERT_EQ(files.size(), 1u);
  std::ifstream in(files[0], std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  in.close();
  EXPECT_EQ(bytes, std::string(TextFromUtf8("de\r\n张三\r\nabc\r\n\r\n").Bytes()));
  std::filesystem::remove(files[0]);

  // The next start counts from 1 again.
  Click(kCheckId);
  EXPECT_EQ(TextOf(kCounterId), L"1");
  Click(kCheckId);
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheLoop) {
  Type(kDelayId, L"1");
  Type(kForumId, L"abc");
  Click(kCheckId);
  SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->IsOpen());
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
  // A worker that changes the model now posts to a window that is gone.
  std::thread([&] { Model().InsertIdIfNew("late"); }).join();
  EXPECT_EQ(Model().RowCount(), 1);
}

}  // namespace
}  // namespace idwatch::win32
