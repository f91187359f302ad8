// Device contexts: construction, selected objects, colours and modes, origin, clip, saved states.
#include "platform/gdi/dc.h"

#include "platform/gdi/dc_impl.h"

namespace plat::gdi {

RECT Normalized(const RECT& r) {
  return RECT{r.left < r.right ? r.left : r.right, r.top < r.bottom ? r.top : r.bottom,
              r.left < r.right ? r.right : r.left, r.top < r.bottom ? r.bottom : r.top};
}

CDC::Impl::Impl() {
  stockBitmap.LoadFromSurface(std::make_unique<Surface>(1, 1));
  ResetState();
}

void CDC::Impl::ResetState() {
  state = DcState{};
  state.pen = &stockPen;
  state.brush = &stockBrush;
  state.font = GetStockGuiFont();
  state.logFont = DefaultGuiLogFont();
  state.palette = &stockPalette;
  if (memory) {
    state.bitmap = &stockBitmap;
    state.bitmapPixels = stockBitmap.SharedSurface();
  }
  saved.clear();
}

RECT CDC::Impl::SurfaceClip() const {
  Surface* target = Target();
  if (target == nullptr) return RECT{};
  RECT clip = target->impl().Bounds();
  if (!memory) clip = IntersectRects(clip, windowClip);
  if (state.clipRegion) {
    RECT region = *state.clipRegion;
    region.Offset(offset.x, offset.y);
    clip = IntersectRects(clip, region);
  }
  return clip;
}

CDC::CDC(Surface& surface, POINT offset, RECT clip) : impl_(std::make_unique<Impl>()) {
  impl_->memory = false;
  impl_->windowSurface = &surface;
  impl_->offset = offset;
  impl_->windowClip = Normalized(clip);
  impl_->ResetState();
}

CDC::CDC() : impl_(std::make_unique<Impl>()) {}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC*) {
  impl_->memory = true;
  impl_->windowSurface = nullptr;
  impl_->offset = POINT{};
  impl_->ResetState();
  return TRUE;
}

CPen* CDC::SelectObject(CPen* pen) {
  if (pen == nullptr || !pen->IsCreated()) return nullptr;
  DcState& s = impl_->state;
  CPen* old = s.pen;
  s.pen = pen;
  s.penStyle = pen->Style();
  s.penWidth = pen->Width();
  s.penColor = pen->Color();
  return old;
}

CBrush* CDC::SelectObject(CBrush* brush) {
  if (brush == nullptr || !brush->IsCreated()) return nullptr;
  DcState& s = impl_->state;
  CBrush* old = s.brush;
  s.brush = brush;
  s.brushColor = brush->Color();
  s.brushHollow = brush->IsHollow();
  return old;
}

CFont* CDC::SelectObject(CFont* font) {
  if (font == nullptr || !font->IsCreated()) return nullptr;
  DcState& s = impl_->state;
  CFont* old = s.font;
  s.font = font;
  s.logFont = font->Log();
  return old;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  if (bitmap == nullptr || !impl_->memory || bitmap->GetSurface() == nullptr) return nullptr;
  DcState& s = impl_->state;
  CBitmap* old = s.bitmap;
  s.bitmap = bitmap;
  s.bitmapPixels = bitmap->SharedSurface();
  return old;
}

CFont* CDC::GetCurrentFont() const { return impl_->state.font; }
CPen* CDC::GetCurrentPen() const { return impl_->state.pen; }
CBrush* CDC::GetCurrentBrush() const { return impl_->state.brush; }
CBitmap* CDC::GetCurrentBitmap() const { return impl_->memory ? impl_->state.bitmap : nullptr; }

CPalette* CDC::SelectPalette(CPalette* palette, BOOL) {
  if (palette == nullptr) return nullptr;
  CPalette* old = impl_->state.palette;
  impl_->state.palette = palette;
  return old;
}

UINT CDC::RealizePalette() { return 0; }

COLORREF CDC::SetTextColor(COLORREF c) {
  COLORREF old = impl_->state.textColor;
  impl_->state.textColor = c & 0x00FFFFFF;
  return old;
}
COLORREF CDC::GetTextColor() const { return impl_->state.textColor; }

COLORREF CDC::SetBkColor(COLORREF c) {
  COLORREF old = impl_->state.bkColor;
  impl_->state.bkColor = c & 0x00FFFFFF;
  return old;
}
COLORREF CDC::GetBkColor() const { return impl_->state.bkColor; }

int CDC::SetBkMode(int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int old = impl_->state.bkMode;
  impl_->state.bkMode = mode;
  return old;
}
int CDC::GetBkMode() const { return impl_->state.bkMode; }

POINT CDC::SetWindowOrg(int x, int y) {
  POINT old = impl_->state.windowOrg;
  impl_->state.windowOrg = POINT{x, y};
  return old;
}
POINT CDC::GetWindowOrg() const { return impl_->state.windowOrg; }

int CDC::GetClipBox(RECT* rect) const {
  RECT clip = impl_->SurfaceClip();
  RECT logical = clip.IsEmpty() ? RECT{} : impl_->SurfaceToLogical(clip);
  if (rect != nullptr) *rect = logical;
  return clip.IsEmpty() ? NULLREGION : SIMPLEREGION;
}

int CDC::SelectClipRgn(CRgn* region) {
  if (region == nullptr)
    impl_->state.clipRegion.reset();
  else
    impl_->state.clipRegion = region->Rect();
  return GetClipBox(nullptr);
}

int CDC::IntersectClipRect(const RECT& rect) {
  DcState& s = impl_->state;
  RECT device = Normalized(rect);
  device.Offset(-s.windowOrg.x, -s.windowOrg.y);
  if (s.clipRegion) {
    s.clipRegion = IntersectRects(*s.clipRegion, device);
  } else {
    // Without a region the clip so far is the whole visible area.
    RECT visible = impl_->SurfaceClip();
    visible.Offset(-impl_->offset.x, -impl_->offset.y);
    s.clipRegion = IntersectRects(visible, device);
  }
  return GetClipBox(nullptr);
}

int CDC::GetDeviceCaps(int index) const {
  Surface* target = impl_->Target();
  switch (index) {
    case HORZRES: return target ? target->Width() : 0;
    case VERTRES: return target ? target->Height() : 0;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case SIZEPALETTE: return 0;
    default: return 0;
  }
}

int CDC::SaveDC() {
  impl_->saved.push_back(impl_->state);
  return static_cast<int>(impl_->saved.size());
}

BOOL CDC::RestoreDC(int saved) {
  auto& stack = impl_->saved;
  int depth = static_cast<int>(stack.size());
  int target = saved < 0 ? depth + saved + 1 : saved;
  if (target < 1 || target > depth) return FALSE;
  impl_->state = stack[target - 1];
  stack.resize(target - 1);
  return TRUE;
}

}  // namespace plat::gdi
