// The test window class: a procedure that forwards to the closure kept for each window.
#include "test_window.h"

#include <map>
#include <mutex>

namespace plat::win::testing {
namespace {

std::mutex& Mutex() {
  static std::mutex m;
  return m;
}
std::map<HWND, Handler>& Handlers() {
  static std::map<HWND, Handler> handlers;
  return handlers;
}

LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
    std::lock_guard lock(Mutex());
    Handlers()[hwnd] = *static_cast<Handler*>(cs->lpCreateParams);
  }
  Handler handler;
  {
    std::lock_guard lock(Mutex());
    auto it = Handlers().find(hwnd);
    if (it != Handlers().end()) handler = it->second;
  }
  std::optional<LRESULT> answer = handler ? handler(hwnd, msg, wParam, lParam) : std::nullopt;
  LRESULT result = answer ? *answer : DefWindowProc(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    std::lock_guard lock(Mutex());
    Handlers().erase(hwnd);
  }
  return result;
}

}  // namespace

HWND CreateTestWindow(Handler handler, DWORD style, RECT rect, HWND parent, int id) {
  static const bool registered = [] {
    WNDCLASSA wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "DrevTestWindow";
    wc.background = 6;  // COLOR_WINDOW + 1
    return RegisterClass(wc) != 0;
  }();
  (void)registered;
  return CreateWindowEx(0, "DrevTestWindow", "", style, rect.left, rect.top, rect.Width(), rect.Height(), parent,
                        static_cast<UINT_PTR>(id), &handler);
}

}  // namespace plat::win::testing
