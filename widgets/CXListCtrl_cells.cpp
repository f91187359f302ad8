// CXListCtrl: the cell attributes, the check boxes with the header state upkeep, and cell refresh.
#include <cstdlib>

#include "platform/win/message.h"
#include "widgets/CXListCtrl.h"

namespace drev {

namespace pw = plat::win;
using plat::BOOL;
using plat::COLORREF;

namespace {
constexpr COLORREF kCachedColour = static_cast<COLORREF>(-1);
}

BOOL CXListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
  // The view refuses a row out of range itself (and then nothing is repainted).
  if (nItem < 0 || nSubItem < 0 || nSubItem >= GetColumns()) return 0;
  BOOL result = CListCtrl::SetItemText(nItem, nSubItem, text);
  if (result) UpdateSubItem(nItem, nSubItem);
  return result;
}

BOOL CXListCtrl::SetItemText(int nItem, int nSubItem, const char* text, COLORREF crText, COLORREF crBackground) {
  if (nItem < 0 || nItem >= GetItemCount() || nSubItem < 0 || nSubItem >= GetColumns()) return 0;
  BOOL result = text ? CListCtrl::SetItemText(nItem, nSubItem, text) : 1;
  if (XListCellData* cell = Cell(nItem, nSubItem)) {
    cell->textColor = crText == kCachedColour ? m_crWindowText : crText;
    cell->backColor = crBackground == kCachedColour ? m_crWindow : crBackground;
  }
  UpdateSubItem(nItem, nSubItem);
  return result;
}

int CXListCtrl::SetItem(const pw::LVITEM* pItem) {
  if (!pItem) return 0;
  if (pItem->iItem < 0) return -1;
  // The item parameter carries the records: a caller's value goes to the row's caller value.
  pw::LVITEM item = *pItem;
  item.mask &= ~pw::LVIF_PARAM;
  if (!CListCtrl::SetItem(&item)) return 0;
  XListCellData* cell = Cell(pItem->iItem, pItem->iSubItem);
  if (!cell) return 0;
  if (pItem->mask & pw::LVIF_PARAM)
    if (XListCellData* first = Cell(pItem->iItem, 0)) first->userData = static_cast<pw::DWORD_PTR>(pItem->lParam);
  cell->image = pItem->iImage;
  UpdateSubItem(pItem->iItem, pItem->iSubItem);
  return 1;
}

BOOL CXListCtrl::SetItemImage(int nItem, int nSubItem, int nImage) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return 0;
  cell->image = nImage;
  UpdateSubItem(nItem, nSubItem);
  return 1;
}

void CXListCtrl::SetCellImage(int nItem, int nSubItem, int nImage) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return;
  cell->cellImage = nImage;
  UpdateSubItem(nItem, nSubItem);
}

int CXListCtrl::GetCellImage(int nItem, int nSubItem) {
  XListCellData* cell = Cell(nItem, nSubItem);
  return cell ? cell->cellImage : -1;
}

BOOL CXListCtrl::SetCheckbox(int nItem, int nSubItem, int nCheckedState) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return 0;
  NoteCheck(nSubItem, cell->check, nCheckedState);
  cell->check = nCheckedState;
  // A row without a box in the column counts as unchecked. The header hears only of a change.
  if (const int header = GetHeaderCheckedState(nSubItem); header != 0) {
    const int wanted = CountCheckedItems(nSubItem) == GetItemCount() ? 2 : 1;
    if (wanted != header) SetHeaderCheckedState(nSubItem, wanted);
  }
  UpdateSubItem(nItem, nSubItem);
  return 1;
}

int CXListCtrl::GetCheckbox(int nItem, int nSubItem) {
  XListCellData* cell = Cell(nItem, nSubItem);
  return cell ? cell->check : -1;
}

BOOL CXListCtrl::SetHeaderCheckedState(int nSubItem, int nCheckedState) {
  if (nSubItem < 0 || nSubItem >= GetColumns()) return 0;
  pw::HWND header = HeaderWindow();
  pw::HDITEM item;
  item.mask = pw::HDI_IMAGE;
  item.iImage = nCheckedState;
  pw::SendMessage(header, pw::HDM_SETITEMA, static_cast<plat::WPARAM>(nSubItem), reinterpret_cast<plat::LPARAM>(&item));
  return 1;
}

int CXListCtrl::GetHeaderCheckedState(int nSubItem) {
  if (nSubItem < 0 || nSubItem >= GetColumns()) return -1;
  pw::HWND header = HeaderWindow();
  pw::HDITEM item;
  item.mask = pw::HDI_IMAGE;
  if (!pw::SendMessage(header, pw::HDM_GETITEMA, static_cast<plat::WPARAM>(nSubItem), reinterpret_cast<plat::LPARAM>(&item)))
    return -1;
  return item.iImage;
}

int CXListCtrl::CountCheckedItems(int nSubItem) {
  if (nSubItem < 0 || nSubItem >= GetColumns()) return 0;
  return static_cast<std::size_t>(nSubItem) < m_nChecked.size() ? m_nChecked[static_cast<std::size_t>(nSubItem)] : 0;
}

BOOL CXListCtrl::SetBold(int nItem, int nSubItem, BOOL bBold) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return 0;
  cell->bold = bBold;
  UpdateSubItem(nItem, nSubItem);
  return 1;
}

BOOL CXListCtrl::GetBold(int nItem, int nSubItem) {
  XListCellData* cell = Cell(nItem, nSubItem);
  return cell ? cell->bold : 0;
}

BOOL CXListCtrl::SetEnabled(int nItem, BOOL bEnable) {
  XListCellData* cell = Cell(nItem, 0);
  if (!cell) return 0;
  cell->enabled = bEnable;
  plat::RECT row{};
  if (GetItemRect(nItem, &row, pw::LVIR_BOUNDS)) {
    InvalidateRect(&row, plat::TRUE);
    UpdateWindow();
  }
  return 1;
}

BOOL CXListCtrl::GetEnabled(int nItem) {
  XListCellData* cell = Cell(nItem, 0);
  return cell ? cell->enabled : 0;
}

BOOL CXListCtrl::SetProgress(int nItem, int nSubItem, BOOL bShowProgressText, const char* lpszProgressText) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return 0;
  cell->hasProgress = 1;
  cell->progressPercent = 0;
  cell->showProgressText = bShowProgressText;
  cell->progressText = lpszProgressText ? lpszProgressText : "";
  UpdateSubItem(nItem, nSubItem);
  return 1;
}

void CXListCtrl::UpdateProgress(int nItem, int nSubItem, int nPercent) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return;
  cell->progressPercent = nPercent;
  UpdateSubItem(nItem, nSubItem);
}

void CXListCtrl::DeleteProgress(int nItem, int nSubItem) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return;
  cell->hasProgress = 0;
  cell->progressPercent = 0;
  UpdateSubItem(nItem, nSubItem);
}

BOOL CXListCtrl::SetItemToolTipText(int nItem, int nSubItem, const char* text) {
  XListCellData* cell = Cell(nItem, nSubItem);
  if (!cell) return 0;
  cell->tooltip = text ? text : "";
  return 1;
}

std::string CXListCtrl::GetItemToolTipText(int nItem, int nSubItem) {
  XListCellData* cell = Cell(nItem, nSubItem);
  return cell ? cell->tooltip : std::string();
}

void CXListCtrl::DeleteAllToolTips() {
  for (int row = 0, n = GetItemCount(); row < n; ++row)
    if (XListRowData* records = GetRowData(row))
      for (XListCellData& cell : records->cells) cell.tooltip.clear();
}

BOOL CXListCtrl::SetItemData(int nItem, pw::DWORD_PTR dwData) {
  XListRowData* records = GetRowData(nItem);
  if (!records || records->cells.empty()) return 0;
  records->cells[0].userData = dwData;
  return 1;
}

pw::DWORD_PTR CXListCtrl::GetItemData(int nItem) {
  XListRowData* records = GetRowData(nItem);
  return (records && !records->cells.empty()) ? records->cells[0].userData : 0;
}

int CXListCtrl::GetCurSel() { return GetNextItem(-1, pw::LVNI_SELECTED); }

BOOL CXListCtrl::GetSubItemRect(int nItem, int nSubItem, int nArea, plat::RECT& rect) {
  if (nItem < 0 || nItem >= GetItemCount() || nSubItem < 0 || nSubItem >= GetColumns()) return 0;
  BOOL result = CListCtrl::GetSubItemRect(nItem, nSubItem, nArea, rect);
  // The platform answers the whole row for column 0; the cell ends where column 1 begins.
  if (result && nSubItem == 0 && GetColumns() > 1) {
    plat::RECT next{};
    if (CListCtrl::GetSubItemRect(nItem, 1, pw::LVIR_BOUNDS, next)) rect.right = next.left;
  }
  return result;
}

void CXListCtrl::UpdateSubItem(int nItem, int nSubItem) {
  if (m_bRedrawHeld) return;
  plat::RECT cell{};
  if (!GetSubItemRect(nItem, nSubItem, pw::LVIR_BOUNDS, cell)) return;
  InvalidateRect(&cell, plat::TRUE);
  UpdateWindow();
}

}  // namespace drev
