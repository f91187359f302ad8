// OLE drag-and-drop registration: a process-wide table of windows and their drop targets.
#include "platform/shell/ole_drop_target.h"

#include <map>
#include <mutex>

#include "platform/win/window.h"

namespace plat::shell {
namespace {

struct TargetTable {
  std::mutex mutex;
  std::map<win::HWND, COleDropTarget*> targets;
};

TargetTable& Targets() {
  static TargetTable table;
  return table;
}

}  // namespace

HRESULT RegisterDragDrop(win::HWND hwnd, COleDropTarget* target) {
  if (!win::IsWindow(hwnd)) return DRAGDROP_E_INVALIDHWND;
  if (target == nullptr) return E_INVALIDARG;
  TargetTable& t = Targets();
  std::lock_guard lock(t.mutex);
  // Window handles are never reused, so an entry left by a destroyed window blocks nobody.
  return t.targets.emplace(hwnd, target).second ? S_OK : DRAGDROP_E_ALREADYREGISTERED;
}

HRESULT RevokeDragDrop(win::HWND hwnd) {
  TargetTable& t = Targets();
  std::lock_guard lock(t.mutex);
  return t.targets.erase(hwnd) ? S_OK : DRAGDROP_E_NOTREGISTERED;
}

COleDropTarget* GetRegisteredDropTarget(win::HWND hwnd) {
  TargetTable& t = Targets();
  std::lock_guard lock(t.mutex);
  auto found = t.targets.find(hwnd);
  return found == t.targets.end() ? nullptr : found->second;
}

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(win::HWND hwnd) {
  if (hwnd_ != nullptr) return FALSE;
  if (RegisterDragDrop(hwnd, this) != S_OK) return FALSE;
  hwnd_ = hwnd;
  return TRUE;
}

void COleDropTarget::Revoke() {
  if (hwnd_ == nullptr) return;
  if (GetRegisteredDropTarget(hwnd_) == this) RevokeDragDrop(hwnd_);
  hwnd_ = nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(win::HWND, DWORD, POINT) { return DROPEFFECT_NONE; }

}  // namespace plat::shell
