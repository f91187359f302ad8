// CWnd's thin wrappers over the window, paint, timer and focus functions.
#include "platform/win/backend.h"
#include "platform/win/cwnd.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win {

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return ::plat::win::SendMessage(m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return m_hWnd ? ::plat::win::PostMessage(m_hWnd, msg, wParam, lParam) : FALSE;
}

void CWnd::SendMessageToDescendants(UINT msg, WPARAM wParam, LPARAM lParam, BOOL deep) const {
  for (HWND child = GetWindow(m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ::plat::win::SendMessage(child, msg, wParam, lParam);
    if (deep) CWnd::FromHandle(child)->SendMessageToDescendants(msg, wParam, lParam, deep);
  }
}

CWnd* CWnd::GetParent() const { return FromHandle(::plat::win::GetParent(m_hWnd)); }
CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::plat::win::GetDlgItem(m_hWnd, id)); }
int CWnd::GetDlgCtrlID() const { return ::plat::win::GetDlgCtrlID(m_hWnd); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongPtr(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(GetWindowLongPtr(m_hWnd, GWL_EXSTYLE)); }

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  DWORD style = GetStyle();
  DWORD next = (style & ~remove) | add;
  if (next == style) return FALSE;
  SetWindowLongPtr(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(next));
  if (flags) ::plat::win::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
  return TRUE;
}

BOOL CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL repaint) {
  return ::plat::win::MoveWindow(m_hWnd, x, y, cx, cy, repaint);
}
BOOL CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
  return MoveWindow(rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  return ::plat::win::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}
BOOL CWnd::ShowWindow(int cmd) { return ::plat::win::ShowWindow(m_hWnd, cmd); }
BOOL CWnd::IsWindowVisible() const { return ::plat::win::IsWindowVisible(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::plat::win::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::plat::win::IsWindowEnabled(m_hWnd); }
void CWnd::GetClientRect(RECT* rect) const { ::plat::win::GetClientRect(m_hWnd, rect); }
void CWnd::GetWindowRect(RECT* rect) const { ::plat::win::GetWindowRect(m_hWnd, rect); }
void CWnd::ClientToScreen(POINT* point) const { ::plat::win::ClientToScreen(m_hWnd, point); }
void CWnd::ScreenToClient(POINT* point) const { ::plat::win::ScreenToClient(m_hWnd, point); }

void CWnd::ClientToScreen(RECT* rect) const {
  if (rect) MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}
void CWnd::ScreenToClient(RECT* rect) const {
  if (rect) MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::Invalidate(BOOL erase) { ::plat::win::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(const RECT* rect, BOOL erase) { ::plat::win::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::ValidateRect(const RECT* rect) { ::plat::win::ValidateRect(m_hWnd, rect); }
void CWnd::UpdateWindow() { ::plat::win::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(const RECT* rect, gdi::CRgn* region, UINT flags) {
  return ::plat::win::RedrawWindow(m_hWnd, rect, region, flags);
}
void CWnd::SetRedraw(BOOL redraw) { SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE, 0); }
gdi::CDC* CWnd::GetDC() { return ::plat::win::GetDC(m_hWnd); }
int CWnd::ReleaseDC(gdi::CDC* dc) { return ::plat::win::ReleaseDC(m_hWnd, dc); }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::plat::win::SetTimer(m_hWnd, id, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::plat::win::KillTimer(m_hWnd, id); }

void CWnd::SetFont(gdi::CFont* font, BOOL redraw) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
gdi::CFont* CWnd::GetFont() const { return reinterpret_cast<gdi::CFont*>(SendMessage(WM_GETFONT, 0, 0)); }
void CWnd::SetWindowText(const std::string& text) { ::plat::win::SetWindowText(m_hWnd, text); }
std::string CWnd::GetWindowText() const { return ::plat::win::GetWindowText(m_hWnd); }
void CWnd::SetDlgItemText(int id, const std::string& text) {
  ::plat::win::SetWindowText(::plat::win::GetDlgItem(m_hWnd, id), text);
}
std::string CWnd::GetDlgItemText(int id) const { return ::plat::win::GetWindowText(::plat::win::GetDlgItem(m_hWnd, id)); }

CWnd* CWnd::SetFocus() { return FromHandle(::plat::win::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::plat::win::GetFocus()); }

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
  return MessageBoxA(m_hWnd, text, caption, type);
}

}  // namespace plat::win
