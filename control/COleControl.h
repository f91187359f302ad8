// COleControl: the base of a scriptable control: dispatch by table, one event connection point,
// persistence through one exchange routine, and a child window that hosts the control's content.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "control/IControlWindow.h"
#include "platform/com/connection_point.h"
#include "platform/com/dispatch_table.h"
#include "platform/com/event_source.h"
#include "platform/com/persist.h"
#include "platform/com/property_persistence.h"
#include "platform/com/ref_counted.h"
#include "platform/win/winuser.h"

namespace drev {

// A derived control fills DispatchMap() in its constructor, names its interfaces with
// InitializeIIDs, overrides DoPropExchange (calling this class's version where the framework's own
// properties go) and the window handlers it needs. The object answers IUnknown, IDispatch (also
// under its dispatch interface id), IConnectionPointContainer, IPersistStreamInit,
// IPersistPropertyBag and IControlWindow.
//
// Everything runs on the thread that created the object. A derived class whose members own child
// windows must call DestroyControlWindow() in its destructor, so that those windows go while the
// members still exist; this class's destructor destroys a window that is still there without
// calling back into the (already destroyed) derived part.
class COleControl : public plat::com::RefCounted<plat::com::IDispatch, plat::com::IConnectionPointContainer,
                                                 plat::com::IPersistStreamInit, plat::com::IPersistPropertyBag,
                                                 IControlWindow> {
 public:
  // IUnknown: the dispatch interface id is answered with IDispatch.
  plat::HRESULT QueryInterface(const plat::com::IID& riid, void** ppv) override;

  // IDispatch over DispatchMap(). One type description.
  plat::HRESULT GetTypeInfoCount(plat::UINT* count) override;
  plat::HRESULT GetIDsOfNames(std::span<const std::u16string_view> names, plat::com::DISPID* ids) override;
  plat::HRESULT Invoke(plat::com::DISPID id, plat::WORD flags, std::span<const plat::com::Variant> args,
                       plat::com::Variant* result, plat::com::EXCEPINFO* excepInfo, plat::UINT* argErr) override;

  // IConnectionPointContainer: the event interface's point; CONNECT_E_NOCONNECTION for any other.
  plat::HRESULT FindConnectionPoint(const plat::com::IID& riid, plat::com::IConnectionPoint** point) override;

  // IPersist, IPersistStreamInit, IPersistPropertyBag: all run DoPropExchange. InitNew is the reset
  // state: the exchange in reset mode, then a repaint.
  plat::HRESULT GetClassID(plat::com::CLSID* clsid) override;
  plat::HRESULT IsDirty() override;
  plat::HRESULT Load(plat::com::IStream* stream) override;
  plat::HRESULT Save(plat::com::IStream* stream, plat::BOOL clearDirty) override;
  plat::HRESULT GetSizeMax(std::uint64_t* size) override;
  plat::HRESULT InitNew() override;
  plat::HRESULT Load(plat::com::IPropertyBag* bag) override;
  plat::HRESULT Save(plat::com::IPropertyBag* bag, plat::BOOL clearDirty, plat::BOOL saveAll) override;

  // IControlWindow (see IControlWindow.h).
  plat::HRESULT CreateControlWindow(plat::win::HWND parent, const plat::RECT& rect,
                                    plat::win::HWND* hwnd) override;
  plat::HRESULT SetObjectRects(const plat::RECT& rect) override;
  plat::HRESULT GetControlWindow(plat::win::HWND* hwnd) override;
  plat::HRESULT DestroyControlWindow() override;
  plat::HRESULT GetMiscStatus(plat::DWORD* status) override;

  // The control window; null before CreateControlWindow and after its destruction.
  plat::win::HWND GetSafeHwnd() const { return m_hWnd; }

 protected:
  COleControl(const plat::com::CLSID& clsid, plat::DWORD miscStatus);
  ~COleControl() override;

  // Names the dispatch interface (answered by QueryInterface) and the event interface (the
  // connection point's). Call once, in the constructor.
  void InitializeIIDs(const plat::com::IID& dispatchIid, const plat::com::IID& eventIid);
  plat::com::DispatchTable& DispatchMap() { return m_dispatch; }

  // The exchange routine. This version exchanges the framework's own properties of a control: its
  // extent, "_ExtentX" and "_ExtentY" in HIMETRIC units (defaults 100 by 50 pixels).
  virtual void DoPropExchange(plat::com::PropExchange& px);
  // Marks the control modified (or not), so that the host saves it.
  void SetModifiedFlag(bool modified = true) { m_persist.SetModifiedFlag(modified); }
  bool IsModified() const { return m_persist.IsModified(); }

  // Fires event `id` to every connected sink, synchronously, before returning.
  void FireEvent(plat::com::DISPID id, std::initializer_list<plat::com::EventArg> args = {});
  // Repaints the control window (when it exists) with erasing.
  void InvalidateControl();

  // The window procedure of the control window. The default routes WM_CREATE to OnCreate and
  // WM_SIZE to OnSize and leaves everything else to DefWindowProc.
  virtual plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam);
  // Creation of the control window: 0 to go on, -1 to fail it. The base does nothing (0).
  virtual int OnCreate(plat::win::CREATESTRUCTA* cs);
  // The control window's client area has a new size. The base records the extent.
  virtual void OnSize(plat::UINT type, int cx, int cy);
  // Default handling of a message of the control window.
  plat::LRESULT DefWindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam);

 private:
  static plat::LRESULT StaticWndProc(plat::win::HWND hwnd, plat::UINT msg, plat::WPARAM wParam,
                                     plat::LPARAM lParam);

  plat::com::CLSID m_clsid;
  plat::DWORD m_miscStatus;
  plat::com::IID m_dispatchIid{};
  plat::com::DispatchTable m_dispatch;
  plat::com::ComPtr<plat::com::ConnectionPoint> m_events;
  plat::com::PropertyPersistence m_persist;
  plat::win::HWND m_hWnd = nullptr;
  plat::LONG m_cxExtent;  // HIMETRIC
  plat::LONG m_cyExtent;
};

}  // namespace drev
