// A top-level window that hosts the widgets under test and records what they tell their parent,
// and helpers that read what the screen shows.
#pragma once

#include <functional>
#include <vector>

#include "platform/gdi/syscolor.h"
#include "platform/win/afxcmn.h"
#include "platform/win/paint.h"

namespace drev::widgets_test {

using namespace plat;
using namespace plat::win;

// One message a child sent to its parent.
struct Received {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  UINT code;  // the notification code for WM_NOTIFY, else 0
};

class Host : public CWnd {
 public:
  // A visible top-level window of `width` x `height` client pixels (no frame).
  Host(int width = 400, int height = 300);
  ~Host() override;
  std::vector<Received> received;
  // Messages to record besides WM_NOTIFY (registered messages, for example).
  std::vector<UINT> watched;
  int CountOf(UINT msg, UINT code = 0) const;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

// The colour the window shows at a client point (after painting what is pending).
inline COLORREF Pixel(HWND hwnd, int x, int y) { return GetWindowPixel(hwnd, x, y); }
// How many pixels of `rect` (client coordinates) show `color`.
int CountPixels(HWND hwnd, RECT rect, COLORREF color);
// The horizontal extent [first, last] of pixels in `rect` that are not `background`; {-1, -1} when
// every pixel is the background.
std::pair<int, int> InkSpan(HWND hwnd, RECT rect, COLORREF background);

// Restores the classic system colours when it goes.
struct SysColorsGuard {
  ~SysColorsGuard() { gdi::ResetSysColors(); }
};

}  // namespace drev::widgets_test
