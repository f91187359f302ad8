// The attachment dialog's window side: set-up of the list, resizing, the list's notices and the
// teardown of every record when the window goes.
#include <algorithm>

#include "attachments/CMainFrm.h"
#include "platform/shell/system_icons.h"
#include "platform/text/text.h"
#include "platform/win/commctrl.h"
#include "resources/Resource.h"

namespace drev {

namespace pw = plat::win;

namespace {

constexpr plat::DWORD kListExtendedStyle = pw::LVS_EX_FULLROWSELECT | pw::LVS_EX_TRACKSELECT;  // 0x28
constexpr plat::COLORREF kTransparent = plat::RGB(0xFF, 0x00, 0xFF);
constexpr int kHeaderImageWidth = 16;
constexpr int kCellImageWidth = 95;
constexpr int kImageGrowth = 3;
// Room the list keeps beside the fixed columns (its border and a little air).
constexpr int kColumnSlack = 4;

}  // namespace

void CMainFrm::DoDataExchange(pw::CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  pw::DDX_Control(pDX, IDC_ATTACH_LIST, m_ctlList);
}

plat::BOOL CMainFrm::OnInitDialog() {
  CDialog::OnInitDialog();  // m_ctlList takes over control 201 here

  m_dropTarget.Register(GetSafeHwnd());
  // The settings normally come from the control before the dialog is made; else they are taken
  // from the control now.
  if (!m_pSettings && m_pControl != nullptr) m_pSettings = m_pControl->GetUploadSettings();

  m_ctlList.SetExtendedStyle(kListExtendedStyle);
  m_ctlList.EnableToolTips(plat::TRUE);
  SetSystemImageList();
  InitColumns();

  m_pTotals = std::make_unique<ATTACH_TOTALS>();
  return plat::TRUE;
}

// The list shows each file's icon from the system small-icon list, which it only borrows.
void CMainFrm::SetSystemImageList() {
  plat::shell::SHFILEINFOA info;
  auto list = plat::shell::SHGetFileInfoA("C:\\", 0, &info, sizeof info,
                                          plat::shell::SHGFI_SYSICONINDEX | plat::shell::SHGFI_SMALLICON);
  if (list) m_ctlList.SetImageList(reinterpret_cast<plat::gdi::CImageList*>(list), pw::LVSIL_SMALL);
}

void CMainFrm::InitColumns() {
  struct Column {
    const char* title;
    int width;
    int format;
    bool image;
  };
  const Column columns[] = {
      {"", 40, pw::LVCFMT_LEFT | pw::LVCFMT_BITMAP_ON_RIGHT, true},
      {"파일명", 170, pw::LVCFMT_LEFT | pw::LVCFMT_BITMAP_ON_RIGHT, false},
      {"크기", 70, pw::LVCFMT_CENTER, true},
  };
  for (int i = 0; i < 3; ++i) {
    std::string title = plat::text::Ansi(columns[i].title);
    pw::LVCOLUMN column;
    column.mask = pw::LVCF_FMT | pw::LVCF_WIDTH | pw::LVCF_TEXT | pw::LVCF_SUBITEM;
    column.fmt = columns[i].format;
    column.cx = columns[i].width;
    column.pszText = title.data();
    column.iSubItem = i;
    if (columns[i].image) {
      column.mask |= pw::LVCF_IMAGE;
      column.iImage = 0;
    }
    m_ctlList.InsertColumn(i, &column);
    m_nFixedWidth += columns[i].width;
  }

  m_ctlList.m_cImageListHeader.Create(IDB_HEADER_CHECKS, kHeaderImageWidth, kImageGrowth, kTransparent);
  m_ctlList.m_cImageListCell.Create(IDB_CELL_PICTURES, kCellImageWidth, kImageGrowth, kTransparent);
  pw::CHeaderCtrl* header = m_ctlList.GetHeaderCtrl();
  header->SetImageList(&m_ctlList.m_cImageListHeader);
  // Column 0's header shows the empty check box, the others the blank picture.
  for (int i = 0, n = header->GetItemCount(); i < n; ++i) {
    pw::HDITEM item;
    item.mask = pw::HDI_FORMAT | pw::HDI_IMAGE;
    header->GetItem(i, &item);
    item.fmt |= pw::HDF_IMAGE;
    item.iImage = i == 0 ? 1 : 0;
    header->SetItem(i, &item);
  }
  m_ctlList.SetBkImage(IDB_DROP_HINT);
}

// The list fills the dialog; the name column takes what the fixed columns leave.
void CMainFrm::OnSize(int cx, int cy) {
  if (!m_ctlList.GetSafeHwnd()) return;
  m_ctlList.MoveWindow(0, 0, cx, cy, plat::TRUE);
  // A dialog narrower than the fixed columns leaves the name column empty rather than handing the
  // list a negative width (which it would read as one of its automatic sizing codes).
  m_ctlList.SetColumnWidth(1, std::max(0, cx - m_nFixedWidth - kColumnSlack));
}

// Every record goes with the window: rows' records (the rows go with the list), images, deletions.
void CMainFrm::OnDestroy() {
  m_listUpload.clear();
  for (int row = GetRowCount() - 1; row >= 0; --row) TakeRecord(row);
  m_listImage.clear();
  m_listDelete.clear();
  m_pTotals.reset();
  m_dropTarget.Revoke();
}

plat::LRESULT CMainFrm::OnNotify(const pw::NMHDR* header) {
  if (!header || static_cast<int>(header->idFrom) != IDC_ATTACH_LIST) return Default();
  switch (header->code) {
    case pw::LVN_COLUMNCLICK:
    case pw::LVN_ITEMCHANGED:
      return 0;
    case pw::LVN_DELETEITEM:
      OnDeleteItem(reinterpret_cast<const pw::NMLISTVIEW*>(header));
      return 0;
    case pw::LVN_DELETEALLITEMS:
      // Nonzero: no notice per row. Only for the manager's own removal of every row, whose records
      // it has taken out already; a list emptied on its own still hands each row's record over.
      return m_bRemovingAllRows ? 1 : 0;
    default:
      return Default();
  }
}

// A row the list removes on its own still owning a record: the record goes with it. The manager's
// own removals take the record out first, so for them there is nothing left to do here.
void CMainFrm::OnDeleteItem(const pw::NMLISTVIEW* notice) {
  if (notice->iItem == -1 || notice->iSubItem == -1) return;
  TakeRecord(notice->iItem);
}

plat::LRESULT CMainFrm::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (msg) {
    case pw::WM_SIZE: {
      plat::LRESULT result = CDialog::WindowProc(msg, wParam, lParam);
      OnSize(plat::LOWORD(static_cast<std::uintptr_t>(lParam)), plat::HIWORD(static_cast<std::uintptr_t>(lParam)));
      return result;
    }
    case pw::WM_DESTROY:
      OnDestroy();
      return CDialog::WindowProc(msg, wParam, lParam);
    case pw::WM_NOTIFY:
      return OnNotify(reinterpret_cast<const pw::NMHDR*>(lParam));
    case pw::WM_DROPFILES:
      OnDropFiles(reinterpret_cast<plat::shell::HDROP>(wParam));
      return 0;
    default:
      return CDialog::WindowProc(msg, wParam, lParam);
  }
}

}  // namespace drev
