// Window attributes: long values, procedures, properties, text, visibility, enabled state, focus.
#include <algorithm>
#include <cstring>

#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  switch (index) {
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_ID: return static_cast<LONG_PTR>(w->id);
    case GWLP_USERDATA: return w->userData;
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>((w->style & WS_CHILD) ? w->parent : w->owner);
    default: break;
  }
  if (!w->dialog) return 0;
  switch (index) {
    case DWLP_MSGRESULT: return w->dialog->msgResult;
    case DWLP_DLGPROC: return reinterpret_cast<LONG_PTR>(w->dialog->dlgProc);
    case DWLP_USER: return w->dialog->user;
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  LONG_PTR old = 0;
  switch (index) {
    case GWL_STYLE:
      old = static_cast<LONG_PTR>(w->style);
      w->style = static_cast<DWORD>(value);
      return old;
    case GWL_EXSTYLE:
      old = static_cast<LONG_PTR>(w->exStyle);
      w->exStyle = static_cast<DWORD>(value);
      return old;
    case GWLP_ID:
      old = static_cast<LONG_PTR>(w->id);
      w->id = static_cast<UINT_PTR>(value);
      return old;
    case GWLP_USERDATA:
      old = w->userData;
      w->userData = value;
      return old;
    case GWLP_WNDPROC:
      if (!value) return 0;
      old = reinterpret_cast<LONG_PTR>(w->proc);
      w->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    default: break;
  }
  if (!w->dialog) return 0;
  switch (index) {
    case DWLP_MSGRESULT: old = w->dialog->msgResult; w->dialog->msgResult = value; return old;
    case DWLP_DLGPROC:
      old = reinterpret_cast<LONG_PTR>(w->dialog->dlgProc);
      w->dialog->dlgProc = reinterpret_cast<DLGPROC>(value);
      return old;
    case DWLP_USER: old = w->dialog->user; w->dialog->user = value; return old;
    default: return 0;
  }
}

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc) {
  return reinterpret_cast<WNDPROC>(SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : DefWindowProc(hwnd, msg, wParam, lParam);
}

BOOL SetProp(HWND hwnd, const char* name, void* value) {
  if (!name) return FALSE;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  for (auto& p : w->props)
    if (p.first == name) {
      p.second = value;
      return TRUE;
    }
  w->props.emplace_back(name, value);
  return TRUE;
}

void* GetProp(HWND hwnd, const char* name) {
  if (!name) return nullptr;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  for (auto& p : w->props)
    if (p.first == name) return p.second;
  return nullptr;
}

void* RemoveProp(HWND hwnd, const char* name) {
  if (!name) return nullptr;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return nullptr;
  for (auto it = w->props.begin(); it != w->props.end(); ++it)
    if (it->first == name) {
      void* value = it->second;
      w->props.erase(it);
      return value;
    }
  return nullptr;
}

BOOL SetWindowText(HWND hwnd, const std::string& text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

int GetWindowText(HWND hwnd, char* buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

std::string GetWindowText(HWND hwnd) {
  int length = GetWindowTextLength(hwnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowText(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

int GetWindowTextLength(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

namespace detail {

bool SetVisibility(HWND hwnd, bool show, bool notify) {
  bool wasVisible = false;
  HWND parent = nullptr;
  RECT oldRect{};
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    wasVisible = (w->style & WS_VISIBLE) != 0;
    parent = (w->style & WS_CHILD) ? w->parent : nullptr;
    oldRect = w->rect;
  }
  if (wasVisible == show) return wasVisible;
  if (notify) SendMessage(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return wasVisible;
    if (show) {
      w->style |= WS_VISIBLE;
      w->frameDirty = true;
    } else {
      w->style &= ~WS_VISIBLE;
      w->update = RECT{};
      std::erase(w->queue->dirty, hwnd);
    }
  }
  if (show) InvalidateRect(hwnd, nullptr, TRUE);
  if (!parent) NoteTopLevel(hwnd, show ? TopLevelChange::Shown : TopLevelChange::Hidden);
  else if (!show) {
    // What the child covered shows the parent again.
    RECT client{};
    GetClientRect(parent, &client);
    RECT uncovered = IntersectRects(oldRect, client);
    if (!uncovered.IsEmpty()) InvalidateRect(parent, &uncovered, TRUE);
  }
  return wasVisible;
}

}  // namespace detail

BOOL ShowWindow(HWND hwnd, int cmd) { return SetVisibility(hwnd, cmd != SW_HIDE, true); }

BOOL IsWindowVisible(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  return w && VisibleChain(*w);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  bool wasDisabled = false;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) w->style &= ~WS_DISABLED;
    else w->style |= WS_DISABLED;
  }
  SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  NoteTopLevel(hwnd, TopLevelChange::Enabled);
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  return w && !(w->style & WS_DISABLED);
}

HWND SetFocus(HWND hwnd) {
  const auto& queue = CurrentQueue();
  HWND old = nullptr;
  {
    auto lock = Lock();
    if (hwnd) {
      Wnd* w = Find(hwnd);
      if (!w || w->threadId != queue->threadId) return nullptr;
    }
    old = queue->focus;
    if (old == hwnd) return old;
    queue->focus = hwnd;
  }
  if (old) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd) SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() {
  const auto& queue = CurrentQueue();
  auto lock = Lock();
  return Find(queue->focus) ? queue->focus : nullptr;
}

}  // namespace plat::win
