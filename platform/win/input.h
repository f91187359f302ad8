// Input for tests and the host: the pointer position and mouse and key events delivered to windows
// the way the user's input would reach them.
#pragma once

#include "platform/win/winuser.h"

namespace plat::win {

// The pointer's screen position; moved by the mouse events below.
BOOL SetCursorPos(int x, int y);
BOOL GetCursorPos(POINT* point);

// A left click at a client point of `hwnd`, handled now: the pointer moves there (which also becomes
// the calling thread's current message position), then WM_MOUSEMOVE, WM_LBUTTONDOWN and
// WM_LBUTTONUP go through the window's procedures. A point on the window's vertical scroll bar
// (right of its client area) is a non-client press instead: only WM_NCLBUTTONDOWN with HTVSCROLL
// and the screen point, which the default handling turns into WM_VSCROLL. Owner thread only. FALSE
// (nothing delivered) when the window or one of its ancestors is hidden or disabled, as real input
// would not reach it.
BOOL SendClick(HWND hwnd, POINT client, WPARAM keys = 0);
// A mouse move to a client point, handled now (same rules).
BOOL SendMouseMove(HWND hwnd, POINT client);
// The same click queued for the window's thread (any thread may call it); its message loop (a modal
// one included) delivers it.
BOOL PostClick(HWND hwnd, POINT client, WPARAM keys = 0);
// A key press (WM_KEYDOWN, then WM_KEYUP) queued for the window's thread, so that a running dialog
// manager sees it (Enter and Escape in a dialog become IDOK and IDCANCEL).
BOOL PostKey(HWND hwnd, UINT virtualKey);

// Marks `screen` as the calling thread's current message position (GetMessagePos) for input that
// is delivered by a direct call rather than through the queue.
void SetCurrentMessagePos(POINT screen);

}  // namespace plat::win
