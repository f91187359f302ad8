// The built-in window classes' procedures and the small helpers their painting shares. Private to
// plat::win.
#pragma once

#include <string>

#include "platform/win/winuser.h"

namespace plat::gdi {
class CDC;
class CFont;
}  // namespace plat::gdi

namespace plat::win::detail {

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The font a control draws with: its WM_SETFONT font, else the stock GUI font.
gdi::CFont* ControlFont(HWND hwnd);
// The height in pixels of one line of text in that font.
int FontLineHeight(gdi::CFont* font);
// Sends WM_NOTIFY with `header` (hwndFrom, idFrom and code filled here) to the control's parent.
LRESULT NotifyParent(HWND hwnd, UINT code, void* record);

}  // namespace plat::win::detail
