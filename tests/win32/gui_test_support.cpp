#include "tests/win32/gui_test_support.h"

#include <commctrl.h>

#include <algorithm>

#include "app/win32/message_loop.h"

namespace idwatch::win32::test {

bool PumpUntil(HWND window, const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;  // the window was closed; the test looks at that itself
      HandleWindowMessage(window, message);
    }
    if (done && done()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(left, 10)), QS_ALLINPUT);
  }
}

void PumpFor(HWND window, std::chrono::milliseconds duration) { PumpUntil(window, nullptr, duration); }

std::wstring WindowText(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

int ListRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListCellText(HWND list, int row, int column) {
  std::wstring text(64 * 1024, L'\0');
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text.data();
  item.cchTextMax = static_cast<int>(text.size());
  const auto copied = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

namespace {

struct BoxSearch {
  const wchar_t* caption;
  HWND found = nullptr;
};

BOOL CALLBACK CheckTopLevel(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<BoxSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
  if (ClassName(window) != L"#32770" || WindowText(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

BOOL CALLBACK ReadChild(HWND child, LPARAM parameter) {
  SeenBox& seen = *reinterpret_cast<SeenBox*>(parameter);
  if (!IsWindowVisible(child)) return TRUE;
  const std::wstring className = ClassName(child);
  if (className == L"Button") ++seen.visibleButtons;
  if (className == L"Static") {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      seen.visibleIcon = SendMessageW(child, STM_GETICON, 0, 0) != 0;
    } else if (const std::wstring text = WindowText(child); !text.empty()) {
      seen.text = text;
    }
  }
  return TRUE;
}

}  // namespace

HWND FindMessageBox(const wchar_t* caption) {
  BoxSearch search{caption};
  EnumWindows(CheckTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

MessageBoxAnswerer::MessageBoxAnswerer(HWND mainWindow, std::chrono::milliseconds hold, HWND watched)
    : mainWindow_(mainWindow), hold_(hold), watched_(watched), thread_([this] { Watch(); }) {}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  thread_.join();
}

std::vector<SeenBox> MessageBoxAnswerer::Seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

std::vector<std::wstring> MessageBoxAnswerer::Texts() const {
  std::vector<std::wstring> texts;
  for (const SeenBox& box : Seen()) texts.push_back(box.text);
  return texts;
}

void MessageBoxAnswerer::Watch() {
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
    }
    HWND box = FindMessageBox(L"信息：");
    if (!box) {
      Sleep(5);
      continue;
    }
    SeenBox seen;
    seen.caption = WindowText(box);
    seen.hasOwner = GetWindow(box, GW_OWNER) != nullptr;
    seen.windowEnabled = IsWindowEnabled(mainWindow_) != FALSE;
    EnumChildWindows(box, ReadChild, reinterpret_cast<LPARAM>(&seen));
    if (watched_) seen.watchedAtOpen = WindowText(watched_);
    if (hold_.count() > 0) std::this_thread::sleep_for(hold_);
    if (watched_) seen.watchedAtClose = WindowText(watched_);
    {
      std::lock_guard lock(mutex_);
      seen_.push_back(seen);
    }
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    // Wait for the box to go, so it is not answered twice.
    for (int waited = 0; IsWindow(box) && waited < 2000; ++waited) Sleep(5);
  }
}

}  // namespace idwatch::win32::test
