#pragma once
// The main window's fixed layout: its outer size and, for every control, its
// identifier, kind, start text, styles and place in the client area. The
// window is built from this table, and the GUI tests find the controls by
// these identifiers.

#include <windows.h>
#include <commctrl.h>

#include <array>

namespace idwatch::win32 {

// Control identifiers. None is IDOK (1) or IDCANCEL (2): the dialog keyboard
// handling in the message loop sends those for Enter and Escape, and they
// must reach no handler.
enum ControlId : int {
  kListId = 101,  // ip超级列表
  kDelayId,       // 延时
  kForumId,       // 贴吧
  kCheckId,       // 检测
  kExportId,      // 导出
  kCountCaptionId,  // 标签2
  kCounterId,       // 标签1
};

// The window class, by which other programs (and the end-to-end test) find
// the window.
inline constexpr wchar_t kWindowClass[] = L"IdwatchMainWindow";

// 时钟1: the one timer of the window.
inline constexpr UINT_PTR kTimerId = 1;

inline constexpr int kWindowWidth = 411;  // outer size, frame and title bar included
inline constexpr int kWindowHeight = 250;

struct ControlLayout {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;  // besides WS_CHILD | WS_VISIBLE
  DWORD exStyle;
  int left, top, width, height;
};

inline constexpr DWORD kEditStyle = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
inline constexpr DWORD kButtonStyle = WS_TABSTOP | BS_PUSHBUTTON;
// SS_NOPREFIX: a "&" in a caption is shown, not taken as a mnemonic.
inline constexpr DWORD kLabelStyle = SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
// A virtual list: the rows are read from the report list model when drawn.
inline constexpr DWORD kListStyle =
    WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
inline constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;

// In creation order, which is also the tab order.
inline constexpr std::array<ControlLayout, 7> kControls{{
    {kListId, WC_LISTVIEWW, L"", kListStyle, WS_EX_CLIENTEDGE, 0, 0, 400, 176},
    {kDelayId, WC_EDITW, L"延时：秒", kEditStyle, WS_EX_CLIENTEDGE, 7, 179, 80, 20},
    {kForumId, WC_EDITW, L"贴吧", kEditStyle, WS_EX_CLIENTEDGE, 7, 200, 80, 20},
    {kCheckId, WC_BUTTONW, L"检测", kButtonStyle, 0, 96, 184, 80, 32},
    {kExportId, WC_BUTTONW, L"导出", kButtonStyle, 0, 192, 184, 80, 32},
    {kCountCaptionId, WC_STATICW, L"次数：", kLabelStyle, 0, 304, 192, 32, 24},
    {kCounterId, WC_STATICW, L"0", kLabelStyle, 0, 344, 192, 48, 24},
}};

struct ColumnSpec {
  const wchar_t* header;
  int width;
};

inline constexpr std::array<ColumnSpec, 3> kColumns{{{L"序号", 40}, {L"ID", 100}, {L"时间", 250}}};

}  // namespace idwatch::win32
