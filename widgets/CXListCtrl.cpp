// CXListCtrl: rows and their record arrays, the colour cache, the header take-over and the window's
// life cycle.
#include "widgets/CXListCtrl.h"

#include <memory>

#include "platform/gdi/syscolor.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace drev {

namespace pw = plat::win;
using plat::BOOL;
using plat::COLORREF;
using plat::LPARAM;
using plat::LRESULT;

CXListCtrl::CXListCtrl() { GetColors(); }

CXListCtrl::~CXListCtrl() {
  // The records go with the window: let the window's end release them while this object is whole.
  if (m_hWnd && pw::IsWindow(m_hWnd)) DestroyWindow();
}

void CXListCtrl::GetColors() {
  using namespace plat::gdi;
  m_crGrayText = GetSysColor(COLOR_GRAYTEXT);
  m_crHighLight = GetSysColor(COLOR_HIGHLIGHT);
  m_crHighLightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  m_crWindow = GetSysColor(COLOR_WINDOW);
  m_crWindowText = GetSysColor(COLOR_WINDOWTEXT);
  m_cr3DFace = GetSysColor(COLOR_3DFACE);
  m_crBtnShadow = GetSysColor(COLOR_BTNSHADOW);
}

XListRowData* CXListCtrl::GetRowData(int nItem) {
  // The view answers 0 for a row out of range, which is no records.
  if (nItem < 0) return nullptr;
  return XListRowData::FromParam(static_cast<LPARAM>(CListCtrl::GetItemData(nItem)));
}

XListCellData* CXListCtrl::Cell(int nItem, int nSubItem) {
  if (nSubItem < 0 || nSubItem >= GetColumns()) return nullptr;
  XListRowData* row = GetRowData(nItem);
  return row ? row->Cell(nSubItem) : nullptr;
}

pw::HWND CXListCtrl::HeaderWindow() {
  if (m_bHeaderIsSubclassed && m_HeaderCtrl.m_hWnd) return m_HeaderCtrl.m_hWnd;
  return reinterpret_cast<pw::HWND>(SendMessage(pw::LVM_GETHEADER));
}

int CXListCtrl::GetColumns() {
  // The taken-over header keeps its count; it sees every insertion and deletion of its items.
  if (m_bHeaderIsSubclassed && m_HeaderCtrl.m_hWnd) return m_HeaderCtrl.GetKeptItemCount();
  pw::HWND header = HeaderWindow();
  return header ? static_cast<int>(pw::SendMessage(header, pw::HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CXListCtrl::InsertItem(int nItem, const char* text) { return InsertItem(nItem, text, m_crWindowText, m_crWindow); }

int CXListCtrl::InsertItem(int nItem, const char* text, COLORREF crText, COLORREF crBackground) {
  pw::LVITEM item;
  item.mask = pw::LVIF_TEXT;
  item.iItem = nItem;
  item.pszText = const_cast<char*>(text);
  return InsertRow(&item, crText, crBackground);
}

int CXListCtrl::InsertItem(const pw::LVITEM* pItem) { return InsertRow(pItem, m_crWindowText, m_crWindow); }

int CXListCtrl::InsertRow(const pw::LVITEM* pItem, COLORREF crText, COLORREF crBackground) {
  // Without a list window nothing can hold the row (a send to no window answers 0, which would look
  // like row 0 and leave the records without an owner).
  if (!pItem || pItem->iItem < 0 || !pw::IsWindow(GetSafeHwnd())) return -1;
  // The records exist before the row does, so no notice ever sees the row without them.
  auto records = std::make_unique<XListRowData>();
  const int columns = GetColumns();
  records->cells.resize(static_cast<std::size_t>(std::max(columns, 1)));
  XListCellData& first = records->cells[0];
  // Colours of a caller's own apply to a column that exists; a row made without columns keeps the
  // cached ones.
  const bool own = columns > 0;
  first.textColor = own ? crText : m_crWindowText;
  first.backColor = own ? crBackground : m_crWindow;
  first.image = (pItem->mask & pw::LVIF_IMAGE) ? pItem->iImage : -1;
  if (pItem->mask & pw::LVIF_PARAM) first.userData = static_cast<pw::DWORD_PTR>(pItem->lParam);
  pw::LVITEM item = *pItem;
  item.mask |= pw::LVIF_PARAM;
  item.lParam = reinterpret_cast<LPARAM>(records.get());
  int index = CListCtrl::InsertItem(&item);
  if (index >= 0) records.release();  // the row owns them now
  return index;
}

void CXListCtrl::NoteCheck(int nSubItem, int before, int after) {
  if (nSubItem < 0 || (before == 1) == (after == 1)) return;
  if (static_cast<std::size_t>(nSubItem) >= m_nChecked.size()) m_nChecked.resize(static_cast<std::size_t>(nSubItem) + 1);
  m_nChecked[static_cast<std::size_t>(nSubItem)] += after == 1 ? 1 : -1;
}

void CXListCtrl::ReleaseRow(int nItem) {
  XListRowData* records = GetRowData(nItem);
  if (!records) return;
  for (std::size_t sub = 0; sub < records->cells.size(); ++sub) NoteCheck(static_cast<int>(sub), records->cells[sub].check, -1);
  CListCtrl::SetItemData(nItem, 0);
  delete records;
}

BOOL CXListCtrl::DeleteItem(int nItem) {
  if (nItem < 0 || nItem >= GetItemCount()) return 0;
  ReleaseRow(nItem);
  return CListCtrl::DeleteItem(nItem);
}

BOOL CXListCtrl::DeleteAllItems() {
  // Drawing is held while each row lets go of its records: the whole list is repainted once after,
  // not row by row.
  const bool hold = !m_bRedrawHeld && GetSafeHwnd();
  if (hold) SetRedraw(plat::FALSE);
  for (int row = 0, n = GetItemCount(); row < n; ++row) ReleaseRow(row);
  const BOOL result = CListCtrl::DeleteAllItems();
  if (hold) SetRedraw(plat::TRUE);
  return result;
}

void CXListCtrl::OnDestroy() {
  for (int row = 0, n = GetItemCount(); row < n; ++row) ReleaseRow(row);
}

void CXListCtrl::SubclassHeaderControl() {
  if (m_bHeaderIsSubclassed) return;
  pw::HWND header = reinterpret_cast<pw::HWND>(SendMessage(pw::LVM_GETHEADER));
  if (header && m_HeaderCtrl.SubclassWindow(header)) m_bHeaderIsSubclassed = true;
}

void CXListCtrl::PreSubclassWindow() {
  CListCtrl::PreSubclassWindow();
  SubclassHeaderControl();
}

LRESULT CXListCtrl::WindowProc(plat::UINT msg, plat::WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case pw::WM_CREATE: {
      LRESULT result = Default();
      if (result != -1) SubclassHeaderControl();
      return result;
    }
    case pw::WM_DESTROY:
      OnDestroy();
      return Default();
    case pw::WM_NCDESTROY: {
      LRESULT result = Default();
      m_bHeaderIsSubclassed = false;
      m_bRedrawHeld = false;
      return result;
    }
    case pw::WM_SYSCOLORCHANGE: {
      LRESULT result = Default();
      GetColors();
      return result;
    }
    case pw::WM_LBUTTONDOWN:
      OnLButtonDown(static_cast<plat::UINT>(wParam), plat::POINT{plat::GET_X_LPARAM(lParam), plat::GET_Y_LPARAM(lParam)});
      return 0;
    case pw::WM_PAINT: OnPaint(); return 0;
    case pw::WM_SETREDRAW:
      m_bRedrawHeld = wParam == 0;
      return Default();
    case pw::LVM_INSERTITEMA: {
      // The first row hides the empty-list picture, which lies outside the rows the view repaints.
      LRESULT result = Default();
      if (result == 0 && HasBkImage() && GetItemCount() == 1) Invalidate();
      return result;
    }
    case pw::WM_NOTIFY:
      if (auto* hdr = reinterpret_cast<pw::NMHDR*>(lParam);
          hdr && (hdr->code == pw::TTN_NEEDTEXTA || hdr->code == pw::TTN_NEEDTEXTW)) {
        return OnToolTipText(hdr) ? 0 : Default();
      }
      return CListCtrl::WindowProc(msg, wParam, lParam);
    default: return CListCtrl::WindowProc(msg, wParam, lParam);
  }
}

}  // namespace drev
