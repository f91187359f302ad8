// IControlWindow: how a host gives a control its window inside the host's own window and sizes it.
#pragma once

#include "platform/base/types.h"
#include "platform/com/unknown.h"
#include "platform/win/winuser.h"

namespace drev {

// The in-place side of hosting, reduced to what this control needs: a child window in a rectangle
// of the host's window, resized with it, and the control's miscellaneous status. All calls come on
// the thread that created the control; the window belongs to that thread.
class IControlWindow : public plat::com::IUnknown {
 public:
  static constexpr plat::com::IID iid = plat::com::MakeGuid("{6B1E2A4F-3C57-4D8E-9A21-5F0C7D3E8B11}");
  using base_interface = plat::com::IUnknown;

  // Creates the control's window as a visible child of `parent` covering `rect` (client coordinates
  // of `parent`) and stores it in *hwnd. E_POINTER for a null hwnd; E_UNEXPECTED when the control
  // already has a window; E_FAIL when the window could not be created (nothing is left behind).
  virtual plat::HRESULT CreateControlWindow(plat::win::HWND parent, const plat::RECT& rect,
                                            plat::win::HWND* hwnd) = 0;
  // Moves and sizes the control's window to `rect` (parent client coordinates). E_UNEXPECTED when
  // there is no window.
  virtual plat::HRESULT SetObjectRects(const plat::RECT& rect) = 0;
  // The control's window, or null when it has none (S_FALSE then).
  virtual plat::HRESULT GetControlWindow(plat::win::HWND* hwnd) = 0;
  // Destroys the control's window (and everything in it); S_FALSE when there was none.
  virtual plat::HRESULT DestroyControlWindow() = 0;
  // The OLEMISC bits the class is registered with.
  virtual plat::HRESULT GetMiscStatus(plat::DWORD* status) = 0;

 protected:
  ~IControlWindow() = default;
};

}  // namespace drev
