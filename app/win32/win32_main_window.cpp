#include "app/win32/win32_main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "app/handlers.h"
#include "app/win32/wide_text.h"

namespace idwatch::win32 {
namespace {

// Posted by the list's change notice (report_list_view.h).
constexpr UINT kListChangedMessage = WM_APP + 1;
// Posted when 延时 has lost the focus; see OnCommand.
constexpr UINT kDelayLeftMessage = WM_APP + 2;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

HINSTANCE ThisModule() { return GetModuleHandleW(nullptr); }

bool RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ThisModule();
  windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The outer rectangle: 411 x 250 centred on the work area. Should the
// platform's frame and title bar be so large that the client area could not
// hold the controls, the window grows just enough to hold them.
RECT WindowRectangle() {
  int clientRight = 0;
  int clientBottom = 0;
  for (const ControlLayout& layout : kControls) {
    clientRight = std::max(clientRight, layout.left + layout.width);
    clientBottom = std::max(clientBottom, layout.top + layout.height);
  }
  RECT needed{0, 0, clientRight, clientBottom};
  AdjustWindowRectEx(&needed, kWindowStyle, FALSE, 0);
  const int width = std::max<int>(kWindowWidth, needed.right - needed.left);
  const int height = std::max<int>(kWindowHeight, needed.bottom - needed.top);

  RECT workArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  const int left = workArea.left + (workArea.right - workArea.left - width) / 2;
  const int top = workArea.top + (workArea.bottom - workArea.top - height) / 2;
  return RECT{left, top, left + width, top + height};
}

}  // namespace

Text WindowTextControl::GetText() const {
  const int length = GetWindowTextLengthW(handle);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(handle, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return TextFromWide(text);
}

void WindowTextControl::SetText(const Text& text) { SetWindowTextW(handle, WideFromText(text).c_str()); }

void WindowTimer::Restart(int milliseconds) {
  KillTimer(window, kTimerId);
  if (milliseconds > 0) SetTimer(window, kTimerId, static_cast<UINT>(milliseconds), nullptr);
}

Win32MainWindow::Win32MainWindow(std::shared_ptr<SharedState> state) : MainWindow(std::move(state)) {}

std::unique_ptr<Win32MainWindow> Win32MainWindow::Create(std::shared_ptr<SharedState> state) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterWindowClass(WindowProcedure)) return nullptr;

  std::unique_ptr<Win32MainWindow> window(new Win32MainWindow(std::move(state)));
  const RECT place = WindowRectangle();
  // WM_NCCREATE ties the window to the object and sets window_.
  CreateWindowExW(0, kWindowClass, L"", kWindowStyle, place.left, place.top, place.right - place.left,
                  place.bottom - place.top, nullptr, nullptr, ThisModule(), window.get());
  if (!window->window_ || !window->CreateControls()) return nullptr;
  return window;
}

Win32MainWindow::~Win32MainWindow() {
  if (window_) DestroyWindow(window_);
}

bool Win32MainWindow::CreateControls() {
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlLayout& layout : kControls) {
    HWND control = CreateWindowExW(layout.exStyle, layout.className, layout.text,
                                   WS_CHILD | WS_VISIBLE | layout.style, layout.left, layout.top,
                                   layout.width, layout.height, window_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), ThisModule(),
                                   nullptr);
    if (!control) return false;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  // No length limit (0 asks for the largest the edit box can hold).
  SendMessageW(Control(kDelayId), EM_SETLIMITTEXT, 0, 0);
  SendMessageW(Control(kForumId), EM_SETLIMITTEXT, 0, 0);

  delay_.handle = Control(kDelayId);
  forum_.handle = Control(kForumId);
  check_.handle = Control(kCheckId);
  counter_.handle = Control(kCounterId);
  timer_.window = window_;
  list_ = std::make_unique<ReportListView>(window_, Control(kListId), ip超级列表(), kListChangedMessage);
  return true;
}

void Win32MainWindow::Show(int showCommand) {
  ShowWindow(window_, showCommand);
  UpdateWindow(window_);
  if (GetActiveWindow() == window_) RestoreFocus();
}

LRESULT CALLBACK Win32MainWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->OnMessage(window, message, wParam, lParam);
}

LRESULT Win32MainWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      // A tick already queued when the timer was stopped is dropped.
      if (wParam == kTimerId && timer_.Period() > 0) OnTimerTick(*this);
      return 0;
    case kDelayLeftMessage:
      OnDelayLostFocus(*this);
      return 0;
    case kListChangedMessage:
      if (list_) list_->OnModelChanged();
      return 0;
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam) != WA_INACTIVE);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_CLOSE:
      // Closing the window ends the program: the loop ends with WM_QUIT.
      DestroyWindow(window);
      PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void Win32MainWindow::OnCommand(int id, int code) {
  switch (id) {
    case kCheckId:
      if (code == BN_CLICKED) OnCheckClicked(*this);
      break;
    case kExportId:
      if (code == BN_CLICKED) OnExportClicked(*this);
      break;
    case kDelayId:
      if (code == EN_SETFOCUS) OnDelayGotFocus(*this);
      // The warning waits until the focus has fully moved on: a message box
      // shown in the middle of the focus change would take the focus while
      // the change is still under way.
      if (code == EN_KILLFOCUS) PostMessageW(window_, kDelayLeftMessage, 0, 0);
      break;
    case kForumId:
      if (code == EN_SETFOCUS) OnForumGotFocus(*this);
      break;
    default:
      break;
  }
}

LRESULT Win32MainWindow::OnNotify(NMHDR& header) {
  if (header.idFrom == kListId && header.code == LVN_GETDISPINFOW && list_) {
    list_->OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(header));
  }
  return 0;
}

// The window handles its activation itself: the default would put the focus
// on the window instead of on one of its controls.
void Win32MainWindow::OnActivate(bool active) {
  if (active) {
    RestoreFocus();
    return;
  }
  HWND focus = GetFocus();
  if (focus && IsChild(window_, focus)) lastFocus_ = focus;
}

void Win32MainWindow::RestoreFocus() {
  if (!lastFocus_ || !IsWindow(lastFocus_)) lastFocus_ = Control(kListId);
  SetFocus(lastFocus_);
}

void Win32MainWindow::OnDestroy() {
  KillTimer(window_, kTimerId);
  list_.reset();  // the model's notices stop before the list view goes
  window_ = nullptr;
}

}  // namespace idwatch::win32
