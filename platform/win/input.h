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

// Input from the screen for the windows of top-level `top`, queued for their thread as the user's
// input is (any thread may call these; the message loop delivers them).
// Pointer: `message` is WM_MOUSEMOVE, WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN/UP, WM_MBUTTONDOWN/UP or
// WM_MOUSEWHEEL, at `client` (a client point of `top`). It goes to the deepest visible window under
// the point or, while a button that was pressed in one of our windows is held, to that window; the
// press on a window's vertical scroll bar becomes WM_NCLBUTTONDOWN as in PostClick. `keys` are the
// MK_ flags; for the wheel, the signed turn (120 a notch) goes to wParam's high word and the screen
// point to lParam. FALSE when the target is hidden or disabled (itself or an ancestor).
BOOL PostPointerInput(HWND top, UINT message, POINT client, WPARAM keys, int wheelDelta = 0);
// Keyboard: WM_KEYDOWN or WM_KEYUP of `virtualKey`, or WM_CHAR of one CP949 byte (a double-byte
// character is two WM_CHARs, lead byte first), to the thread's focus window when it lies inside
// `top`, else to `top`. FALSE when that window cannot take input.
BOOL PostKeyInput(HWND top, UINT message, WPARAM value);
// Whether a key was down as of the last key message the calling thread took: 0x8000 set when down.
short GetKeyState(int virtualKey);

// The next window of `top`'s descendants (depth first, in creation order) that takes Tab: visible,
// enabled, WS_TABSTOP. After `from` (before it when `previous`), wrapping; null when none.
HWND GetNextTabStop(HWND top, HWND from, bool previous);

// Marks `screen` as the calling thread's current message position (GetMessagePos) for input that
// is delivered by a direct call rather than through the queue.
void SetCurrentMessagePos(POINT screen);

}  // namespace plat::win
