// The vertical scroll bar's parts and where they lie, its painter and its default mouse handling.
// Private to plat::win.
#pragma once

#include "platform/win/window_internal.h"

namespace plat::win::detail {

// The bar's parts in window coordinates. `thumb` is empty when the bar cannot scroll or the thumb
// does not fit in the track.
struct VScrollLayout {
  RECT up{};
  RECT down{};
  RECT track{};
  RECT thumb{};
  bool enabled = false;  // the bar can scroll and the window takes input
};

enum class ScrollPart { kNone, kLineUp, kLineDown, kPageUp, kPageDown, kThumb };

// Whether the values leave something to scroll: a range larger than the page.
bool CanScroll(const ScrollBarState& bar);
// The highest position the values allow: max - (page - 1), never below min.
int MaxScrollPos(const ScrollBarState& bar);

// With the lock held: the strip the vertical bar takes (window coordinates); empty without WS_VSCROLL.
RECT VScrollStrip(const Wnd& w);
// With the lock held: the parts of w's vertical bar. Arrow buttons are 16 pixels high (halved when
// the strip is shorter than both); the thumb's length is the track's times page / range, at least
// 8 pixels (16 with no page), placed by the position.
VScrollLayout LayoutVScroll(const Wnd& w);
ScrollPart VScrollPartAt(const VScrollLayout& layout, POINT windowPoint);

// Draws the vertical bar of `hwnd` into `dc`, a context over the whole window.
void PaintVScrollBar(HWND hwnd, HDC dc);

// Whether a client point of `hwnd` lies on its vertical bar (outside the client area).
bool InVScrollBar(HWND hwnd, POINT client);

// The default handling of WM_NCHITTEST (HTVSCROLL on the bar) and of WM_NCLBUTTONDOWN on the bar
// (the part under the point becomes WM_VSCROLL, then SB_ENDSCROLL).
LRESULT DefScrollMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace plat::win::detail
