// Default message handling: text, font, redraw lock, close, and the paint family.
#include <algorithm>
#include <cstring>

#include "platform/win/backend.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar_internal.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace detail {
LRESULT DefPaintMessage(HWND hwnd, UINT msg, WPARAM wParam);
}

namespace {

constexpr LRESULT NFR_ANSI = 1;

LRESULT CopyText(HWND hwnd, WPARAM capacity, char* buffer) {
  if (!buffer || capacity == 0) return 0;
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  std::size_t n = std::min<std::size_t>(w->text.size(), capacity - 1);
  std::memcpy(buffer, w->text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      auto lock = Lock();
      if (Wnd* w = Find(hwnd)) w->text = (cs && cs->lpszName) ? cs->lpszName : "";
      return TRUE;
    }
    case WM_SETTEXT: {
      auto lock = Lock();
      Wnd* w = Find(hwnd);
      if (!w) return FALSE;
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      lock.unlock();
      NoteTopLevel(hwnd, TopLevelChange::Text);
      return TRUE;
    }
    case WM_GETTEXT: return CopyText(hwnd, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH: {
      auto lock = Lock();
      Wnd* w = Find(hwnd);
      return w ? static_cast<LRESULT>(w->text.size()) : 0;
    }
    case WM_SETFONT: {
      {
        auto lock = Lock();
        Wnd* w = Find(hwnd);
        if (!w) return 0;
        w->font = reinterpret_cast<gdi::CFont*>(wParam);
      }
      if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT: {
      auto lock = Lock();
      Wnd* w = Find(hwnd);
      return w ? reinterpret_cast<LRESULT>(w->font) : 0;
    }
    case WM_SETREDRAW: {
      auto lock = Lock();
      if (Wnd* w = Find(hwnd)) w->redraw = wParam != 0;
      return 0;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_NCPAINT: return DefPaintMessage(hwnd, msg, wParam);
    case WM_NOTIFYFORMAT: return NFR_ANSI;
    case WM_NCHITTEST:
    case WM_NCLBUTTONDOWN: return DefScrollMessage(hwnd, msg, wParam, lParam);
    default: return 0;
  }
}

}  // namespace plat::win
