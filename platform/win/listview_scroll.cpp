// The list view's vertical scrolling: the top row, the scroll bar that follows it, and the requests
// that move it (scroll bar, wheel, LVM_ENSUREVISIBLE, LVM_SCROLL).
#include <algorithm>

#include "platform/win/listview_internal.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar.h"
#include "platform/win/window.h"

namespace plat::win::detail {

namespace {

constexpr int kRowsPerNotch = 3;

bool NoScroll(HWND hwnd) { return (GetWindowLongPtr(hwnd, GWL_STYLE) & LVS_NOSCROLL) != 0; }

// Room for rows below the header, in pixels.
int RowArea(HWND hwnd, const ListViewState& s) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return std::max(0, static_cast<int>(client.bottom) - HeaderHeight(hwnd, s));
}

// The highest top row: the last row at the bottom of a full page (or alone at the top of a list
// too short for one whole row).
int MaxTop(HWND hwnd, const ListViewState& s) {
  if (NoScroll(hwnd)) return 0;
  return std::max(0, s.Count() - std::max(CountPerPage(hwnd, s), 1));
}

}  // namespace

int CountPerPage(HWND hwnd, const ListViewState& s) { return RowArea(hwnd, s) / RowHeight(hwnd, s); }

void UpdateScrollBars(HWND hwnd, ListViewState& s) {
  int top = std::clamp(s.top, 0, MaxTop(hwnd, s));
  if (top != s.top) {
    s.top = top;
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  if (NoScroll(hwnd)) {
    ShowScrollBar(hwnd, SB_VERT, FALSE);
    return;
  }
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = std::max(s.Count() - 1, 0);
  info.nPage = static_cast<UINT>(CountPerPage(hwnd, s));
  info.nPos = s.top;
  SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

void ScrollToRow(HWND hwnd, ListViewState& s, int row) {
  int top = std::clamp(row, 0, MaxTop(hwnd, s));
  if (top == s.top) return;
  s.top = top;
  SetScrollPos(hwnd, SB_VERT, top, TRUE);
  InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT EnsureVisible(HWND hwnd, ListViewState& s, int index, bool partialOk) {
  if (!s.Valid(index)) return FALSE;
  const int perPage = CountPerPage(hwnd, s);
  if (index < s.top) {
    ScrollToRow(hwnd, s, index);
    return TRUE;
  }
  if (index < s.top + perPage) return TRUE;
  // The row right after the whole ones shows in part when some room is left below them.
  const bool partlyShown = index == s.top + perPage && RowArea(hwnd, s) > perPage * RowHeight(hwnd, s);
  if (partialOk && partlyShown) return TRUE;
  ScrollToRow(hwnd, s, index - std::max(perPage, 1) + 1);
  return TRUE;
}

LRESULT VScroll(HWND hwnd, ListViewState& s, WPARAM request) {
  const int page = std::max(CountPerPage(hwnd, s), 1);
  switch (LOWORD(request)) {
    case SB_LINEUP: ScrollToRow(hwnd, s, s.top - 1); break;
    case SB_LINEDOWN: ScrollToRow(hwnd, s, s.top + 1); break;
    case SB_PAGEUP: ScrollToRow(hwnd, s, s.top - page); break;
    case SB_PAGEDOWN: ScrollToRow(hwnd, s, s.top + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: ScrollToRow(hwnd, s, HIWORD(request)); break;
    case SB_TOP: ScrollToRow(hwnd, s, 0); break;
    case SB_BOTTOM: ScrollToRow(hwnd, s, MaxTop(hwnd, s)); break;
    default: break;
  }
  return 0;
}

LRESULT ScrollPixels(HWND hwnd, ListViewState& s, int dy) {
  ScrollToRow(hwnd, s, s.top + MulDiv(dy, 1, RowHeight(hwnd, s)));
  return TRUE;
}

LRESULT MouseWheel(HWND hwnd, ListViewState& s, WPARAM wParam) {
  const int turn = GET_WHEEL_DELTA_WPARAM(wParam);
  // A turn the other way starts afresh rather than paying off the rest of the last one.
  if ((turn > 0) != (s.wheelTurn > 0)) s.wheelTurn = 0;
  s.wheelTurn += turn;
  const int notches = s.wheelTurn / WHEEL_DELTA;
  s.wheelTurn -= notches * WHEEL_DELTA;
  if (notches != 0) ScrollToRow(hwnd, s, s.top - notches * kRowsPerNotch);
  return 0;
}

}  // namespace plat::win::detail
