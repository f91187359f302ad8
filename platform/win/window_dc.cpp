// CPaintDC and CClientDC.
#include "platform/win/window_dc.h"

#include "platform/win/paint.h"

namespace plat::win {

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_pDC(BeginPaint(m_hWnd, &m_ps)) {}
CPaintDC::~CPaintDC() {
  if (m_pDC) EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr), m_pDC(::plat::win::GetDC(m_hWnd)) {}
CClientDC::~CClientDC() {
  if (m_pDC) ReleaseDC(m_hWnd, m_pDC);
}

}  // namespace plat::win
