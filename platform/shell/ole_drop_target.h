// OLE drag-and-drop registration of a window, with a drop target that accepts no OLE data.
//
// This platform has no OLE data transfer: files dropped from the shell always arrive as WM_DROPFILES
// at a window with WS_EX_ACCEPTFILES (see file_drop.h), whether or not the window is registered
// here. Registration is kept so that a window can say it is a drop target, and a target answers
// every drag of OLE data with DROPEFFECT_NONE.
#pragma once

#include "platform/base/types.h"
#include "platform/win/winuser.h"

namespace plat::shell {

using DROPEFFECT = DWORD;
constexpr DROPEFFECT DROPEFFECT_NONE = 0;
constexpr DROPEFFECT DROPEFFECT_COPY = 1;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100);
constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101);
constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102);

class COleDropTarget;

// Registers `target` for `hwnd`: S_OK, DRAGDROP_E_INVALIDHWND for a dead handle, E_INVALIDARG for a
// null target, DRAGDROP_E_ALREADYREGISTERED when the window has a target. The target is borrowed.
HRESULT RegisterDragDrop(win::HWND hwnd, COleDropTarget* target);
// Removes the window's registration: S_OK, or DRAGDROP_E_NOTREGISTERED when it has none.
HRESULT RevokeDragDrop(win::HWND hwnd);
// The target registered for `hwnd`, or null.
COleDropTarget* GetRegisteredDropTarget(win::HWND hwnd);

// A drop target with no handling of its own: it takes no OLE data formats.
class COleDropTarget {
 public:
  COleDropTarget() = default;
  virtual ~COleDropTarget();  // revokes its registration
  COleDropTarget(const COleDropTarget&) = delete;
  COleDropTarget& operator=(const COleDropTarget&) = delete;

  // Registers this target for `hwnd`; FALSE when RegisterDragDrop refuses (this target is then not
  // registered anywhere new). A target serves one window at a time.
  BOOL Register(win::HWND hwnd);
  // Removes the registration, if any.
  void Revoke();
  win::HWND GetWindow() const { return hwnd_; }

  // What a drag of OLE data over the window may do: never anything here.
  virtual DROPEFFECT OnDragEnter(win::HWND hwnd, DWORD keyState, POINT point);

 private:
  win::HWND hwnd_ = nullptr;
};

}  // namespace plat::shell
