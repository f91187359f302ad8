// CGradientProgressCtrl: range and position upkeep, the cross-thread position hand-over, and the
// band-by-band gradient paint.
#include "widgets/CGradientProgressCtrl.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/commctrl.h"
#include "platform/win/message.h"
#include "platform/win/window_dc.h"
#include "widgets/CMemoryDC.h"

namespace drev {

using plat::COLORREF;
using plat::RECT;
namespace gdi = plat::gdi;
namespace win = plat::win;

namespace {

struct Gradient {
  COLORREF start;
  COLORREF end;
  COLORREF background;
};

// Fills bands of the gradient from the left edge until one reaches past barEnd, then the rest of the
// bar with the background. A pixel's colour depends only on its x in the whole bar; the position
// only decides how much is revealed, rounded up to a whole band.
void PaintGradient(gdi::CDC& dc, const RECT& client, int barEnd, const Gradient& g) {
  const int width = client.Width();
  const int height = client.Height();
  // Float rounding can leave the last band short of the right edge: those pixels show background.
  dc.FillSolidRect(client, g.background);
  const int r0 = plat::GetRValue(g.start), g0 = plat::GetGValue(g.start), b0 = plat::GetBValue(g.start);
  const int dR = plat::GetRValue(g.end) - r0;
  const int dG = plat::GetGValue(g.end) - g0;
  const int dB = plat::GetBValue(g.end) - b0;
  int nSteps = std::max({std::abs(dR), std::abs(dG), std::abs(dB)});
  if (nSteps == 0) {
    // Equal colours: one band of the start colour, as wide as the position reveals.
    dc.FillSolidRect(RECT{0, 0, barEnd, height}, g.start);
    return;
  }
  const float bandWidth = static_cast<float>(width) / static_cast<float>(nSteps);
  const float rStep = static_cast<float>(dR) / static_cast<float>(nSteps);
  const float gStep = static_cast<float>(dG) / static_cast<float>(nSteps);
  const float bStep = static_cast<float>(dB) / static_cast<float>(nSteps);
  for (int i = 0; i < nSteps; ++i) {
    const int left = static_cast<int>(static_cast<float>(i) * bandWidth);
    const int right = static_cast<int>(static_cast<float>(i + 1) * bandWidth);
    const auto channel = [i](int base, float step) {
      return static_cast<plat::BYTE>(static_cast<int>(static_cast<float>(base) + static_cast<float>(i) * step) & 0xFF);
    };
    gdi::CBrush brush(plat::RGB(channel(r0, rStep), channel(g0, gStep), channel(b0, bStep)));
    dc.FillRect(RECT{left, 0, right, height + 1}, &brush);
    if (right > barEnd) {
      dc.FillSolidRect(RECT{right, 0, width, height}, g.background);
      break;
    }
  }
}

}  // namespace

CGradientProgressCtrl::CGradientProgressCtrl() : m_clrBkgnd(gdi::GetSysColor(gdi::COLOR_BTNFACE)) {}

void CGradientProgressCtrl::PreSubclassWindow() { m_hBar.store(m_hWnd); }

void CGradientProgressCtrl::PostNcDestroy() { m_hBar.store(nullptr); }

void CGradientProgressCtrl::SetRange(int lower, int upper) {
  m_nLower = lower;
  m_nUpper = upper;
  m_nPos.store(lower);
  if (!m_hWnd) return;
  CProgressCtrl::SetRange(static_cast<short>(lower), static_cast<short>(upper));
  // Keeps the platform bar's own position in step with ours.
  SendMessage(win::PBM_SETPOS, static_cast<plat::WPARAM>(lower));
}

int CGradientProgressCtrl::SetPos(int pos) {
  const int previous = m_nPos.exchange(pos);
  if (previous == pos) return previous;
  if (win::HWND bar = m_hBar.load()) win::SendMessage(bar, win::PBM_SETPOS, static_cast<plat::WPARAM>(pos), 0);
  return previous;
}

int CGradientProgressCtrl::SetStep(int step) {
  const int previous = m_nStep;
  m_nStep = step;
  if (m_hWnd) CProgressCtrl::SetStep(step);
  return previous;
}

int CGradientProgressCtrl::StepIt() {
  const int previous = m_nPos.fetch_add(m_nStep);
  if (m_hWnd) CProgressCtrl::StepIt();
  return previous;
}

plat::LRESULT CGradientProgressCtrl::ForwardAndRepaint() {
  m_bPainted = false;
  const plat::LRESULT result = Default();
  // The platform bar repaints only when its own (clamped) position moved; ours may have moved
  // without it, e.g. past the upper end.
  if (!m_bPainted) {
    Invalidate(plat::FALSE);
    UpdateWindow();
  }
  return result;
}

plat::LRESULT CGradientProgressCtrl::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (msg) {
    case win::WM_ERASEBKGND: return plat::TRUE;  // the paint covers every pixel
    case win::WM_PAINT: OnPaint(); return 0;
    case win::PBM_SETPOS:
    case win::PBM_STEPIT:
    case win::PBM_SETRANGE:
    case win::PBM_SETRANGE32: return ForwardAndRepaint();
    default: return CProgressCtrl::WindowProc(msg, wParam, lParam);
  }
}

void CGradientProgressCtrl::OnPaint() {
  m_bPainted = true;
  win::CPaintDC dc(this);
  if (!dc.GetDC()) return;
  RECT client{};
  GetClientRect(&client);
  const int pos = m_nPos.load();
  if (pos <= m_nLower || pos > m_nUpper) {
    dc->FillSolidRect(client, gdi::GetSysColor(gdi::COLOR_BTNFACE));
    return;
  }
  const double span = static_cast<double>(m_nUpper) - static_cast<double>(m_nLower);
  const double done = static_cast<double>(pos) - static_cast<double>(m_nLower);
  const int barEnd = static_cast<int>(client.Width() * done / span);
  {
    CMemoryDC mem(dc);
    PaintGradient(mem, client, barEnd, Gradient{m_clrStart, m_clrEnd, m_clrBkgnd});
  }  // the off-screen picture reaches the screen here, before the text
  if (!m_bShowPercent) return;
  char text[32];
  std::snprintf(text, sizeof text, "%3.0f %%", done * 100.0 / span);
  gdi::CFont* oldFont = nullptr;
  if (gdi::CFont* font = GetFont()) oldFont = dc->SelectObject(font);
  dc->SetTextColor(m_clrText);
  dc->SetBkMode(gdi::TRANSPARENT);
  dc->DrawText(text, &client, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  if (oldFont) dc->SelectObject(oldFont);
}

}  // namespace drev
