// The widget tests' host window and pixel helpers.
#include "widget_host.h"

#include <algorithm>

namespace drev::widgets_test {

Host::Host(int width, int height) {
  CreateEx(0, "#32770", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, width, height}, nullptr, 0);
}

Host::~Host() { DestroyWindow(); }

int Host::CountOf(UINT msg, UINT code) const {
  return static_cast<int>(std::count_if(received.begin(), received.end(),
                                        [&](const Received& r) { return r.msg == msg && r.code == code; }));
}

LRESULT Host::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && lParam)
    received.push_back({msg, wParam, lParam, reinterpret_cast<const NMHDR*>(lParam)->code});
  else if (std::find(watched.begin(), watched.end(), msg) != watched.end())
    received.push_back({msg, wParam, lParam, 0});
  return CWnd::WindowProc(msg, wParam, lParam);
}

int CountPixels(HWND hwnd, RECT rect, COLORREF color) {
  int n = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) n += GetWindowPixel(hwnd, x, y) == color;
  return n;
}

std::pair<int, int> InkSpan(HWND hwnd, RECT rect, COLORREF background) {
  int first = -1, last = -1;
  for (int x = rect.left; x < rect.right; ++x)
    for (int y = rect.top; y < rect.bottom; ++y)
      if (GetWindowPixel(hwnd, x, y) != background) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

}  // namespace drev::widgets_test
