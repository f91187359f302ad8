// A window's own vertical scroll bar: its values, showing and hiding it, and the size it takes.
#pragma once

#include "platform/win/winuser.h"

namespace plat::win {

// What SetScrollInfo sets and GetScrollInfo answers; fMask (SIF_*) names the fields that count.
struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

// Only the vertical bar (SB_VERT) of a window is kept; calls for SB_HORZ or SB_CTL do nothing and
// answer 0 / FALSE. A window's bar starts with the range 0..100, page 0, position 0.
//
// Sets the fields fMask names. The page is cut to the range's size; the position is then held in
// [nMin, nMax - max(nPage - 1, 0)]. When the range or page is set, the bar shows itself when it can
// scroll (nMax > nMin and the page smaller than the range) and hides itself otherwise, or with
// SIF_DISABLENOSCROLL stays shown, disabled (ShowScrollBar's effects on the client area apply).
// With `redraw` a changed bar is drawn again at once. Answers the position now held; 0 for a dead
// window or another bar.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);
// Fills the fields fMask names (SIF_TRACKPOS gives the position: nothing drags the thumb here).
// FALSE for a dead window, another bar or a null record.
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
// Moves the thumb (held in range as SetScrollInfo does) and answers the previous position.
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
int GetScrollPos(HWND hwnd, int bar);
// Shows or hides the vertical bar (SB_VERT or SB_BOTH) by setting or clearing WS_VSCROLL. A change
// narrows or widens the client area by the bar's width: the window then gets WM_SIZE with its new
// client size and is invalidated with its frame. FALSE for a dead window or another bar.
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);

// System sizes: SM_CXVSCROLL (a vertical bar's width) and SM_CYVSCROLL (its arrow buttons' height),
// both 16; 0 for any other index.
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYVSCROLL = 20;
int GetSystemMetrics(int index);

}  // namespace plat::win
