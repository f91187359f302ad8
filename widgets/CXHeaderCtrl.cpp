// CXHeaderCtrl: the whole-header paint (face, dividers, raised frame, images, captions), the image
// size taken when an image list is attached, and the colours refreshed on a system colour change.
#include "widgets/CXHeaderCtrl.h"

#include <algorithm>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/image_list.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/commctrl.h"
#include "platform/win/window_dc.h"
#include "widgets/AnsiPrefix.h"
#include "widgets/CMemoryDC.h"

namespace drev {

using plat::COLORREF;
using plat::RECT;
namespace gdi = plat::gdi;
namespace win = plat::win;

namespace {

constexpr COLORREF kCaptionColor = 0x000000;

// One header item as the paint needs it: the platform's record plus its caption, cut to the
// longest caption the header shows.
struct ItemView {
  win::HDITEM item;
  std::string caption;
};

ItemView ReadItem(const win::CHeaderCtrl& header, int index) {
  ItemView view;
  char buffer[256] = {};
  view.item.mask = win::HDI_WIDTH | win::HDI_TEXT | win::HDI_FORMAT | win::HDI_IMAGE;
  view.item.pszText = buffer;
  view.item.cchTextMax = static_cast<int>(sizeof buffer);
  header.GetItem(index, &view.item);
  view.caption = AnsiPrefix(buffer, CXHeaderCtrl::kMaxCaption);
  view.item.pszText = nullptr;
  return view;
}

}  // namespace

CXHeaderCtrl::CXHeaderCtrl() { ReadSysColors(); }

void CXHeaderCtrl::ReadSysColors() {
  m_cr3DHighLight = gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT);
  m_cr3DShadow = gdi::GetSysColor(gdi::COLOR_BTNSHADOW);
  m_cr3DFace = gdi::GetSysColor(gdi::COLOR_BTNFACE);
}

plat::LRESULT CXHeaderCtrl::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (msg) {
    case win::WM_ERASEBKGND: return plat::TRUE;  // the paint covers the whole area
    case win::WM_PAINT: OnPaint(); return 0;
    case win::HDM_SETIMAGELIST: return OnSetImageList(reinterpret_cast<gdi::CImageList*>(lParam));
    case win::HDM_INSERTITEMA:
    case win::HDM_DELETEITEM:
    case win::WM_NCDESTROY: {
      // Forgotten before (a notice sent meanwhile asks afresh) and after (the count it met may be
      // the old one).
      m_nItemCount = -1;
      const plat::LRESULT result = CHeaderCtrl::WindowProc(msg, wParam, lParam);
      m_nItemCount = -1;
      return result;
    }
    case win::WM_SYSCOLORCHANGE: {
      plat::LRESULT result = Default();
      ReadSysColors();
      Invalidate();
      return result;
    }
    default: return CHeaderCtrl::WindowProc(msg, wParam, lParam);
  }
}

int CXHeaderCtrl::GetKeptItemCount() {
  if (m_nItemCount < 0) m_nItemCount = m_hWnd ? static_cast<int>(SendMessage(win::HDM_GETITEMCOUNT)) : 0;
  return m_nItemCount;
}

plat::LRESULT CXHeaderCtrl::OnSetImageList(gdi::CImageList* images) {
  gdi::IMAGEINFO info;
  if (images && images->GetImageInfo(0, &info))
    m_sizeImage = plat::SIZE{info.rcImage.Width(), info.rcImage.Height()};
  return Default();
}

void CXHeaderCtrl::OnPaint() {
  win::CPaintDC dc(this);
  if (!dc.GetDC()) return;
  if (m_bDoubleBuffer) {
    CMemoryDC mem(dc);
    PaintHeader(mem);
  } else {
    PaintHeader(*dc.GetDC());
  }
}

void CXHeaderCtrl::PaintHeader(gdi::CDC& dc) {
  RECT clip{};
  if (dc.GetClipBox(&clip) == gdi::ERROR_REGION) return;
  RECT client{};
  GetClientRect(&client);
  dc.FillSolidRect(clip, m_cr3DFace);

  gdi::CPen highlight(gdi::PS_SOLID, 1, m_cr3DHighLight);
  gdi::CPen shadow(gdi::PS_SOLID, 1, m_cr3DShadow);
  gdi::CPen* oldPen = dc.GetCurrentPen();
  gdi::CFont* oldFont = nullptr;
  if (gdi::CFont* font = GetFont()) oldFont = dc.SelectObject(font);
  dc.SetBkColor(m_cr3DFace);

  const int count = GetItemCount();
  int total = 0;
  for (int i = 0; i < count; ++i) {
    const int index = OrderToIndex(i);
    ItemView view = ReadItem(*this, index);
    RECT rect{};
    GetItemRect(index, &rect);
    RECT inner{rect.left + m_nSpacing, rect.top, rect.right - m_nSpacing, rect.bottom};
    DrawItem(dc, inner, view.item, view.caption);
    if (i < count - 1) {
      dc.SelectObject(&shadow);
      dc.MoveTo(rect.right - 1, rect.top + 2);
      dc.LineTo(rect.right - 1, rect.bottom - 2);
      dc.SelectObject(&highlight);
      dc.MoveTo(rect.right, rect.top + 2);
      dc.LineTo(rect.right, rect.bottom - 2);
    }
    total += view.item.cxy;
  }
  if (total > 0)
    dc.Draw3dRect(RECT{client.left, client.top, client.left + total, client.bottom}, m_cr3DHighLight, m_cr3DShadow);

  if (oldFont) dc.SelectObject(oldFont);
  if (oldPen) dc.SelectObject(oldPen);
}

void CXHeaderCtrl::DrawItem(gdi::CDC& dc, RECT rect, const win::HDITEM& item, const std::string& caption) {
  gdi::CImageList* images = GetImageList();
  if (item.iImage != 0 && images && rect.Width() > 0) {
    const plat::POINT at{rect.left, (rect.top + rect.bottom) / 2 - m_sizeImage.cy / 2};
    const plat::SIZE shown{std::min(rect.Width(), m_sizeImage.cx), m_sizeImage.cy};
    // Transparent pixels take the header's face, the context's background colour.
    const COLORREF oldBk = images->SetBkColor(dc.GetBkColor());
    images->DrawIndirect(&dc, item.iImage, at, shown, plat::POINT{0, 0});
    images->SetBkColor(oldBk);
    rect.left += m_nSpacing + m_sizeImage.cx;
  }
  dc.SetTextColor(kCaptionColor);
  if (rect.Width() > 0 && (item.fmt & win::HDF_STRING) && !caption.empty())
    dc.DrawText(caption, &rect,
                gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
}

}  // namespace drev
