// Test helpers: counting pixels of a surface in a rectangle.
#pragma once

#include "platform/gdi/surface.h"

namespace plat::gdi::testing_pixels {

// Number of pixels in r (clipped to the surface) whose colour is `color` (or, with `match` false,
// is not `color`).
inline int Count(const Surface& s, RECT r, COLORREF color, bool match = true) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) {
      COLORREF c = s.GetPixel(x, y);
      if (c == CLR_INVALID) continue;
      if ((c == color) == match) ++n;
    }
  return n;
}

// True when every pixel of r is `color`.
inline bool All(const Surface& s, RECT r, COLORREF color) { return Count(s, r, color, false) == 0; }

}  // namespace plat::gdi::testing_pixels
