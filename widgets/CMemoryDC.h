// CMemoryDC: an off-screen device context whose picture reaches its target in one copy when it ends.
#pragma once

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"

namespace drev {

// Made over a target device context for one paint: it covers the target's clip box with an
// off-screen bitmap and uses the target's own (logical) coordinates, so callers draw into it as they
// would into the target. When it ends, the clip box is copied to the target at the same place;
// the target itself is left to its owner. The off-screen pixels start undefined: callers paint every
// pixel of the clip box. A null target gives a context whose picture goes nowhere.
class CMemoryDC : public plat::gdi::CDC {
 public:
  explicit CMemoryDC(plat::gdi::CDC* pDC);
  ~CMemoryDC() override;
  CMemoryDC(const CMemoryDC&) = delete;
  CMemoryDC& operator=(const CMemoryDC&) = delete;

  // The area covered: the target's clip box, in the target's logical coordinates.
  const plat::RECT& GetRect() const { return m_rect; }

 private:
  plat::gdi::CDC* m_pDC;                       // the target, not owned
  plat::RECT m_rect{};                         // the target's clip box
  plat::gdi::CBitmap m_bitmap;                 // the off-screen picture
  plat::gdi::CBitmap* m_pOldBitmap = nullptr;  // the bitmap it displaced here
};

}  // namespace drev
