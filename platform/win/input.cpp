// Pointer position and injected mouse and key input.
#include "platform/win/input.h"

#include "platform/win/message.h"
#include "platform/win/scrollbar_internal.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace {

// Whether real input could reach the window: it and its ancestors visible and enabled.
bool Reachable(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w || !VisibleChain(*w)) return false;
  for (Wnd* cur = w; cur; cur = (cur->style & WS_CHILD) ? Find(cur->parent) : nullptr)
    if (cur->style & WS_DISABLED) return false;
  return true;
}

LPARAM Pack(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

POINT MoveCursor(HWND hwnd, POINT client) {
  POINT screen = client;
  ClientToScreen(hwnd, &screen);
  SetCursorPos(screen.x, screen.y);
  return screen;
}

}  // namespace

BOOL SetCursorPos(int x, int y) {
  auto lock = Lock();
  Reg().cursor = POINT{x, y};
  return TRUE;
}

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  auto lock = Lock();
  *point = Reg().cursor;
  return TRUE;
}

void SetCurrentMessagePos(POINT screen) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  me->messagePos = static_cast<DWORD>(Pack(screen));
}

BOOL SendMouseMove(HWND hwnd, POINT client) {
  if (!Reachable(hwnd)) return FALSE;
  SetCurrentMessagePos(MoveCursor(hwnd, client));
  SendMessage(hwnd, WM_MOUSEMOVE, 0, Pack(client));
  return TRUE;
}

BOOL SendClick(HWND hwnd, POINT client, WPARAM keys) {
  if (InVScrollBar(hwnd, client)) {
    // A press on the window's own scroll bar is non-client input: the bar handles it on the press.
    if (!Reachable(hwnd)) return FALSE;
    POINT screen = MoveCursor(hwnd, client);
    SetCurrentMessagePos(screen);
    SendMessage(hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTVSCROLL), Pack(screen));
    return TRUE;
  }
  if (!SendMouseMove(hwnd, client)) return FALSE;
  SendMessage(hwnd, WM_LBUTTONDOWN, keys | MK_LBUTTON, Pack(client));
  if (IsWindow(hwnd)) SendMessage(hwnd, WM_LBUTTONUP, keys, Pack(client));
  return TRUE;
}

BOOL PostClick(HWND hwnd, POINT client, WPARAM keys) {
  if (!Reachable(hwnd)) return FALSE;
  POINT screen = MoveCursor(hwnd, client);
  if (InVScrollBar(hwnd, client)) return PostMessage(hwnd, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTVSCROLL), Pack(screen));
  PostMessage(hwnd, WM_MOUSEMOVE, 0, Pack(client));
  PostMessage(hwnd, WM_LBUTTONDOWN, keys | MK_LBUTTON, Pack(client));
  PostMessage(hwnd, WM_LBUTTONUP, keys, Pack(client));
  return TRUE;
}

BOOL PostKey(HWND hwnd, UINT virtualKey) {
  if (!Reachable(hwnd)) return FALSE;
  PostMessage(hwnd, WM_KEYDOWN, virtualKey, 1);
  PostMessage(hwnd, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
  return TRUE;
}

}  // namespace plat::win
