// CGradientProgressCtrl: range and position upkeep, the cross-thread position hand-over, and the
// gradient paint from a picture of the whole gradient kept for the bar's size and colours.
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

// The band layout of a gradient across `width` pixels: nSteps bands (the largest change of one
// colour component), band i from trunc(i * bandWidth) to trunc((i + 1) * bandWidth), its colour
// start + trunc(i * step) per component. All in single precision, so that every paint puts the
// band edges and colours at the same pixels.
struct Bands {
  int r0, g0, b0;
  int nSteps;
  float bandWidth, rStep, gStep, bStep;

  Bands(const Gradient& g, int width)
      : r0(plat::GetRValue(g.start)), g0(plat::GetGValue(g.start)), b0(plat::GetBValue(g.start)) {
    const int dR = plat::GetRValue(g.end) - r0;
    const int dG = plat::GetGValue(g.end) - g0;
    const int dB = plat::GetBValue(g.end) - b0;
    nSteps = std::max({std::abs(dR), std::abs(dG), std::abs(dB)});
    const float steps = static_cast<float>(std::max(nSteps, 1));
    bandWidth = static_cast<float>(width) / steps;
    rStep = static_cast<float>(dR) / steps;
    gStep = static_cast<float>(dG) / steps;
    bStep = static_cast<float>(dB) / steps;
  }
  int Edge(int i) const { return static_cast<int>(static_cast<float>(i) * bandWidth); }
  COLORREF Color(int i) const {
    const auto channel = [i](int base, float step) {
      return static_cast<plat::BYTE>(static_cast<int>(static_cast<float>(base) + static_cast<float>(i) * step) & 0xFF);
    };
    return plat::RGB(channel(r0, rStep), channel(g0, gStep), channel(b0, bStep));
  }
  // How far from the left edge a paint shows the gradient when the position reaches barEnd: bands
  // are revealed from the left until one reaches past barEnd, so the reveal ends at that band's
  // right edge; when none does, every band shows (pixels that float rounding leaves past the last
  // band show background either way).
  int RevealedWidth(int barEnd, int width) const {
    if (nSteps == 0) return std::min(barEnd, width);  // equal colours: one band up to barEnd
    for (int i = 0; i < nSteps; ++i) {
      const int right = Edge(i + 1);
      if (right > barEnd) return right;
    }
    return width;
  }
};

// The whole gradient across the bar, every band painted, with background where no band reaches.
// A paint shows its left part, so the picture depends only on the size and the colours.
void PaintFullGradient(gdi::CDC& dc, int width, int height, const Gradient& g) {
  const Bands bands(g, width);
  dc.FillSolidRect(RECT{0, 0, width, height}, g.background);
  if (bands.nSteps == 0) {
    dc.FillSolidRect(RECT{0, 0, width, height}, g.start);
    return;
  }
  for (int i = 0; i < bands.nSteps; ++i) {
    gdi::CBrush brush(bands.Color(i));
    dc.FillRect(RECT{bands.Edge(i), 0, bands.Edge(i + 1), height}, &brush);
  }
}

}  // namespace

// The gradient drawn across the whole bar for one size and set of colours.
struct CGradientProgressCtrl::GradientPicture {
  gdi::CDC dc;
  gdi::CBitmap bitmap;
  gdi::CBitmap* previous = nullptr;
  int width = 0;
  int height = 0;
  Gradient colors{};

  ~GradientPicture() {
    if (previous != nullptr) dc.SelectObject(previous);
  }
  bool Matches(int w, int h, const Gradient& g) const {
    return w == width && h == height && g.start == colors.start && g.end == colors.end &&
           g.background == colors.background;
  }
};

CGradientProgressCtrl::CGradientProgressCtrl() : m_clrBkgnd(gdi::GetSysColor(gdi::COLOR_BTNFACE)) {}

CGradientProgressCtrl::~CGradientProgressCtrl() = default;

CGradientProgressCtrl::GradientPicture& CGradientProgressCtrl::PictureFor(gdi::CDC* target, int width, int height) {
  const Gradient colors{m_clrStart, m_clrEnd, m_clrBkgnd};
  if (m_pPicture && m_pPicture->Matches(width, height, colors)) return *m_pPicture;
  m_pPicture.reset();
  auto picture = std::make_unique<GradientPicture>();
  picture->dc.CreateCompatibleDC(target);
  picture->bitmap.CreateCompatibleBitmap(target, width, height);
  picture->previous = picture->dc.SelectObject(&picture->bitmap);
  picture->width = width;
  picture->height = height;
  picture->colors = colors;
  PaintFullGradient(picture->dc, width, height, colors);
  m_pPicture = std::move(picture);
  return *m_pPicture;
}

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
  const int width = client.Width();
  const int height = client.Height();
  const int barEnd = static_cast<int>(width * done / span);
  const Gradient colors{m_clrStart, m_clrEnd, m_clrBkgnd};
  // The gradient is drawn off-screen once for the bar's size and colours; each paint copies the
  // part the position reveals and fills the rest with the background.
  GradientPicture& picture = PictureFor(dc.GetDC(), width, height);
  const int revealed = Bands(colors, width).RevealedWidth(barEnd, width);
  if (revealed > 0) dc->BitBlt(0, 0, revealed, height, &picture.dc, 0, 0, gdi::SRCCOPY);
  if (revealed < width) dc->FillSolidRect(RECT{revealed, 0, width, height}, m_clrBkgnd);
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
