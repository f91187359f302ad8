// The classic vertical scroll bar: where its arrow buttons, track and thumb lie, and how they look.
#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/scrollbar_internal.h"

namespace plat::win::detail {

namespace {

constexpr int kMinThumb = 8;

// The track: the scroll bar colour, unless the scheme leaves it equal to the button face (as the
// classic one does), where the thumb would vanish into it; then half button face, half highlight,
// the light grey the classic track shows.
COLORREF TrackColour() {
  const COLORREF bar = gdi::GetSysColor(gdi::COLOR_SCROLLBAR);
  const COLORREF face = gdi::GetSysColor(gdi::COLOR_BTNFACE);
  if (bar != face) return bar;
  const COLORREF light = gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT);
  auto half = [](BYTE a, BYTE b) { return static_cast<BYTE>((a + b) / 2); };
  return RGB(half(GetRValue(face), GetRValue(light)), half(GetGValue(face), GetGValue(light)),
             half(GetBValue(face), GetBValue(light)));
}

// A filled triangle pointing up or down, centred in `button`: 4 rows (1, 3, 5, 7 pixels) in a
// 16-pixel button, fewer in a smaller one.
void DrawArrow(HDC dc, const RECT& button, bool up, COLORREF colour, int shift) {
  const int size = std::min(button.Width(), button.Height());
  const int rows = std::max(1, (size - 4) / 3);
  const int centre = button.left + (button.Width() - 1) / 2 + shift;
  const int top = button.top + (button.Height() - rows) / 2 + shift;
  for (int k = 0; k < rows; ++k) {
    const int half = up ? k : rows - 1 - k;
    dc->FillSolidRect(RECT{centre - half, top + k, centre + half + 1, top + k + 1}, colour);
  }
}

// A raised button-face button with its arrow: black when the bar works, etched grey when not.
void PaintArrowButton(HDC dc, RECT button, bool up, bool enabled) {
  if (button.IsEmpty()) return;
  RECT face = button;
  dc->DrawEdge(&face, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
  if (enabled) {
    DrawArrow(dc, button, up, gdi::GetSysColor(gdi::COLOR_BTNTEXT), 0);
  } else {
    DrawArrow(dc, button, up, gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT), 1);
    DrawArrow(dc, button, up, gdi::GetSysColor(gdi::COLOR_BTNSHADOW), 0);
  }
}

}  // namespace

VScrollLayout LayoutVScroll(const Wnd& w) {
  VScrollLayout l;
  const RECT strip = VScrollStrip(w);
  if (strip.IsEmpty()) return l;
  const int button = std::min(kVScrollWidth, static_cast<int>(strip.Height()) / 2);
  l.up = RECT{strip.left, strip.top, strip.right, strip.top + button};
  l.down = RECT{strip.left, strip.bottom - button, strip.right, strip.bottom};
  l.track = RECT{strip.left, l.up.bottom, strip.right, l.down.top};
  const ScrollBarState& bar = w.vscroll;
  l.enabled = CanScroll(bar) && !(w.style & WS_DISABLED);
  if (!l.enabled) return l;
  const int trackLength = l.track.Height();
  const long long range = static_cast<long long>(bar.max) - bar.min + 1;
  int thumb = bar.page > 0 ? static_cast<int>(trackLength * static_cast<long long>(bar.page) / range) : kVScrollWidth;
  thumb = std::max(thumb, kMinThumb);
  if (thumb > trackLength) return l;
  const long long span = static_cast<long long>(MaxScrollPos(bar)) - bar.min;
  const int offset = span > 0 ? static_cast<int>((trackLength - thumb) * (static_cast<long long>(bar.pos) - bar.min) / span) : 0;
  l.thumb = RECT{strip.left, l.track.top + offset, strip.right, l.track.top + offset + thumb};
  return l;
}

ScrollPart VScrollPartAt(const VScrollLayout& layout, POINT p) {
  if (layout.up.Contains(p)) return ScrollPart::kLineUp;
  if (layout.down.Contains(p)) return ScrollPart::kLineDown;
  if (!layout.track.Contains(p) || layout.thumb.IsEmpty()) return ScrollPart::kNone;
  if (p.y < layout.thumb.top) return ScrollPart::kPageUp;
  if (p.y >= layout.thumb.bottom) return ScrollPart::kPageDown;
  return ScrollPart::kThumb;
}

void PaintVScrollBar(HWND hwnd, HDC dc) {
  VScrollLayout l;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return;
    l = LayoutVScroll(*w);
  }
  PaintArrowButton(dc, l.up, true, l.enabled);
  PaintArrowButton(dc, l.down, false, l.enabled);
  if (!l.track.IsEmpty()) dc->FillSolidRect(l.track, TrackColour());
  if (!l.thumb.IsEmpty()) {
    RECT thumb = l.thumb;
    dc->DrawEdge(&thumb, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_MIDDLE);
  }
}

}  // namespace plat::win::detail
