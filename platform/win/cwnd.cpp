// CWnd: the handle map, subclassing, the framework's window procedure with reflection, and default
// handling.
#include "platform/win/cwnd.h"

#include <map>
#include <vector>

#include "platform/win/afx_internal.h"
#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win {

namespace {

constexpr const char* kObjectProp = "plat.afx.CWnd";
constexpr const char* kSuperProp = "plat.afx.super";

struct Current {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
// The messages being handled on this thread, innermost last (for Default).
thread_local std::vector<Current> current;

struct CurrentScope {
  CurrentScope(HWND h, UINT m, WPARAM w, LPARAM l) { current.push_back({h, m, w, l}); }
  ~CurrentScope() { current.pop_back(); }
};

// Offers a notification to the object of the child that sent it.
bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND from = nullptr;
  if (msg == WM_NOTIFY && lParam) from = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
  if (msg == WM_COMMAND) from = reinterpret_cast<HWND>(lParam);
  CWnd* child = from ? CWnd::FromHandlePermanent(from) : nullptr;
  return child && child->OnChildNotify(msg, wParam, lParam, result);
}

void CreationHook(HWND hwnd, void* context) {
  auto* wnd = static_cast<CWnd*>(context);
  afx::Map(hwnd, wnd);
  wnd->m_hWnd = hwnd;
  wnd->PreSubclassWindow();
  afx::SetSuper(hwnd, SetWindowProc(hwnd, CWnd::AfxWndProc));
}

}  // namespace

namespace afx {

void Map(HWND hwnd, CWnd* wnd) { SetProp(hwnd, kObjectProp, wnd); }
void Unmap(HWND hwnd) { RemoveProp(hwnd, kObjectProp); }
void SetSuper(HWND hwnd, WNDPROC proc) { SetProp(hwnd, kSuperProp, reinterpret_cast<void*>(proc)); }
WNDPROC GetSuper(HWND hwnd) { return reinterpret_cast<WNDPROC>(GetProp(hwnd, kSuperProp)); }
void HookCreation(CWnd* wnd) { HookNextWindowCreate(CreationHook, wnd); }

CWnd* Temporary(HWND hwnd, std::type_index type, std::unique_ptr<CWnd> (*make)()) {
  thread_local std::map<std::pair<HWND, std::type_index>, std::unique_ptr<CWnd>> temporaries;
  std::erase_if(temporaries, [](auto& entry) {
    if (IsWindow(entry.first.first)) return false;
    entry.second->m_hWnd = nullptr;
    return true;
  });
  auto& slot = temporaries[{hwnd, type}];
  if (!slot) {
    slot = make();
    slot->m_hWnd = hwnd;
  }
  return slot.get();
}

}  // namespace afx

CWnd::~CWnd() {
  if (!m_hWnd) return;
  HWND hwnd = m_hWnd;
  if (FromHandlePermanent(hwnd) != this) {  // a temporary object: the window is not ours
    m_hWnd = nullptr;
    return;
  }
  if (m_pfnSuper) UnsubclassWindow();
  else Detach();
  if (IsWindow(hwnd)) ::plat::win::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) { return hwnd ? static_cast<CWnd*>(GetProp(hwnd, kObjectProp)) : nullptr; }

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (CWnd* attached = FromHandlePermanent(hwnd)) return attached;
  return afx::TemporaryOf<CWnd>(hwnd);
}

BOOL CWnd::Attach(HWND hwnd) {
  if (!IsWindow(hwnd) || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
  afx::Map(hwnd, this);
  m_hWnd = hwnd;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd && FromHandlePermanent(hwnd) == this) afx::Unmap(hwnd);
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!Attach(hwnd)) return FALSE;
  PreSubclassWindow();
  m_pfnSuper = SetWindowProc(hwnd, AfxWndProc);
  afx::SetSuper(hwnd, m_pfnSuper);
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (!parent) return FALSE;
  return SubclassWindow(::plat::win::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd || !m_pfnSuper) return nullptr;
  SetWindowProc(m_hWnd, m_pfnSuper);
  RemoveProp(m_hWnd, kSuperProp);
  m_pfnSuper = nullptr;
  return Detach();
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id) {
  return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param) {
  if (m_hWnd) return FALSE;
  afx::HookCreation(this);
  HWND hwnd = CreateWindowEx(exStyle, className, windowName ? windowName : "", style, rect.left, rect.top,
                             rect.Width(), rect.Height(), parent ? parent->m_hWnd : nullptr, id, param);
  if (hwnd) m_pfnSuper = afx::GetSuper(hwnd);
  return hwnd ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::plat::win::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CWnd::AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandlePermanent(hwnd);
  if (!wnd) return CallWindowProc(afx::GetSuper(hwnd), hwnd, msg, wParam, lParam);
  if (!wnd->m_pfnSuper) wnd->m_pfnSuper = afx::GetSuper(hwnd);  // created: the hook stored it
  CurrentScope scope(hwnd, msg, wParam, lParam);
  if (wnd->m_bToolTips && (msg == WM_MOUSEMOVE || msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN))
    wnd->FilterToolTipMessage(msg, wParam, lParam);
  LRESULT result = 0;
  if ((msg == WM_NOTIFY || (msg == WM_COMMAND && lParam)) && Reflect(msg, wParam, lParam, &result)) return result;
  result = wnd->WindowProc(msg, wParam, lParam);
  if (msg == WM_NCDESTROY && FromHandlePermanent(hwnd) == wnd) {
    wnd->Detach();
    wnd->m_pfnSuper = nullptr;
    wnd->PostNcDestroy();
  }
  return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProc(msg, wParam, lParam); }

LRESULT CWnd::Default() {
  for (auto it = current.rbegin(); it != current.rend(); ++it)
    if (it->hwnd == m_hWnd) return DefWindowProc(it->msg, it->wParam, it->lParam);
  return 0;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  return CallWindowProc(m_pfnSuper, m_hWnd, msg, wParam, lParam);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

}  // namespace plat::win
