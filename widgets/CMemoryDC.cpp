// CMemoryDC: off-screen drawing over a target's clip box, copied back in one block.
#include "widgets/CMemoryDC.h"

namespace drev {

using plat::gdi::CDC;

CMemoryDC::CMemoryDC(CDC* pDC) : m_pDC(pDC) {
  CreateCompatibleDC(pDC);
  if (m_pDC == nullptr) return;
  m_pDC->GetClipBox(&m_rect);
  m_bitmap.CreateCompatibleBitmap(pDC, m_rect.Width(), m_rect.Height());
  m_pOldBitmap = SelectObject(&m_bitmap);
  SetWindowOrg(m_rect.left, m_rect.top);
}

CMemoryDC::~CMemoryDC() {
  if (m_pDC == nullptr) return;
  m_pDC->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), this, m_rect.left, m_rect.top,
                plat::gdi::SRCCOPY);
  if (m_pOldBitmap != nullptr) SelectObject(m_pOldBitmap);
}

}  // namespace drev
