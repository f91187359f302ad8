// Image lists: pictures kept with their transparency, composited into device contexts.
#include "platform/gdi/image_list.h"

#include <algorithm>

#include "platform/gdi/dc_impl.h"
#include "platform/gdi/surface_impl.h"

namespace plat::gdi {
namespace {

// Source-over of a premultiplied pixel onto an opaque one.
std::uint32_t Over(std::uint32_t src, std::uint32_t dst) {
  std::uint32_t a = src >> 24;
  if (a == 255) return src;
  if (a == 0) return dst;
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    std::uint32_t v = s + (d * (255 - a) + 127) / 255;
    out |= std::min<std::uint32_t>(v, 255) << shift;
  }
  return out;
}

}  // namespace

CImageList::CImageList() = default;
CImageList::~CImageList() = default;

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int) {
  if (cx < 1 || cy < 1) return FALSE;
  created_ = true;
  cx_ = cx;
  cy_ = cy;
  flags_ = flags;
  bk_ = CLR_NONE;
  images_.clear();
  images_.reserve(static_cast<std::size_t>(std::max(initial, 0)));
  return TRUE;
}

BOOL CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
  CBitmap bitmap;
  if (!bitmap.LoadBitmap(bitmapId)) return FALSE;
  SIZE size = bitmap.GetSize();
  if (cx < 1 || size.cx < cx || size.cy < 1) return FALSE;
  UINT flags = ILC_COLOR32 | (mask == CLR_NONE ? 0 : ILC_MASK);
  if (!Create(cx, size.cy, flags, size.cx / cx, grow)) return FALSE;
  return Add(&bitmap, mask) >= 0 ? TRUE : FALSE;
}

BOOL CImageList::DeleteImageList() {
  if (!created_) return FALSE;
  created_ = false;
  images_.clear();
  return TRUE;
}

HIMAGELIST CImageList::GetSafeHandle() const { return created_ ? const_cast<CImageList*>(this) : nullptr; }

int CImageList::Add(CBitmap* bitmap, COLORREF mask) {
  if (!created_ || bitmap == nullptr || bitmap->GetSurface() == nullptr) return -1;
  Surface::Impl& s = bitmap->GetSurface()->impl();
  int count = s.width / cx_;
  if (count == 0) return -1;
  s.BeginDirect();
  if (mask == CLR_DEFAULT) mask = s.height > 0 ? ColorOf(s.Row(0)[0]) : CLR_NONE;
  bool masked = (flags_ & ILC_MASK) && mask != CLR_NONE;
  std::uint32_t maskPixel = PixelOf(mask);
  int first = static_cast<int>(images_.size());
  for (int i = 0; i < count; ++i) {
    std::vector<std::uint32_t> picture(static_cast<std::size_t>(cx_) * cy_, 0);  // rows below: clear
    for (int y = 0; y < std::min(cy_, s.height); ++y) {
      const std::uint32_t* row = s.Row(y) + i * cx_;
      for (int x = 0; x < cx_; ++x) {
        std::uint32_t p = row[x];
        picture[static_cast<std::size_t>(y) * cx_ + x] = (masked && p == maskPixel) ? 0 : p;
      }
    }
    images_.push_back(std::move(picture));
  }
  return first;
}

int CImageList::Add(const Surface& icon) {
  if (!created_ || icon.Width() < 1 || icon.Height() < 1) return -1;
  Surface::Impl& s = icon.impl();
  s.BeginDirect();
  std::vector<std::uint32_t> picture(static_cast<std::size_t>(cx_) * cy_);
  for (int y = 0; y < cy_; ++y)
    for (int x = 0; x < cx_; ++x)
      picture[static_cast<std::size_t>(y) * cx_ + x] = s.Row(y * s.height / cy_)[x * s.width / cx_];
  images_.push_back(std::move(picture));
  return static_cast<int>(images_.size()) - 1;
}

BOOL CImageList::Remove(int index) {
  if (!created_) return FALSE;
  if (index == -1) {
    images_.clear();
    return TRUE;
  }
  if (index < 0 || index >= GetImageCount()) return FALSE;
  images_.erase(images_.begin() + index);
  return TRUE;
}

int CImageList::GetImageCount() const { return created_ ? static_cast<int>(images_.size()) : 0; }

BOOL CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
  if (info == nullptr || index < 0 || index >= GetImageCount()) return FALSE;
  info->rcImage = RECT{index * cx_, 0, (index + 1) * cx_, cy_};
  return TRUE;
}

BOOL CImageList::GetIconSize(int* cx, int* cy) const {
  if (!created_ || cx == nullptr || cy == nullptr) return FALSE;
  *cx = cx_;
  *cy = cy_;
  return TRUE;
}

COLORREF CImageList::SetBkColor(COLORREF color) {
  COLORREF old = bk_;
  bk_ = color == CLR_NONE ? CLR_NONE : (color & 0x00FFFFFF);
  return old;
}

COLORREF CImageList::GetBkColor() const { return bk_; }

BOOL CImageList::Draw(CDC* dc, int index, POINT pt, UINT style) const {
  return DrawIndirect(dc, index, pt, SIZE{}, POINT{}, style, SRCCOPY, CLR_DEFAULT, CLR_DEFAULT);
}

BOOL CImageList::DrawEx(CDC* dc, int index, POINT pt, SIZE sz, COLORREF bk, COLORREF fg, UINT style) const {
  return DrawIndirect(dc, index, pt, sz, POINT{}, style, SRCCOPY, bk, fg);
}

BOOL CImageList::DrawIndirect(CDC* dc, int index, POINT pt, SIZE sz, POINT origin, UINT style, DWORD rop,
                              COLORREF bk, COLORREF) const {
  if (dc == nullptr || index < 0 || index >= GetImageCount() || rop != SRCCOPY) return FALSE;
  if (origin.x < 0 || origin.y < 0) return FALSE;
  int w = std::min(sz.cx > 0 ? sz.cx : cx_, cx_ - origin.x);
  int h = std::min(sz.cy > 0 ? sz.cy : cy_, cy_ - origin.y);
  if (w <= 0 || h <= 0) return TRUE;
  COLORREF under = bk == CLR_DEFAULT ? bk_ : bk;
  if (style & ILD_TRANSPARENT) under = CLR_NONE;

  CDC::Impl& d = dc->impl();
  Surface* target = d.Target();
  if (target == nullptr) return FALSE;
  POINT at = d.ToSurface(pt);
  RECT area = IntersectRects(RECT{at.x, at.y, at.x + w, at.y + h}, d.SurfaceClip());
  if (area.IsEmpty()) return TRUE;
  const std::vector<std::uint32_t>& picture = images_[index];
  Surface::Impl& s = target->impl();
  s.BeginDirect();
  for (int y = area.top; y < area.bottom; ++y) {
    std::uint32_t* row = s.Row(y);
    const std::uint32_t* src = &picture[static_cast<std::size_t>(y - at.y + origin.y) * cx_ + origin.x];
    for (int x = area.left; x < area.right; ++x) {
      std::uint32_t base = under == CLR_NONE ? row[x] : PixelOf(under);
      row[x] = Over(src[x - at.x], base);
    }
  }
  s.EndDirect();
  return TRUE;
}

}  // namespace plat::gdi
