// Device contexts: exact fills, lines, frames, edges, pixels and block copies.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/dc_impl.h"
#include "platform/gdi/syscolor.h"

namespace plat::gdi {

void CDC::Impl::Fill(RECT logical, COLORREF color) {
  Surface* target = Target();
  if (target == nullptr) return;
  RECT area = IntersectRects(ToSurface(Normalized(logical)), SurfaceClip());
  if (area.IsEmpty()) return;
  Surface::Impl& s = target->impl();
  std::uint32_t pixel = PixelOf(color);
  s.BeginDirect();
  s.FillPixels(area, pixel);
  s.EndDirect();
}

void CDC::FillSolidRect(const RECT& rect, COLORREF color) {
  impl_->state.bkColor = color & 0x00FFFFFF;
  impl_->Fill(rect, color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  FillSolidRect(RECT{x, y, x + cx, y + cy}, color);
}

int CDC::FillRect(const RECT& rect, CBrush* brush) {
  if (brush == nullptr || !brush->IsCreated()) return 0;
  if (!brush->IsHollow()) impl_->Fill(rect, brush->Color());
  return 1;
}

POINT CDC::MoveTo(int x, int y) {
  POINT old = impl_->state.position;
  impl_->state.position = POINT{x, y};
  return old;
}

POINT CDC::GetCurrentPosition() const { return impl_->state.position; }

namespace {

// The pen's footprint at one point of a line.
RECT PenSquare(int x, int y, int width) {
  int before = (width - 1) / 2;
  return RECT{x - before, y - before, x - before + width, y - before + width};
}

}  // namespace

BOOL CDC::LineTo(int x, int y) {
  DcState& s = impl_->state;
  POINT from = s.position;
  s.position = POINT{x, y};
  if (s.penStyle == PS_NULL) return TRUE;
  int width = s.penWidth;
  COLORREF color = s.penColor;
  if (from.y == y || from.x == x) {
    // Straight lines are one fill: from the start up to, not including, the end point.
    RECT first = PenSquare(from.x, from.y, width);
    RECT last = PenSquare(x, y, width);
    if (from.x == x && from.y == y) return TRUE;
    RECT span{std::min(first.left, last.left), std::min(first.top, last.top), std::max(first.right, last.right),
              std::max(first.bottom, last.bottom)};
    if (from.y == y) {
      if (x > from.x) span.right -= 1; else span.left += 1;
    } else {
      if (y > from.y) span.bottom -= 1; else span.top += 1;
    }
    impl_->Fill(span, color);
    return TRUE;
  }
  // Any other slope: Bresenham's walk, leaving out the end point.
  int dx = std::abs(x - from.x), dy = -std::abs(y - from.y);
  int sx = from.x < x ? 1 : -1, sy = from.y < y ? 1 : -1;
  int err = dx + dy;
  POINT p = from;
  while (!(p.x == x && p.y == y)) {
    impl_->Fill(PenSquare(p.x, p.y, width), color);
    int e2 = 2 * err;
    if (e2 >= dy) { err += dy; p.x += sx; }
    if (e2 <= dx) { err += dx; p.y += sy; }
  }
  return TRUE;
}

COLORREF CDC::SetPixel(int x, int y, COLORREF color) {
  POINT p = impl_->ToSurface(POINT{x, y});
  if (!impl_->SurfaceClip().Contains(p)) return CLR_INVALID;
  impl_->Fill(RECT{x, y, x + 1, y + 1}, color);
  return color & 0x00FFFFFF;
}

COLORREF CDC::GetPixel(int x, int y) const {
  POINT p = impl_->ToSurface(POINT{x, y});
  if (!impl_->SurfaceClip().Contains(p)) return CLR_INVALID;
  return impl_->Target()->GetPixel(p.x, p.y);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
  FillSolidRect(x, y, cx - 1, 1, topLeft);
  FillSolidRect(x, y, 1, cy - 1, topLeft);
  FillSolidRect(x + cx, y, -1, cy, bottomRight);
  FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

void CDC::Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
  Draw3dRect(rect.left, rect.top, rect.Width(), rect.Height(), topLeft, bottomRight);
}

namespace {

// One line of an edge on the chosen sides of r, the way Draw3dRect lays out its corners.
void EdgeLine(CDC::Impl& dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight, UINT flags) {
  if (flags & BF_TOP) dc.Fill(RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  if (flags & BF_LEFT) dc.Fill(RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  if (flags & BF_RIGHT) dc.Fill(RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  if (flags & BF_BOTTOM) dc.Fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

RECT Shrunk(RECT r, UINT flags) {
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_RIGHT) --r.right;
  if (flags & BF_BOTTOM) --r.bottom;
  return r;
}

}  // namespace

BOOL CDC::DrawEdge(RECT* rect, UINT edge, UINT flags) {
  if (rect == nullptr) return FALSE;
  RECT r = *rect;
  if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
    bool raised = (edge & BDR_RAISEDOUTER) != 0;
    EdgeLine(*impl_, r, GetSysColor(raised ? COLOR_3DLIGHT : COLOR_BTNSHADOW),
             GetSysColor(raised ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT), flags);
    r = Shrunk(r, flags);
  }
  if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
    bool raised = (edge & BDR_RAISEDINNER) != 0;
    EdgeLine(*impl_, r, GetSysColor(raised ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW),
             GetSysColor(raised ? COLOR_BTNSHADOW : COLOR_3DLIGHT), flags);
    r = Shrunk(r, flags);
  }
  if (flags & BF_MIDDLE) impl_->Fill(r, GetSysColor(COLOR_BTNFACE));
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

BOOL CDC::Rectangle(const RECT& rect) {
  RECT r = Normalized(rect);
  const DcState& s = impl_->state;
  bool outline = s.penStyle != PS_NULL;
  // The inside: within the outline, or (with no outline) one pixel short on the right and bottom.
  RECT inside = outline ? RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}
                        : RECT{r.left, r.top, r.right - 1, r.bottom - 1};
  if (!s.brushHollow && !inside.IsEmpty()) impl_->Fill(inside, s.brushColor);
  if (outline && !r.IsEmpty()) {
    POINT keep = s.position;
    MoveTo(r.left, r.top);
    LineTo(r.right - 1, r.top);
    LineTo(r.right - 1, r.bottom - 1);
    LineTo(r.left, r.bottom - 1);
    LineTo(r.left, r.top);
    impl_->state.position = keep;
  }
  return TRUE;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
  if (source == nullptr || rop != SRCCOPY) return FALSE;
  Surface* dst = impl_->Target();
  Surface* src = source->impl_->Target();
  if (dst == nullptr || src == nullptr) return FALSE;
  if (width <= 0 || height <= 0) return TRUE;
  POINT d0 = impl_->ToSurface(POINT{x, y});
  POINT s0 = source->impl_->ToSurface(POINT{xSrc, ySrc});
  // Destination area: clipped here, and cut to where the source has pixels.
  RECT area = IntersectRects(RECT{d0.x, d0.y, d0.x + width, d0.y + height}, impl_->SurfaceClip());
  RECT srcBounds = src->impl().Bounds();
  srcBounds.Offset(d0.x - s0.x, d0.y - s0.y);
  area = IntersectRects(area, srcBounds);
  if (area.IsEmpty()) return TRUE;
  int dx = s0.x - d0.x, dy = s0.y - d0.y;
  Surface::Impl& d = dst->impl();
  Surface::Impl& s = src->impl();
  std::size_t rowBytes = static_cast<std::size_t>(area.Width()) * sizeof(std::uint32_t);
  s.BeginDirect();
  d.BeginDirect();
  if (&d == &s) {
    // Overlapping copy within one surface: go through a buffer.
    std::vector<std::uint32_t> buffer(static_cast<std::size_t>(area.Width()) * area.Height());
    for (int yy = area.top; yy < area.bottom; ++yy)
      std::memcpy(&buffer[static_cast<std::size_t>(yy - area.top) * area.Width()], s.Row(yy + dy) + area.left + dx,
                  rowBytes);
    for (int yy = area.top; yy < area.bottom; ++yy)
      std::memcpy(d.Row(yy) + area.left, &buffer[static_cast<std::size_t>(yy - area.top) * area.Width()], rowBytes);
  } else {
    for (int yy = area.top; yy < area.bottom; ++yy)
      std::memcpy(d.Row(yy) + area.left, s.Row(yy + dy) + area.left + dx, rowBytes);
  }
  d.EndDirect();
  return TRUE;
}

}  // namespace plat::gdi
