// Reading the window tree: parents, ancestors, children, ids, threads and hit-testing by point.
#include <algorithm>
#include <unistd.h>

#include "platform/gdi/syscolor.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

HWND GetParent(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  // As on the platform, a top-level window answers its owner.
  return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  if (flags == GA_PARENT) return (w->style & WS_CHILD) ? w->parent : nullptr;
  if (flags == GA_ROOT) return RootOf(*w)->handle;
  return nullptr;
}

BOOL IsChild(HWND parent, HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd != GW_HWNDNEXT && cmd != GW_HWNDPREV) return nullptr;
  Wnd* parent = (w->style & WS_CHILD) ? Find(w->parent) : nullptr;
  const std::vector<HWND>& siblings = parent ? parent->children : Reg().topLevel;
  auto it = std::find(siblings.begin(), siblings.end(), hwnd);
  if (it == siblings.end()) return nullptr;
  if (cmd == GW_HWNDNEXT) return (it + 1 == siblings.end()) ? nullptr : *(it + 1);
  return it == siblings.begin() ? nullptr : *(it - 1);
}

HWND GetDlgItem(HWND parent, int id) {
  auto lock = Lock();
  Wnd* w = Find(parent);
  if (!w) return nullptr;
  for (HWND child : w->children)
    if (Wnd* c = Find(child); c && static_cast<int>(c->id) == id) return child;
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  return w ? static_cast<int>(w->id) : 0;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  if (processId) *processId = static_cast<DWORD>(::getpid());
  return w->threadId;
}

namespace {

// With the lock held: the deepest visible window under a point given in w's parent coordinates.
// The start window may be hidden itself when `anyVisibility` is set.
HWND DeepestAt(Wnd& w, POINT inParent, bool anyVisibility = false) {
  if ((!anyVisibility && !(w.style & WS_VISIBLE)) || !w.rect.Contains(inParent)) return nullptr;
  RECT client = ClientArea(w);
  POINT local{inParent.x - w.rect.left - client.left, inParent.y - w.rect.top - client.top};
  if (local.x >= 0 && local.y >= 0 && local.x < client.Width() && local.y < client.Height()) {
    // Later children lie on top of earlier ones.
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it)
      if (Wnd* c = Find(*it))
        if (HWND hit = DeepestAt(*c, local)) return hit;
  }
  return w.handle;
}

}  // namespace

HWND ChildWindowFromPointDeep(HWND parent, POINT point) {
  auto lock = Lock();
  Wnd* w = Find(parent);
  if (!w) return nullptr;
  RECT client = ClientArea(*w);
  POINT inParent{point.x + w->rect.left + client.left, point.y + w->rect.top + client.top};
  return DeepestAt(*w, inParent, true);
}

HWND WindowFromPoint(POINT screenPoint) {
  auto lock = Lock();
  auto& tops = Reg().topLevel;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it)
    if (Wnd* t = Find(*it))
      if (HWND hit = DeepestAt(*t, screenPoint)) return hit;
  return nullptr;
}

std::vector<HWND> GetTopLevelWindows() {
  auto lock = Lock();
  return Reg().topLevel;
}

BOOL SetSysColors(int count, const int* indices, const COLORREF* colors) {
  BOOL known = gdi::SetSysColors(count, indices, colors);
  std::vector<HWND> mine, others;
  {
    const auto& me = CurrentQueue();
    auto lock = Lock();
    // Parents come before their children in creation order, which the handles follow.
    std::vector<std::uintptr_t> handles;
    for (const auto& entry : Reg().windows) handles.push_back(entry.first);
    std::sort(handles.begin(), handles.end());
    for (std::uintptr_t h : handles) {
      Wnd* w = Find(reinterpret_cast<HWND>(h));
      (w->queue == me ? mine : others).push_back(w->handle);
    }
  }
  for (HWND h : others) PostMessage(h, WM_SYSCOLORCHANGE, 0, 0);
  for (HWND h : mine) SendMessage(h, WM_SYSCOLORCHANGE, 0, 0);
  return known;
}

}  // namespace plat::win
