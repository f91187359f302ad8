// A window's vertical scroll bar: its values, showing and hiding it, and the default handling of a
// press on it.
#include "platform/win/scrollbar.h"

#include <algorithm>

#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar_internal.h"
#include "platform/win/window.h"

namespace plat::win {

using namespace detail;

namespace {

bool SameValues(const ScrollBarState& a, const ScrollBarState& b) {
  return a.min == b.min && a.max == b.max && a.page == b.page && a.pos == b.pos;
}

// Draws the bar again now, unless the window cannot show it (hidden, going, redraw locked).
void RedrawBar(HWND hwnd) {
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w || w->destroying || !w->redraw || !(w->style & WS_VSCROLL) || !VisibleChain(*w)) return;
    if (PaintsWaitForReader()) return;  // a reader of the pixels repaints the frames afresh
  }
  SendMessage(hwnd, WM_NCPAINT, 1, 0);
}

// With the lock held: a screen point in w's window coordinates.
POINT ScreenToWindow(const Wnd& w, POINT screen) {
  POINT origin = ClientOriginOnScreen(w);
  RECT client = ClientArea(w);
  return POINT{screen.x - origin.x + client.left, screen.y - origin.y + client.top};
}

WORD RequestFor(ScrollPart part) {
  switch (part) {
    case ScrollPart::kLineUp: return SB_LINEUP;
    case ScrollPart::kLineDown: return SB_LINEDOWN;
    case ScrollPart::kPageUp: return SB_PAGEUP;
    case ScrollPart::kPageDown: return SB_PAGEDOWN;
    default: return SB_ENDSCROLL;
  }
}

}  // namespace

namespace detail {

bool CanScroll(const ScrollBarState& bar) {
  return bar.max > bar.min && static_cast<long long>(bar.page) <= static_cast<long long>(bar.max) - bar.min;
}

int MaxScrollPos(const ScrollBarState& bar) {
  long long top = static_cast<long long>(bar.max) - (bar.page > 0 ? static_cast<long long>(bar.page) - 1 : 0);
  return static_cast<int>(std::max<long long>(top, bar.min));
}

RECT VScrollStrip(const Wnd& w) {
  if (!(w.style & WS_VSCROLL)) return RECT{};
  RECT client = ClientArea(w);
  int right = w.rect.Width() - FrameInset(w.style, w.exStyle);
  return RECT{client.right, client.top, std::max(static_cast<int>(client.right), right), client.bottom};
}

bool InVScrollBar(HWND hwnd, POINT client) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return false;
  RECT area = ClientArea(*w);
  return VScrollStrip(*w).Contains(POINT{client.x + area.left, client.y + area.top});
}

LRESULT DefScrollMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  bool onBar = false;
  ScrollPart part = ScrollPart::kNone;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return msg == WM_NCHITTEST ? HTNOWHERE : 0;
    POINT p = ScreenToWindow(*w, screen);
    onBar = VScrollStrip(*w).Contains(p);
    if (msg == WM_NCLBUTTONDOWN && wParam == static_cast<WPARAM>(HTVSCROLL) && onBar) {
      VScrollLayout layout = LayoutVScroll(*w);
      if (layout.enabled) part = VScrollPartAt(layout, p);
    }
  }
  if (msg == WM_NCHITTEST) return onBar ? HTVSCROLL : HTCLIENT;
  WORD request = RequestFor(part);
  if (request == SB_ENDSCROLL) return 0;  // the thumb is not dragged here; a disabled bar does nothing
  SendMessage(hwnd, WM_VSCROLL, MAKEWPARAM(request, 0), 0);
  if (IsWindow(hwnd)) SendMessage(hwnd, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  return 0;
}

}  // namespace detail

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  if (bar != SB_VERT || !info) return 0;
  bool changed = false, toggle = false, show = false;
  int pos = 0;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return 0;
    ScrollBarState& sb = w->vscroll;
    const ScrollBarState before = sb;
    if (info->fMask & SIF_RANGE) {
      sb.min = info->nMin;
      sb.max = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE) sb.page = info->nPage;
    long long range = static_cast<long long>(sb.max) - sb.min + 1;
    if (static_cast<long long>(sb.page) > range) sb.page = static_cast<UINT>(range);
    if (info->fMask & SIF_POS) sb.pos = info->nPos;
    sb.pos = std::clamp(sb.pos, sb.min, MaxScrollPos(sb));
    pos = sb.pos;
    changed = !SameValues(sb, before);
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
      show = CanScroll(sb) || (info->fMask & SIF_DISABLENOSCROLL);
      toggle = show != ((w->style & WS_VSCROLL) != 0);
    }
  }
  if (toggle) ShowScrollBar(hwnd, SB_VERT, show ? TRUE : FALSE);
  else if (changed && redraw) RedrawBar(hwnd);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  if (bar != SB_VERT || !info) return FALSE;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  const ScrollBarState& sb = w->vscroll;
  if (info->fMask & SIF_RANGE) {
    info->nMin = sb.min;
    info->nMax = sb.max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = sb.page;
  if (info->fMask & SIF_POS) info->nPos = sb.pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = sb.pos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  int previous = GetScrollPos(hwnd, bar);
  SCROLLINFO info;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(hwnd, bar, &info, redraw);
  return previous;
}

int GetScrollPos(HWND hwnd, int bar) {
  SCROLLINFO info;
  info.fMask = SIF_POS;
  return GetScrollInfo(hwnd, bar, &info) ? info.nPos : 0;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  if (bar != SB_VERT && bar != SB_BOTH) return FALSE;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    if (((w->style & WS_VSCROLL) != 0) == (show != FALSE)) return TRUE;
    w->style = show ? (w->style | WS_VSCROLL) : (w->style & ~WS_VSCROLL);
    w->frameDirty = true;
    if (w->destroying) return TRUE;
  }
  RECT client{};
  GetClientRect(hwnd, &client);
  SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

int GetSystemMetrics(int index) {
  return (index == SM_CXVSCROLL || index == SM_CYVSCROLL) ? kVScrollWidth : 0;
}

}  // namespace plat::win
