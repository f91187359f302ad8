// CXListCtrl: mouse clicks on check boxes, the header's check-all box, the empty-list picture and
// the cells' tooltips.
#include <algorithm>
#include <cstring>
#include <string>

#include "platform/gdi/dc.h"
#include "platform/text/text.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "widgets/AnsiPrefix.h"
#include "widgets/CXListCtrl.h"

namespace drev {

namespace pw = plat::win;
namespace gdi = plat::gdi;
using plat::BOOL;
using plat::RECT;

const plat::UINT WM_XLISTCTRL_CHECKBOX_CLICKED = pw::RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED");

namespace {

// The tooltip request's fixed buffer holds 80 characters with the terminator.
constexpr std::size_t kTipChars = 79;
constexpr int kToolIdPerRow = 1000;

}  // namespace

void CXListCtrl::OnLButtonDown(plat::UINT nFlags, plat::POINT point) {
  (void)nFlags;
  int nItem = -1;
  for (int row = 0, n = GetItemCount(); row < n && nItem < 0; ++row) {
    RECT bounds{};
    if (GetItemRect(row, &bounds, pw::LVIR_BOUNDS) && bounds.Contains(point)) nItem = row;
  }
  if (nItem < 0) {
    Default();
    return;
  }
  XListRowData* records = GetRowData(nItem);
  if (!records || records->cells.empty() || !records->cells[0].enabled) return;  // swallowed
  int nSubItem = -1;
  for (int column = 0, n = GetColumns(); column < n && nSubItem < 0; ++column) {
    RECT cell{};
    if (GetSubItemRect(nItem, column, pw::LVIR_BOUNDS, cell) && cell.Contains(point)) nSubItem = column;
  }
  XListCellData* cell = nSubItem >= 0 ? records->Cell(nSubItem) : nullptr;
  if (cell && cell->check >= 0) {
    const int after = cell->check == 0 ? 1 : 0;
    NoteCheck(nSubItem, cell->check, after);
    cell->check = after;
    UpdateSubItem(nItem, nSubItem);
    pw::HWND target = reinterpret_cast<pw::HWND>(pw::GetWindowLongPtr(m_hWnd, pw::GWLP_HWNDPARENT));
    if (target && pw::IsWindow(target))
      pw::SendMessage(target, WM_XLISTCTRL_CHECKBOX_CLICKED, static_cast<plat::WPARAM>(nItem),
                      static_cast<plat::LPARAM>(nSubItem));
    // The handler may have changed the list: the header follows what is there now.
    if (GetHeaderCheckedState(nSubItem) > 0)
      SetHeaderCheckedState(nSubItem, CountCheckedItems(nSubItem) == GetItemCount() ? 2 : 1);
  }
  Default();
}

BOOL CXListCtrl::OnColumnClick(const pw::NMLISTVIEW& nm) {
  const int nSubItem = nm.iSubItem;
  const int state = GetHeaderCheckedState(nSubItem);
  if (state <= 0) return plat::FALSE;
  const int newState = state == 1 ? 2 : 1;
  SetHeaderCheckedState(nSubItem, newState);
  if (m_HeaderCtrl.m_hWnd) {
    m_HeaderCtrl.Invalidate();
    m_HeaderCtrl.UpdateWindow();
  }
  for (int row = 0, n = GetItemCount(); row < n; ++row) {
    XListCellData* cell = Cell(row, nSubItem);
    if (!cell || cell->check == -1) continue;
    cell->check = newState == 2 ? 1 : 0;
    UpdateSubItem(row, nSubItem);
  }
  return plat::FALSE;
}

void CXListCtrl::OnPaint() {
  Default();  // the list view paints its rows first
  if (GetItemCount() == 0 && HasBkImage()) PaintBkImage();
}

void CXListCtrl::PaintBkImage() {
  pw::CClientDC dc(this);
  if (!dc.GetDC()) return;
  RECT client{};
  GetClientRect(&client);
  RECT area = client;
  RECT headerItem{};
  if (m_HeaderCtrl.m_hWnd && m_HeaderCtrl.GetItemRect(0, &headerItem)) {
    plat::POINT corner{headerItem.left, headerItem.bottom};
    pw::MapWindowPoints(m_HeaderCtrl.m_hWnd, m_hWnd, &corner, 1);
    area.top = corner.y;
  }
  dc->FillSolidRect(area, m_crWindow);
  dc->IntersectClipRect(client);
  gdi::CPalette* oldPalette = nullptr;
  const bool palettes = dc->GetDeviceCaps(gdi::RASTERCAPS) & gdi::RC_PALETTE;
  if (palettes && m_palBkImage.IsCreated()) {
    oldPalette = dc->SelectPalette(&m_palBkImage, plat::FALSE);
    dc->RealizePalette();
  }
  gdi::CDC memory;
  memory.CreateCompatibleDC(dc);
  gdi::CBitmap* oldBitmap = memory.SelectObject(&m_bmpBkImage);
  // 5 pixels right of the centre across, centred in the whole client height.
  const int x = (client.Width() - m_nBkImageWidth + 10) / 2;
  const int y = (client.Height() - m_nBkImageHeight) / 2;
  dc->BitBlt(x, y, m_nBkImageWidth, m_nBkImageHeight, &memory, 0, 0, gdi::SRCCOPY);
  if (oldBitmap) memory.SelectObject(oldBitmap);
  if (oldPalette) dc->SelectPalette(oldPalette, plat::FALSE);
}

pw::INT_PTR CXListCtrl::OnToolHitTest(plat::POINT point, pw::TOOLINFOA* pTI) const {
  pw::LVHITTESTINFO hit;
  hit.pt = point;
  SendMessage(pw::LVM_SUBITEMHITTEST, 0, reinterpret_cast<plat::LPARAM>(&hit));
  if (hit.iItem < 0 || !(hit.flags & pw::LVHT_ONITEMLABEL)) return -1;
  const pw::INT_PTR id = static_cast<pw::INT_PTR>(hit.iItem) * kToolIdPerRow + hit.iSubItem + 1;
  if (pTI) {
    pTI->hwnd = m_hWnd;
    pTI->uId = static_cast<pw::UINT_PTR>(id);
    pTI->lpszText = pw::LPSTR_TEXTCALLBACKA;
    GetClientRect(&pTI->rect);
  }
  return id;
}

BOOL CXListCtrl::OnToolTipText(pw::NMHDR* pNMHDR) {
  if (pNMHDR->idFrom == 0) return plat::TRUE;  // no tool: nothing to say
  const plat::DWORD pos = pw::GetMessagePos();
  plat::POINT point{static_cast<short>(plat::LOWORD(pos)), static_cast<short>(plat::HIWORD(pos))};
  ScreenToClient(&point);
  pw::LVHITTESTINFO hit;
  hit.pt = point;
  SendMessage(pw::LVM_SUBITEMHITTEST, 0, reinterpret_cast<plat::LPARAM>(&hit));
  if (hit.iItem < 0 || !(hit.flags & pw::LVHT_ONITEMLABEL)) return plat::FALSE;
  const std::string tip = GetItemToolTipText(hit.iItem, hit.iSubItem);
  if (tip.empty()) return plat::FALSE;
  if (pNMHDR->code == pw::TTN_NEEDTEXTA) {
    auto* info = reinterpret_cast<pw::NMTTDISPINFOA*>(pNMHDR);
    const std::string shown = AnsiPrefix(tip, kTipChars);
    std::memcpy(info->szText, shown.data(), shown.size());
    info->szText[shown.size()] = '\0';
  } else {
    auto* info = reinterpret_cast<pw::NMTTDISPINFOW*>(pNMHDR);
    std::u16string wide = plat::text::Cp949ToUtf16(tip);
    if (wide.size() > kTipChars) wide.resize(kTipChars);
    std::copy(wide.begin(), wide.end(), info->szText);
    info->szText[wide.size()] = u'\0';
  }
  return plat::FALSE;
}

}  // namespace drev
