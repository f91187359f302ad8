// The state behind a CDC and the coordinate and clip arithmetic its drawing shares; private to plat::gdi.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/surface_impl.h"

namespace plat::gdi {

// Everything SaveDC keeps. Selected objects are remembered by pointer (what SelectObject hands back)
// and by value (what drawing uses), so a drawing object that goes away while selected leaves no
// dangling read behind.
struct DcState {
  CPen* pen = nullptr;
  int penStyle = PS_SOLID;
  int penWidth = 1;
  COLORREF penColor = 0;
  CBrush* brush = nullptr;
  COLORREF brushColor = 0xFFFFFF;
  bool brushHollow = false;
  CFont* font = nullptr;
  LOGFONT logFont;
  CBitmap* bitmap = nullptr;               // memory contexts: the selected bitmap
  std::shared_ptr<Surface> bitmapPixels;   // ... and its pixels, shared with it
  CPalette* palette = nullptr;
  COLORREF textColor = 0x000000;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  POINT windowOrg{};
  POINT position{};
  std::optional<RECT> clipRegion;          // device coordinates; none = no extra clip
};

struct CDC::Impl {
  bool memory = true;
  Surface* windowSurface = nullptr;  // contexts over a window's surface (not owned)
  POINT offset{};                    // surface position of device (0,0)
  RECT windowClip{};                 // surface area a window context may touch
  DcState state;
  std::vector<DcState> saved;
  CPen stockPen{PS_SOLID, 1, 0x000000};
  CBrush stockBrush{0xFFFFFF};
  CBitmap stockBitmap;  // the 1 x 1 bitmap every memory context starts with
  CPalette stockPalette;

  Impl();
  void ResetState();

  Surface* Target() const { return memory ? state.bitmapPixels.get() : windowSurface; }
  // The surface area drawing may touch: the surface (window clip) cut by the clip region.
  RECT SurfaceClip() const;
  // Logical to surface coordinates and back.
  POINT ToSurface(POINT logical) const {
    return {logical.x - state.windowOrg.x + offset.x, logical.y - state.windowOrg.y + offset.y};
  }
  RECT ToSurface(const RECT& r) const {
    POINT a = ToSurface(POINT{r.left, r.top});
    return {a.x, a.y, a.x + r.Width(), a.y + r.Height()};
  }
  RECT SurfaceToLogical(const RECT& r) const {
    return {r.left + state.windowOrg.x - offset.x, r.top + state.windowOrg.y - offset.y,
            r.right + state.windowOrg.x - offset.x, r.bottom + state.windowOrg.y - offset.y};
  }
  // Fills a logical rectangle (normalised) with an opaque colour, within the clip.
  void Fill(RECT logical, COLORREF color);
};

// Normalised copy of a rectangle: left <= right, top <= bottom.
RECT Normalized(const RECT& r);

}  // namespace plat::gdi
