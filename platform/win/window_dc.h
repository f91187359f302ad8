// CPaintDC and CClientDC: scoped device contexts of a window (BeginPaint/EndPaint, GetDC/ReleaseDC).
#pragma once

#include "platform/gdi/dc.h"
#include "platform/win/cwnd.h"

namespace plat::win {

// The paint context of one WM_PAINT: made by BeginPaint (which validates and erases), released by
// EndPaint when the object goes. Use it as a gdi::CDC* (dc->FillSolidRect(...), CMemoryDC mem(dc)).
class CPaintDC {
 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC();
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  gdi::CDC* operator->() const { return m_pDC; }
  operator gdi::CDC*() const { return m_pDC; }
  gdi::CDC* GetDC() const { return m_pDC; }

  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWnd;
  gdi::CDC* m_pDC;
};

// A context over the window's client area for drawing outside WM_PAINT.
class CClientDC {
 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC();
  CClientDC(const CClientDC&) = delete;
  CClientDC& operator=(const CClientDC&) = delete;

  gdi::CDC* operator->() const { return m_pDC; }
  operator gdi::CDC*() const { return m_pDC; }
  gdi::CDC* GetDC() const { return m_pDC; }

 private:
  HWND m_hWnd;
  gdi::CDC* m_pDC;
};

}  // namespace plat::win
