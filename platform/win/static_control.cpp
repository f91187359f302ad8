// The "Static" class: a text label (SS_LEFT, SS_CENTER, SS_RIGHT) that repaints when its text changes.
#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/controls_internal.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win::detail {

namespace {

void PaintStatic(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  DWORD style = static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE));
  UINT align = gdi::DT_LEFT;
  if ((style & SS_TYPEMASK) == SS_CENTER) align = gdi::DT_CENTER;
  if ((style & SS_TYPEMASK) == SS_RIGHT) align = gdi::DT_RIGHT;
  dc->FillSolidRect(client, gdi::GetSysColor(gdi::COLOR_BTNFACE));
  gdi::CFont* old = dc->SelectObject(ControlFont(hwnd));
  dc->SetBkMode(gdi::TRANSPARENT);
  dc->SetTextColor(IsWindowEnabled(hwnd) ? gdi::GetSysColor(gdi::COLOR_WINDOWTEXT) : gdi::GetSysColor(gdi::COLOR_GRAYTEXT));
  dc->DrawText(GetWindowText(hwnd), &client, align | gdi::DT_WORDBREAK);
  if (old) dc->SelectObject(old);
  EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT: {
      LRESULT result = DefWindowProc(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_PAINT: PaintStatic(hwnd); return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::win::detail
