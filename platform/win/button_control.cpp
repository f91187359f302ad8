// The "Button" class: push buttons (BM_CLICK and mouse clicks send WM_COMMAND BN_CLICKED to the
// parent), check boxes and group boxes.
#include <memory>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/controls_internal.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

namespace {

struct ButtonState : ControlData {
  bool pressed = false;
  int check = BST_UNCHECKED;
};

DWORD Kind(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

void Clicked(HWND hwnd) {
  if (!IsWindowEnabled(hwnd)) return;
  DWORD kind = Kind(hwnd);
  if (kind == BS_GROUPBOX) return;
  if (kind == BS_AUTOCHECKBOX)
    if (auto s = ControlOf<ButtonState>(hwnd)) {
      s->check = s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
      InvalidateRect(hwnd, nullptr, TRUE);
    }
  HWND parent = GetParent(hwnd);
  if (parent)
    SendMessage(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), BN_CLICKED),
                reinterpret_cast<LPARAM>(hwnd));
}

// The keyboard focus mark: a dotted rectangle of every other pixel in the button text's colour.
void DrawFocusMark(HDC dc, RECT r) {
  const COLORREF ink = gdi::GetSysColor(gdi::COLOR_BTNTEXT);
  for (int x = r.left; x < r.right; x += 2) {
    dc->SetPixel(x, r.top, ink);
    dc->SetPixel(x, r.bottom - 1, ink);
  }
  for (int y = r.top; y < r.bottom; y += 2) {
    dc->SetPixel(r.left, y, ink);
    dc->SetPixel(r.right - 1, y, ink);
  }
}

void PaintButton(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  auto state = ControlOf<ButtonState>(hwnd);
  gdi::CFont* old = dc->SelectObject(ControlFont(hwnd));
  dc->SetBkMode(gdi::TRANSPARENT);
  dc->SetTextColor(gdi::GetSysColor(IsWindowEnabled(hwnd) ? gdi::COLOR_BTNTEXT : gdi::COLOR_GRAYTEXT));
  std::string text = GetWindowText(hwnd);
  dc->FillSolidRect(client, gdi::GetSysColor(gdi::COLOR_BTNFACE));
  if (Kind(hwnd) == BS_GROUPBOX) {
    SIZE extent = dc->GetTextExtent(text);
    RECT frame{client.left, client.top + extent.cy / 2, client.right, client.bottom};
    dc->DrawEdge(&frame, gdi::BDR_SUNKENOUTER | gdi::BDR_RAISEDINNER, gdi::BF_RECT);
    if (!text.empty()) {
      RECT label{client.left + 8, client.top, client.left + 8 + extent.cx + 4, client.top + extent.cy};
      dc->FillSolidRect(label, gdi::GetSysColor(gdi::COLOR_BTNFACE));
      label.left += 2;
      dc->DrawText(text, &label, gdi::DT_LEFT | gdi::DT_SINGLELINE);
    }
  } else {
    RECT face = client;
    dc->DrawEdge(&face, (state && state->pressed) ? gdi::EDGE_SUNKEN : gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_ADJUST);
    dc->DrawText(text, &face, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    if (GetFocus() == hwnd) DrawFocusMark(dc, RECT{face.left + 1, face.top + 1, face.right - 1, face.bottom - 1});
  }
  if (old) dc->SelectObject(old);
  EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_NCCREATE:
      SetControl(hwnd, std::make_shared<ButtonState>());
      return DefWindowProc(hwnd, msg, wParam, lParam);
    case BM_CLICK: Clicked(hwnd); return 0;
    case BM_GETCHECK: {
      auto s = ControlOf<ButtonState>(hwnd);
      return s ? s->check : 0;
    }
    case BM_SETCHECK:
      if (auto s = ControlOf<ButtonState>(hwnd)) s->check = static_cast<int>(wParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
      if (auto s = ControlOf<ButtonState>(hwnd)) s->pressed = true;
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      auto s = ControlOf<ButtonState>(hwnd);
      bool wasPressed = s && s->pressed;
      if (s) s->pressed = false;
      InvalidateRect(hwnd, nullptr, TRUE);
      RECT client{};
      GetClientRect(hwnd, &client);
      if (wasPressed && client.Contains(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) Clicked(hwnd);
      return 0;
    }
    case WM_SETTEXT:
    case WM_ENABLE: {
      LRESULT result = DefWindowProc(hwnd, msg, wParam, lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return msg == WM_SETTEXT ? result : 0;
    }
    case WM_PAINT: PaintButton(hwnd); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_KEYUP:
      // Space presses the focused button, as a click does.
      if (wParam == VK_SPACE && Kind(hwnd) != BS_GROUPBOX) Clicked(hwnd);
      return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace plat::win::detail
