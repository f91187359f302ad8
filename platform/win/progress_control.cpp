// The "msctls_progress32" class: range, position and step with the platform's messages; a position
// change repaints the bar at once.
#include <memory>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/commctrl.h"
#include "platform/win/controls_internal.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

namespace {

struct ProgressState : ControlData {
  int lower = 0;
  int upper = 100;
  int pos = 0;
  int step = 10;

  void Coerce() {
    if (pos < lower) pos = lower;
    if (pos > upper) pos = upper;
  }
};

LRESULT PackRange(const ProgressState& s) {
  return MAKELRESULT(static_cast<WORD>(s.lower), static_cast<WORD>(s.upper));
}

void Repaint(HWND hwnd) {
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
}

LRESULT SetRange(HWND hwnd, ProgressState& s, int lower, int upper) {
  LRESULT previous = PackRange(s);
  if (s.lower == lower && s.upper == upper) return previous;
  s.lower = lower;
  s.upper = upper;
  s.Coerce();
  InvalidateRect(hwnd, nullptr, TRUE);
  return previous;
}

LRESULT MovePos(HWND hwnd, ProgressState& s, int pos) {
  int previous = s.pos;
  s.pos = pos;
  s.Coerce();
  if (s.pos != previous) Repaint(hwnd);
  return previous;
}

void PaintProgress(HWND hwnd, const ProgressState& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  dc->FillSolidRect(client, gdi::GetSysColor(gdi::COLOR_BTNFACE));
  if (s.upper > s.lower && s.pos > s.lower) {
    long long filled = static_cast<long long>(client.Width()) * (s.pos - s.lower) / (s.upper - s.lower);
    dc->FillSolidRect(RECT{0, 0, static_cast<LONG>(filled), client.bottom}, gdi::GetSysColor(gdi::COLOR_HIGHLIGHT));
  }
  EndPaint(hwnd, &ps);
}

LRESULT Handle(HWND hwnd, ProgressState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case PBM_SETRANGE:
      return SetRange(hwnd, s, LOWORD(static_cast<std::uintptr_t>(lParam)), HIWORD(static_cast<std::uintptr_t>(lParam)));
    case PBM_SETRANGE32: return SetRange(hwnd, s, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE:
      if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = PBRANGE{s.lower, s.upper};
      return wParam ? s.lower : s.upper;
    case PBM_SETPOS: return MovePos(hwnd, s, static_cast<int>(wParam));
    case PBM_DELTAPOS: return MovePos(hwnd, s, s.pos + static_cast<int>(wParam));
    case PBM_GETPOS: return s.pos;
    case PBM_SETSTEP: {
      int previous = s.step;
      s.step = static_cast<int>(wParam);
      return previous;
    }
    case PBM_STEPIT: {
      int previous = s.pos;
      int next = s.pos + s.step;
      // Past the top the bar starts over from the bottom, as the platform's does.
      if (next > s.upper) next = s.upper > s.lower ? s.lower + (next - s.lower) % (s.upper - s.lower) : s.lower;
      s.pos = next;
      s.Coerce();
      if (s.pos != previous) Repaint(hwnd);
      return previous;
    }
    case WM_PAINT: PaintProgress(hwnd, s); return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) SetControl(hwnd, std::make_shared<ProgressState>());
  auto state = ControlOf<ProgressState>(hwnd);
  if (!state) return DefWindowProc(hwnd, msg, wParam, lParam);
  return Handle(hwnd, *state, msg, wParam, lParam);
}

}  // namespace plat::win::detail
