// Window geometry: moving and sizing, window and client rectangles, coordinate mapping.
#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  RECT oldRect{}, newRect{};
  HWND parent = nullptr;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    oldRect = w->rect;
    newRect = oldRect;
    if (!(flags & SWP_NOMOVE)) {
      newRect.Offset(x - oldRect.left, y - oldRect.top);
    }
    if (!(flags & SWP_NOSIZE)) {
      newRect.right = newRect.left + (cx < 0 ? 0 : cx);
      newRect.bottom = newRect.top + (cy < 0 ? 0 : cy);
    }
    w->rect = newRect;
    if (newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height()) w->frameDirty = true;
    parent = (w->style & WS_CHILD) ? w->parent : nullptr;
  }
  bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
  bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if ((moved || sized) && !(flags & SWP_NOREDRAW)) {
    if (parent) InvalidateRect(parent, &oldRect, TRUE);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  if (moved) {
    POINT origin{0, 0};
    MapWindowPoints(hwnd, parent, &origin, 1);
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
  }
  if (sized) {
    RECT client{};
    GetClientRect(hwnd, &client);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
                MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  }
  if ((moved || sized) && !parent) NoteTopLevel(hwnd, TopLevelChange::Geometry);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  if (!rect) return FALSE;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  RECT r = w->rect;
  if ((w->style & WS_CHILD) && w->parent) {
    if (Wnd* parent = Find(w->parent)) {
      POINT origin = ClientOriginOnScreen(*parent);
      r.Offset(origin.x, origin.y);
    }
  }
  *rect = r;
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  if (!rect) return FALSE;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  RECT client = ClientArea(*w);
  *rect = RECT{0, 0, client.Width(), client.Height()};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  if (!point) return FALSE;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  POINT origin = ClientOriginOnScreen(*w);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  if (!point) return FALSE;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  POINT origin = ClientOriginOnScreen(*w);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  auto lock = Lock();
  POINT fromOrigin{0, 0}, toOrigin{0, 0};
  if (from) {
    Wnd* w = Find(from);
    if (!w) return 0;
    fromOrigin = ClientOriginOnScreen(*w);
  }
  if (to) {
    Wnd* w = Find(to);
    if (!w) return 0;
    toOrigin = ClientOriginOnScreen(*w);
  }
  int dx = fromOrigin.x - toOrigin.x;
  int dy = fromOrigin.y - toOrigin.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return static_cast<int>(MAKELPARAM(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle) {
  if (!rect) return FALSE;
  int inset = FrameInset(style, exStyle);
  rect->Inflate(inset, inset);
  rect->top -= CaptionHeight(style);
  return TRUE;
}

}  // namespace plat::win
