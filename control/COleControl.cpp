// The control base: COM plumbing over the dispatch table, the connection point and the persistence,
// and the control window with its class and procedure.
#include "control/COleControl.h"

#include <mutex>

#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace drev {

namespace pc = plat::com;
namespace pw = plat::win;
using plat::HRESULT;

namespace {

constexpr const char* kWindowClass = "DrevOleControl";
// Pixels to HIMETRIC (hundredths of a millimetre) at 96 pixels an inch, and back.
constexpr int kHimetricPerInch = 2540;
constexpr int kPixelsPerInch = 96;
constexpr plat::LONG kDefaultWidth = 100;
constexpr plat::LONG kDefaultHeight = 50;

plat::LONG ToHimetric(int pixels) { return pw::MulDiv(pixels, kHimetricPerInch, kPixelsPerInch); }

void RegisterControlClass(pw::WNDPROC proc) {
  static std::once_flag once;
  std::call_once(once, [proc] {
    pw::WNDCLASSA wc;
    wc.style = pw::CS_HREDRAW | pw::CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = kWindowClass;
    pw::RegisterClass(wc);
  });
}

}  // namespace

COleControl::COleControl(const pc::CLSID& clsid, plat::DWORD miscStatus)
    : m_clsid(clsid),
      m_miscStatus(miscStatus),
      m_persist([this](pc::PropExchange& px) { DoPropExchange(px); }),
      m_cxExtent(ToHimetric(kDefaultWidth)),
      m_cyExtent(ToHimetric(kDefaultHeight)) {}

COleControl::~COleControl() {
  if (m_events) m_events->UnadviseAll();
  if (m_hWnd) {
    // The derived part is gone: cut the window off from this object before it is destroyed.
    pw::SetWindowLongPtr(m_hWnd, pw::GWLP_USERDATA, 0);
    pw::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
  }
}

void COleControl::InitializeIIDs(const pc::IID& dispatchIid, const pc::IID& eventIid) {
  m_dispatchIid = dispatchIid;
  m_events = pc::MakeCom<pc::ConnectionPoint>(eventIid);
}

// ----- IUnknown, IDispatch, IConnectionPointContainer -----

HRESULT COleControl::QueryInterface(const pc::IID& riid, void** ppv) {
  if (ppv && riid == m_dispatchIid && riid != pc::GUID_NULL) {
    *ppv = static_cast<pc::IDispatch*>(this);
    AddRef();
    return pc::S_OK;
  }
  return RefCounted::QueryInterface(riid, ppv);
}

HRESULT COleControl::GetTypeInfoCount(plat::UINT* count) {
  if (!count) return pc::E_POINTER;
  *count = 1;
  return pc::S_OK;
}

HRESULT COleControl::GetIDsOfNames(std::span<const std::u16string_view> names, pc::DISPID* ids) {
  return m_dispatch.GetIDsOfNames(names, ids);
}

HRESULT COleControl::Invoke(pc::DISPID id, plat::WORD flags, std::span<const pc::Variant> args,
                            pc::Variant* result, pc::EXCEPINFO* excepInfo, plat::UINT* argErr) {
  // A script handler run by an event of this call may drop the page's last reference.
  pc::ComPtr<COleControl> keepAlive(this);
  return m_dispatch.Invoke(id, flags, args, result, excepInfo, argErr);
}

HRESULT COleControl::FindConnectionPoint(const pc::IID& riid, pc::IConnectionPoint** point) {
  if (!point) return pc::E_POINTER;
  *point = nullptr;
  if (!m_events || riid != m_events->Iid()) return pc::CONNECT_E_NOCONNECTION;
  *point = m_events.Get();
  m_events->AddRef();
  return pc::S_OK;
}

void COleControl::FireEvent(pc::DISPID id, std::initializer_list<pc::EventArg> args) {
  if (m_events) m_events->Fire(id, args);
}

// ----- persistence -----

HRESULT COleControl::GetClassID(pc::CLSID* clsid) {
  if (!clsid) return pc::E_POINTER;
  *clsid = m_clsid;
  return pc::S_OK;
}

HRESULT COleControl::IsDirty() { return m_persist.IsDirty(); }
HRESULT COleControl::Load(pc::IStream* stream) { return m_persist.Load(stream); }
HRESULT COleControl::Save(pc::IStream* stream, plat::BOOL clearDirty) {
  return m_persist.Save(stream, clearDirty != plat::FALSE);
}
HRESULT COleControl::GetSizeMax(std::uint64_t* size) { return m_persist.GetSizeMax(size); }
HRESULT COleControl::Load(pc::IPropertyBag* bag) { return m_persist.Load(bag); }
HRESULT COleControl::Save(pc::IPropertyBag* bag, plat::BOOL clearDirty, plat::BOOL) {
  return m_persist.Save(bag, clearDirty != plat::FALSE);
}

HRESULT COleControl::InitNew() {
  HRESULT hr = m_persist.InitNew();
  InvalidateControl();
  return hr;
}

void COleControl::DoPropExchange(pc::PropExchange& px) {
  px.PX_Long("_ExtentX", m_cxExtent, ToHimetric(kDefaultWidth));
  px.PX_Long("_ExtentY", m_cyExtent, ToHimetric(kDefaultHeight));
}

// ----- the control window -----

HRESULT COleControl::CreateControlWindow(pw::HWND parent, const plat::RECT& rect, pw::HWND* hwnd) {
  if (!hwnd) return pc::E_POINTER;
  *hwnd = nullptr;
  if (m_hWnd) return pc::E_UNEXPECTED;
  RegisterControlClass(&COleControl::StaticWndProc);
  pw::HWND created = pw::CreateWindowEx(0, kWindowClass, "", pw::WS_CHILD | pw::WS_VISIBLE | pw::WS_CLIPCHILDREN,
                                        rect.left, rect.top, rect.Width(), rect.Height(), parent, 0, this);
  if (!created) return pc::E_FAIL;
  *hwnd = created;
  return pc::S_OK;
}

HRESULT COleControl::SetObjectRects(const plat::RECT& rect) {
  if (!m_hWnd) return pc::E_UNEXPECTED;
  return pw::MoveWindow(m_hWnd, rect.left, rect.top, rect.Width(), rect.Height(), plat::TRUE) ? pc::S_OK
                                                                                            : pc::E_FAIL;
}

HRESULT COleControl::GetControlWindow(pw::HWND* hwnd) {
  if (!hwnd) return pc::E_POINTER;
  *hwnd = m_hWnd;
  return m_hWnd ? pc::S_OK : pc::S_FALSE;
}

HRESULT COleControl::DestroyControlWindow() {
  if (!m_hWnd) return pc::S_FALSE;
  pw::DestroyWindow(m_hWnd);  // WM_NCDESTROY clears m_hWnd
  m_hWnd = nullptr;
  return pc::S_OK;
}

HRESULT COleControl::GetMiscStatus(plat::DWORD* status) {
  if (!status) return pc::E_POINTER;
  *status = m_miscStatus;
  return pc::S_OK;
}

void COleControl::InvalidateControl() {
  if (m_hWnd) pw::InvalidateRect(m_hWnd, nullptr, plat::TRUE);
}

plat::LRESULT COleControl::StaticWndProc(pw::HWND hwnd, plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (msg == pw::WM_NCCREATE) {
    auto* cs = reinterpret_cast<pw::CREATESTRUCTA*>(lParam);
    auto* self = static_cast<COleControl*>(cs->lpCreateParams);
    self->m_hWnd = hwnd;
    pw::SetWindowLongPtr(hwnd, pw::GWLP_USERDATA, reinterpret_cast<pw::LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<COleControl*>(pw::GetWindowLongPtr(hwnd, pw::GWLP_USERDATA));
  if (!self) return pw::DefWindowProc(hwnd, msg, wParam, lParam);
  plat::LRESULT result = self->WindowProc(msg, wParam, lParam);
  if (msg == pw::WM_NCDESTROY) {
    pw::SetWindowLongPtr(hwnd, pw::GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

plat::LRESULT COleControl::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (msg) {
    case pw::WM_CREATE:
      return OnCreate(reinterpret_cast<pw::CREATESTRUCTA*>(lParam));
    case pw::WM_SIZE:
      OnSize(static_cast<plat::UINT>(wParam), plat::LOWORD(static_cast<std::uintptr_t>(lParam)),
             plat::HIWORD(static_cast<std::uintptr_t>(lParam)));
      return 0;
    default:
      return DefWindowProc(msg, wParam, lParam);
  }
}

int COleControl::OnCreate(pw::CREATESTRUCTA*) { return 0; }

void COleControl::OnSize(plat::UINT, int cx, int cy) {
  m_cxExtent = ToHimetric(cx);
  m_cyExtent = ToHimetric(cy);
}

plat::LRESULT COleControl::DefWindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  return pw::DefWindowProc(m_hWnd, msg, wParam, lParam);
}

}  // namespace drev
