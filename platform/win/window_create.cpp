// Creating and destroying windows.
#include <algorithm>

#include "platform/kernel/error.h"
#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace {

constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;

struct PendingHook {
  CreateHook hook = nullptr;
  void* context = nullptr;
};
thread_local PendingHook pendingHook;

// Makes the record and links it into the tree; null (last error set) when the request is refused.
HWND AddWindow(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
               int cx, int cy, HWND parent, UINT_PTR id) {
  const auto& queue = CurrentQueue();
  auto lock = Lock();
  auto cls = FindClass(className ? className : "");
  if (!cls) {
    kernel::SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  Wnd* parentWnd = parent ? Find(parent) : nullptr;
  if (parent && (!parentWnd || parentWnd->destroying)) {
    kernel::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if ((style & WS_CHILD) && !parentWnd) {
    kernel::SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  auto& reg = Reg();
  auto w = std::make_shared<Wnd>();
  w->handle = reinterpret_cast<HWND>(reg.nextHandle);
  reg.nextHandle += 4;
  w->cls = cls;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->rect = RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
  w->text = windowName ? windowName : "";
  w->proc = cls->proc;
  w->queue = queue;
  w->threadId = queue->threadId;
  w->frameDirty = true;
  if (style & WS_CHILD) {
    w->parent = parent;
    w->id = id;
    parentWnd->children.push_back(w->handle);
  } else {
    w->owner = parent ? RootOf(*parentWnd)->handle : nullptr;
    reg.topLevel.push_back(w->handle);
  }
  HWND handle = w->handle;
  reg.windows.emplace(reinterpret_cast<std::uintptr_t>(handle), std::move(w));
  return handle;
}

// Removes a window's record after WM_NCDESTROY; waiting senders get 0.
void RemoveWindow(HWND hwnd) {
  auto lock = Lock();
  auto& reg = Reg();
  auto w = FindShared(hwnd);
  if (!w) return;
  if (Wnd* parent = Find(w->parent)) std::erase(parent->children, hwnd);
  std::erase(reg.topLevel, hwnd);
  PurgeWindowMessages(*w);
  if (w->queue->focus == hwnd) w->queue->focus = nullptr;
  reg.windows.erase(reinterpret_cast<std::uintptr_t>(hwnd));
}

}  // namespace

void HookNextWindowCreate(CreateHook hook, void* context) { pendingHook = {hook, context}; }

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                    int y, int cx, int cy, HWND parent, UINT_PTR id, void* param) {
  PendingHook hook = pendingHook;
  pendingHook = {};
  HWND hwnd = AddWindow(exStyle, className, windowName, style, x, y, cx, cy, parent, id);
  if (!hwnd) return nullptr;
  if (hook.hook) hook.hook(hwnd, hook.context);

  CREATESTRUCTA cs;
  cs.lpCreateParams = param;
  cs.hwndParent = parent;
  cs.hMenu = id;
  cs.x = x;
  cs.y = y;
  cs.cx = cx;
  cs.cy = cy;
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    RemoveWindow(hwnd);
    return nullptr;
  }
  if (SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  RECT client{};
  GetClientRect(hwnd, &client);
  SendMessage(hwnd, WM_SIZE, SIZE_RESTORED,
              MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
  POINT origin{0, 0};
  MapWindowPoints(hwnd, GetParent(hwnd), &origin, 1);
  SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
  if ((style & WS_VISIBLE) && IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOW);
  return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  std::vector<HWND> owned;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w || w->threadId != CurrentQueue()->threadId) {
      kernel::SetLastError(w ? kernel::ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (w->destroying) return TRUE;
    w->destroying = true;
    for (HWND top : Reg().topLevel)
      if (Wnd* t = Find(top); t && t->owner == hwnd) owned.push_back(top);
  }
  // Windows it owns go first, as on the platform.
  for (HWND o : owned) DestroyWindow(o);
  SetVisibility(hwnd, false, false);
  NoteTopLevel(hwnd, TopLevelChange::Destroyed);
  SendMessage(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    auto lock = Lock();
    if (Wnd* w = Find(hwnd)) children = w->children;
  }
  for (HWND child : children) DestroyWindow(child);
  SendMessage(hwnd, WM_NCDESTROY, 0, 0);
  RemoveWindow(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  auto lock = Lock();
  return Find(hwnd) != nullptr;
}

}  // namespace plat::win
