// CXListCtrl: drawing every cell from its record through the list view's custom-draw notification —
// cell images, progress bars, check boxes, small images and texts, with the selection colours.
#include <algorithm>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/image_list.h"
#include "platform/gdi/objects.h"
#include "widgets/CXListCtrl.h"
#include "widgets/ProgressCellText.h"

namespace drev {

namespace pw = plat::win;
namespace gdi = plat::gdi;
using plat::COLORREF;
using plat::LRESULT;
using plat::RECT;

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kTrough = 0xE0E0E0;  // the empty part of a progress cell
constexpr int kBoxInset = 7;            // a check box's distance from the cell's left edge
constexpr int kBoxTextGap = 4;          // between a check box and its text

// The tick of a checked box: seven vertical strokes of three pixels, as {dx, dy} from the box's
// top-left corner (after its one-pixel shift).
constexpr struct {
  int dx, dy;
} kTick[] = {{9, 3}, {8, 4}, {7, 5}, {6, 6}, {5, 7}, {4, 6}, {3, 5}};

// Draws `text` in `rect` with `format`, in a bold copy of the current font when `bold`.
void DrawCellText(gdi::CDC* dc, const std::string& text, RECT rect, plat::UINT format, bool bold) {
  gdi::CFont boldFont;
  gdi::CFont* oldFont = nullptr;
  if (bold) {
    gdi::LOGFONT lf;
    if (gdi::CFont* current = dc->GetCurrentFont(); current && current->GetLogFont(&lf)) {
      lf.lfWeight = gdi::FW_BOLD;
      boldFont.CreateFontIndirect(lf);
      oldFont = dc->SelectObject(&boldFont);
    }
  }
  dc->DrawText(text, &rect, format);
  if (oldFont) dc->SelectObject(oldFont);
}

}  // namespace

plat::BOOL CXListCtrl::OnChildNotify(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam, LRESULT* pResult) {
  auto* hdr = reinterpret_cast<pw::NMHDR*>(lParam);
  if (msg != pw::WM_NOTIFY || !hdr || hdr->hwndFrom != m_hWnd)
    return CListCtrl::OnChildNotify(msg, wParam, lParam, pResult);
  if (hdr->code == pw::NM_CUSTOMDRAW) {
    LRESULT result = OnCustomDraw(*reinterpret_cast<pw::NMLVCUSTOMDRAW*>(lParam));
    if (pResult) *pResult = result;
    return plat::TRUE;
  }
  if (hdr->code == pw::LVN_COLUMNCLICK) {
    if (OnColumnClick(*reinterpret_cast<pw::NMLISTVIEW*>(lParam))) {
      if (pResult) *pResult = 0;
      return plat::TRUE;
    }
    return plat::FALSE;  // the parent hears of the click too
  }
  return CListCtrl::OnChildNotify(msg, wParam, lParam, pResult);
}

LRESULT CXListCtrl::OnCustomDraw(pw::NMLVCUSTOMDRAW& cd) {
  switch (cd.nmcd.dwDrawStage) {
    case pw::CDDS_PREPAINT: return pw::CDRF_NOTIFYITEMDRAW;
    case pw::CDDS_ITEMPREPAINT: return pw::CDRF_NOTIFYSUBITEMDRAW;
    case pw::CDDS_ITEMPREPAINT | pw::CDDS_SUBITEM: break;
    default: return pw::CDRF_DODEFAULT;
  }
  const int nItem = static_cast<int>(cd.nmcd.dwItemSpec);
  const int nSubItem = cd.iSubItem;
  XListRowData* records = XListRowData::FromParam(cd.nmcd.lItemlParam);
  XListCellData* cell = records ? records->Cell(nSubItem) : nullptr;
  // A row without a record for this cell is drawn in the default colours as plain text.
  if (!cell) records = nullptr;
  COLORREF crText = m_crWindowText;
  COLORREF crBkgnd = m_crWindow;
  if (cell) {
    crText = cell->textColor;
    crBkgnd = cell->backColor;
    if (!records->cells[0].enabled) crText = m_crGrayText;
  }
  cd.clrText = crText;
  cd.clrTextBk = crBkgnd;
  RECT rect{};
  GetSubItemRect(nItem, nSubItem, pw::LVIR_BOUNDS, rect);
  gdi::CDC* dc = cd.nmcd.hdc;
  if (cell && cell->cellImage != -1) {
    DrawImage(nItem, nSubItem, dc, crText, crBkgnd, rect, records, true);
  } else if (cell && cell->hasProgress) {
    DrawProgress(nItem, nSubItem, dc, crText, crBkgnd, rect, records);
  } else if (cell && cell->check != -1) {
    DrawCheckbox(nItem, nSubItem, dc, crText, crBkgnd, rect, records);
  } else {
    rect.left += DrawImage(nItem, nSubItem, dc, crText, crBkgnd, rect, records, false);
    DrawText(nItem, nSubItem, dc, crText, crBkgnd, rect, records);
  }
  return pw::CDRF_SKIPDEFAULT;
}

void CXListCtrl::GetDrawColors(int nItem, int nSubItem, COLORREF& crText, COLORREF& crBkgnd) {
  const bool selected = GetItemState(nItem, pw::LVIS_SELECTED) & pw::LVIS_SELECTED;
  const bool fullRow = GetExtendedStyle() & pw::LVS_EX_FULLROWSELECT;
  if (!selected || !(fullRow || nSubItem == 0)) return;
  if (pw::CWnd::GetFocus() == this) {
    crText = m_crHighLightText;
    crBkgnd = m_crHighLight;
  } else if (GetStyle() & pw::LVS_SHOWSELALWAYS) {
    crText = m_crWindowText;
    crBkgnd = m_cr3DFace;
  }
}

int CXListCtrl::DrawImage(int nItem, int nSubItem, gdi::CDC* pDC, COLORREF crText, COLORREF crBkgnd, RECT rect,
                          XListRowData* pRecords, bool cellImage) {
  GetDrawColors(nItem, nSubItem, crText, crBkgnd);
  pDC->FillSolidRect(rect, crBkgnd);
  const int spacing = m_HeaderCtrl.GetSpacing();
  rect.left += spacing;
  XListCellData* cell = pRecords ? pRecords->Cell(nSubItem) : nullptr;
  if (!cell) return 0;
  const int index = cellImage ? cell->cellImage : cell->image;
  gdi::CImageList* images = cellImage ? &m_cImageListCell : GetImageList(pw::LVSIL_SMALL);
  if (index == -1 || !images) return 0;
  gdi::IMAGEINFO info;
  if (!images->GetImageInfo(index, &info)) return 0;
  const int w = info.rcImage.Width();
  const int h = info.rcImage.Height();
  if (rect.Width() <= 0) return 0;
  const plat::POINT at{rect.left, (rect.top + rect.bottom) / 2 - h / 2};
  const plat::SIZE shown{std::min(w, static_cast<int>(rect.Width())), std::min(h, static_cast<int>(rect.Height()))};
  // Transparent pixels take the cell's background for this draw.
  const COLORREF oldBk = images->SetBkColor(crBkgnd);
  images->DrawIndirect(pDC, index, at, shown, plat::POINT{0, 0});
  images->SetBkColor(oldBk);
  return spacing + w;
}

int CXListCtrl::HeaderFormat(int nSubItem) {
  pw::HDITEM item;
  item.mask = pw::HDI_FORMAT;
  return m_HeaderCtrl.m_hWnd && m_HeaderCtrl.GetItem(nSubItem, &item) ? item.fmt : 0;
}

void CXListCtrl::DrawText(int nItem, int nSubItem, gdi::CDC* pDC, COLORREF crText, COLORREF crBkgnd, RECT rect,
                          XListRowData* pRecords) {
  GetDrawColors(nItem, nSubItem, crText, crBkgnd);
  pDC->FillSolidRect(rect, crBkgnd);
  const std::string text = GetItemText(nItem, nSubItem);
  if (text.empty()) return;
  plat::UINT align = gdi::DT_LEFT;
  switch (HeaderFormat(nSubItem) & pw::HDF_JUSTIFYMASK) {
    case pw::HDF_CENTER: align = gdi::DT_CENTER; break;
    case pw::HDF_RIGHT: align = gdi::DT_RIGHT; break;
    default: break;
  }
  XListCellData* cell = pRecords ? pRecords->Cell(nSubItem) : nullptr;
  pDC->SetBkMode(gdi::TRANSPARENT);
  pDC->SetTextColor(crText);
  // File names may hold '&': shown as written, never as an underline prefix.
  DrawCellText(pDC, text, rect, align | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX, cell && cell->bold);
}

void CXListCtrl::DrawCheckbox(int nItem, int nSubItem, gdi::CDC* pDC, COLORREF crText, COLORREF crBkgnd, RECT rect,
                              XListRowData* pRecords) {
  GetDrawColors(nItem, nSubItem, crText, crBkgnd);
  pDC->FillSolidRect(rect, crBkgnd);
  const std::string text = GetItemText(nItem, nSubItem);
  RECT box{rect.left + kBoxInset, rect.top, 0, rect.bottom - 3};
  const int side = box.bottom - box.top;
  box.right = box.left + side;
  if (text.empty()) {
    box.left = rect.Width() / 2 - side / 2 + rect.left - 1;
    box.right = box.left + side;
  }
  pDC->FillSolidRect(box, m_crWindow);
  box.left += 1;
  RECT edge = box;
  pDC->DrawEdge(&edge, gdi::EDGE_SUNKEN, gdi::BF_RECT);

  XListCellData* cell = pRecords ? pRecords->Cell(nSubItem) : nullptr;
  if (cell && cell->check == 1) {
    const bool enabled = pRecords->cells[0].enabled;
    gdi::CPen pen(gdi::PS_SOLID, 1, enabled ? kBlack : m_crGrayText);
    gdi::CPen* oldPen = pDC->SelectObject(&pen);
    for (const auto& stroke : kTick) {
      pDC->MoveTo(box.left + stroke.dx, box.top + stroke.dy);
      pDC->LineTo(box.left + stroke.dx, box.top + stroke.dy + 3);
    }
    if (oldPen) pDC->SelectObject(oldPen);
  }
  if (text.empty()) return;
  RECT textRect{box.right + kBoxTextGap, rect.top, rect.right, rect.bottom};
  pDC->SetBkMode(gdi::TRANSPARENT);
  pDC->SetTextColor(crText);
  pDC->DrawText(text, &textRect, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
}

void CXListCtrl::DrawProgress(int nItem, int nSubItem, gdi::CDC* pDC, COLORREF crText, COLORREF crBkgnd, RECT rect,
                              XListRowData* pRecords) {
  (void)nItem;
  XListCellData* cell = pRecords ? pRecords->Cell(nSubItem) : nullptr;
  if (!cell) return;
  const int L = rect.left + 1, T = rect.top, R = rect.right - 2, B = rect.bottom - 1;

  gdi::CPen shadow(gdi::PS_SOLID, 1, m_crBtnShadow);
  gdi::CPen* oldPen = pDC->SelectObject(&shadow);
  pDC->MoveTo(L, B);
  pDC->LineTo(R + 1, B);
  pDC->MoveTo(L, T);
  pDC->LineTo(R, T);
  pDC->MoveTo(L, T);
  pDC->LineTo(L, B);
  pDC->MoveTo(R, T);
  pDC->LineTo(R, B);
  pDC->FillSolidRect(RECT{L + 1, T + 1, R, B}, kTrough);
  gdi::CPen black(gdi::PS_SOLID, 1, kBlack);
  pDC->SelectObject(&black);
  pDC->MoveTo(L + 1, T + 1);
  pDC->LineTo(R - 1, T + 1);
  pDC->MoveTo(L + 1, T + 1);
  pDC->LineTo(L + 1, B - 1);
  if (oldPen) pDC->SelectObject(oldPen);

  if (cell->progressPercent <= 0) return;
  const RECT bar{L + 2, T + 2, L + 2 + (R - L - 2) * cell->progressPercent / 100, B};
  pDC->FillSolidRect(bar, m_crHighLight);
  if (!cell->showProgressText) return;
  const std::string text = FormatProgressCellText(cell->progressText, cell->progressPercent);
  const RECT textRect{L + 1, T + 2, R - 1, B - 1};
  const plat::UINT format = gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX;
  // Twice, clipped: over the bar in the cell's background colour, over the trough in its text colour.
  const struct {
    RECT clip;
    COLORREF colour;
  } parts[] = {{bar, crBkgnd}, {RECT{bar.right + 1, T, R, B}, crText}};
  pDC->SetBkMode(gdi::TRANSPARENT);
  for (const auto& part : parts) {
    const int saved = pDC->SaveDC();
    pDC->IntersectClipRect(part.clip);
    pDC->SetTextColor(part.colour);
    RECT r = textRect;
    pDC->DrawText(text, &r, format);
    pDC->RestoreDC(saved);
  }
}

}  // namespace drev
