// Pointer position and injected mouse and key input.
#include "platform/win/input.h"

#include <algorithm>
#include <vector>

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

namespace {

// The window that took a button press from the screen, which gets the pointer until the last
// button is let go (the platform's implicit capture).
struct PointerGrab {
  HWND window = nullptr;
  int buttons = 0;
};
PointerGrab& Grab() {
  static PointerGrab* grab = new PointerGrab;  // guarded by the registry lock
  return *grab;
}

bool IsPress(UINT m) { return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN; }
bool IsRelease(UINT m) { return m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP; }

}  // namespace

BOOL PostPointerInput(HWND top, UINT message, POINT client, WPARAM keys, int wheelDelta) {
  POINT screen = client;
  if (!ClientToScreen(top, &screen)) return FALSE;
  HWND target = nullptr;
  {
    auto lock = Lock();
    PointerGrab& grab = Grab();
    if (grab.buttons > 0 && Find(grab.window)) target = grab.window;
    else grab = PointerGrab{};
  }
  if (!target) target = ChildWindowFromPointDeep(top, client);
  if (!target) return FALSE;
  POINT local = screen;
  ScreenToClient(target, &local);
  SetCursorPos(screen.x, screen.y);
  if (IsRelease(message)) {
    auto lock = Lock();
    PointerGrab& grab = Grab();
    if (grab.buttons > 0 && --grab.buttons == 0) grab.window = nullptr;
  }
  if (!Reachable(target)) return FALSE;
  if (IsPress(message)) {
    if (message == WM_LBUTTONDOWN && InVScrollBar(target, local))
      return PostMessage(target, WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTVSCROLL), Pack(screen));
    auto lock = Lock();
    PointerGrab& grab = Grab();
    grab.window = target;
    ++grab.buttons;
  }
  if (message == WM_MOUSEWHEEL)
    return PostMessage(target, WM_MOUSEWHEEL, MAKEWPARAM(static_cast<WORD>(keys), static_cast<WORD>(wheelDelta)),
                       Pack(screen));
  return PostMessage(target, message, keys, Pack(local));
}

BOOL PostKeyInput(HWND top, UINT message, WPARAM value) {
  HWND target = top;
  {
    auto lock = Lock();
    Wnd* t = Find(top);
    if (!t) return FALSE;
    HWND focus = t->queue->focus;
    for (Wnd* f = Find(focus); f; f = (f->style & WS_CHILD) ? Find(f->parent) : nullptr)
      if (f->handle == top) {
        target = focus;
        break;
      }
  }
  if (!Reachable(target)) return FALSE;
  LPARAM flags = message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001u) : 1;
  return PostMessage(target, message, value, flags);
}

namespace {

// With the lock held: w's descendants that take Tab, depth first in creation order.
void CollectTabStops(const Wnd& w, std::vector<HWND>& out) {
  for (HWND h : w.children) {
    Wnd* c = Find(h);
    if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_DISABLED)) continue;
    if (c->style & WS_TABSTOP) out.push_back(h);
    CollectTabStops(*c, out);
  }
}

}  // namespace

HWND GetNextTabStop(HWND top, HWND from, bool previous) {
  std::vector<HWND> stops;
  {
    auto lock = Lock();
    Wnd* t = Find(top);
    if (!t) return nullptr;
    CollectTabStops(*t, stops);
  }
  if (stops.empty()) return nullptr;
  // From inside a tab stop (a child of the focused control), count from that control.
  auto at = stops.end();
  for (HWND h = from; h && at == stops.end(); h = GetParent(h)) at = std::find(stops.begin(), stops.end(), h);
  if (at == stops.end()) return previous ? stops.back() : stops.front();
  std::size_t i = static_cast<std::size_t>(at - stops.begin());
  std::size_t n = stops.size();
  return stops[previous ? (i + n - 1) % n : (i + 1) % n];
}

BOOL PostKey(HWND hwnd, UINT virtualKey) {
  if (!Reachable(hwnd)) return FALSE;
  PostMessage(hwnd, WM_KEYDOWN, virtualKey, 1);
  PostMessage(hwnd, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
  return TRUE;
}

}  // namespace plat::win
