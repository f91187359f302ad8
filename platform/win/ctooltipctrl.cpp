// CToolTipCtrl, the thread's tooltip control, and CWnd's tooltip filter and default hit test.
#include "platform/win/ctooltipctrl.h"

#include <memory>

#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::win {

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
  return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASS, "", WS_POPUP | style, RECT{}, parent, 0);
}

BOOL CToolTipCtrl::AddTool(const TOOLINFOA* info) {
  return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(info)));
}

void CToolTipCtrl::DelTool(const TOOLINFOA* info) { SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(info)); }

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }

std::string CToolTipCtrl::GetText(const TOOLINFOA* info) const {
  if (!info) return {};
  char buffer[1024] = {};
  TOOLINFOA request = *info;
  request.lpszText = buffer;
  SendMessage(TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&request));
  return buffer;
}

void CToolTipCtrl::Activate(BOOL active) { SendMessage(TTM_ACTIVATE, active, 0); }
void CToolTipCtrl::RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
void CToolTipCtrl::Pop() { SendMessage(TTM_POP); }
std::string CToolTipCtrl::GetShownText() const { return IsWindowVisible() ? GetWindowText() : std::string(); }

CToolTipCtrl* ThreadToolTip() {
  thread_local std::unique_ptr<CToolTipCtrl> tip;
  if (!tip || !IsWindow(tip->m_hWnd)) {
    tip = std::make_unique<CToolTipCtrl>();
    if (!tip->Create(nullptr)) return nullptr;
  }
  return tip.get();
}

BOOL CWnd::EnableToolTips(BOOL enable) {
  m_bToolTips = enable != FALSE;
  if (!m_bToolTips && m_nLastHit != -1) {
    if (CToolTipCtrl* tip = ThreadToolTip()) tip->DelTool(&m_lastTool);
    m_nLastHit = -1;
  }
  return m_bToolTips ? ThreadToolTip() != nullptr : TRUE;
}

INT_PTR CWnd::OnToolHitTest(POINT point, TOOLINFOA* ti) const {
  HWND child = ChildWindowFromPointDeep(m_hWnd, point);
  if (!child || child == m_hWnd || ::plat::win::GetParent(child) != m_hWnd) return -1;
  if (ti) {
    ti->hwnd = m_hWnd;
    ti->uId = reinterpret_cast<UINT_PTR>(child);
    ti->uFlags |= TTF_IDISHWND;
    ti->lpszText = LPSTR_TEXTCALLBACKA;
  }
  return ::plat::win::GetDlgCtrlID(child);
}

void CWnd::FilterToolTipMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  CToolTipCtrl* tip = ThreadToolTip();
  if (!tip) return;
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  // The tool's text request hit-tests "the current message's" position: this mouse message's.
  POINT screen = point;
  ::plat::win::ClientToScreen(m_hWnd, &screen);
  SetCurrentMessagePos(screen);
  TOOLINFOA ti;
  INT_PTR hit = OnToolHitTest(point, &ti);
  if (hit != -1 && !ti.hwnd) ti.hwnd = m_hWnd;
  bool changed = hit != m_nLastHit || ti.hwnd != m_lastTool.hwnd || ti.uId != m_lastTool.uId;
  if (changed) {
    if (m_nLastHit != -1) tip->DelTool(&m_lastTool);
    if (hit != -1) tip->AddTool(&ti);
    m_nLastHit = hit;
    m_lastTool = hit != -1 ? ti : TOOLINFOA{};
    m_lastTool.lpszText = nullptr;
  }
  HWND target = (hit != -1 && (ti.uFlags & TTF_IDISHWND)) ? reinterpret_cast<HWND>(ti.uId) : m_hWnd;
  POINT at = point;
  MapWindowPoints(m_hWnd, target, &at, 1);
  MSG relay{target, msg, wParam, MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y)), GetTickCount(), screen};
  tip->RelayEvent(&relay);
}

}  // namespace plat::win
