// CXListCtrl: records travelling with their rows, release before the deletion notice, column 0's
// rectangle, the header state upkeep, out-of-range answers, colours and the empty-list picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/gdi/syscolor.h"
#include "platform/kernel/resource.h"
#include "platform/win/afxcmn.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "widgets/CXListCtrl.h"

namespace pw = plat::win;
using plat::COLORREF;
using plat::RECT;

namespace {

using namespace drev;

// The list's parent: records what GetItemData answers while each deletion notice is handled.
class ListParent : public pw::CWnd {
 public:
  CXListCtrl* list = nullptr;
  std::vector<std::pair<int, pw::DWORD_PTR>> dataAtDelete;

  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override {
    if (msg == pw::WM_NOTIFY) {
      auto* hdr = reinterpret_cast<pw::NMHDR*>(lParam);
      if (hdr->code == pw::LVN_DELETEITEM && list) {
        auto* nm = reinterpret_cast<pw::NMLISTVIEW*>(lParam);
        dataAtDelete.emplace_back(nm->iItem, list->GetItemData(nm->iItem));
        return 0;
      }
    }
    return CWnd::WindowProc(msg, wParam, lParam);
  }
};

// The list answers its own custom-draw notification; this one also counts the cells it was asked
// to draw.
class CountingList : public CXListCtrl {
 public:
  int subItemDraws = 0;

 protected:
  plat::BOOL OnChildNotify(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT* pResult) override {
    auto* hdr = reinterpret_cast<pw::NMHDR*>(lParam);
    if (msg == pw::WM_NOTIFY && hdr && hdr->code == pw::NM_CUSTOMDRAW &&
        reinterpret_cast<pw::NMLVCUSTOMDRAW*>(lParam)->nmcd.dwDrawStage == (pw::CDDS_ITEMPREPAINT | pw::CDDS_SUBITEM))
      ++subItemDraws;
    return CXListCtrl::OnChildNotify(msg, wParam, lParam, pResult);
  }
};

class CXListCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent.CreateEx(0, "#32770", "", pw::WS_POPUP | pw::WS_VISIBLE, RECT{0, 0, 400, 300}, nullptr, 0);
    ASSERT_TRUE(list.Create(pw::WS_CHILD | pw::WS_VISIBLE | pw::LVS_REPORT, RECT{0, 0, 380, 250}, &parent, 201));
    parent.list = &list;
    list.InsertColumn(0, "", pw::LVCFMT_LEFT, 40);
    list.InsertColumn(1, "name", pw::LVCFMT_LEFT, 170);
    list.InsertColumn(2, "size", pw::LVCFMT_CENTER, 70);
  }
  void TearDown() override {
    parent.DestroyWindow();
    plat::gdi::ResetSysColors();
  }
  void AddRows(int count) {
    for (int i = list.GetItemCount(), end = i + count; i < end; ++i) {
      std::string text = "row" + std::to_string(i);
      ASSERT_EQ(list.InsertItem(i, text.c_str()), i);
      list.SetItemData(i, static_cast<pw::DWORD_PTR>(1000 + i));
    }
  }

  ListParent parent;
  CountingList list;
};

TEST_F(CXListCtrlTest, RecordsTravelWithTheirRowsWhenAnEarlierRowIsDeleted) {
  AddRows(3);
  list.SetCheckbox(2, 0, 1);
  list.SetBold(2, 1, 1);
  list.SetItemText(2, 2, "12KB", plat::RGB(0x78, 0x78, 0x78), plat::RGB(0xFF, 0xFF, 0xFF));
  list.SetItemToolTipText(2, 1, "tip of row 2");
  list.SetCellImage(2, 1, 2);
  ASSERT_TRUE(list.DeleteItem(1));
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(1, 0), "row2");
  EXPECT_EQ(list.GetItemData(1), 1002u);
  EXPECT_EQ(list.GetCheckbox(1, 0), 1);
  EXPECT_EQ(list.GetBold(1, 1), 1);
  EXPECT_EQ(list.GetItemToolTipText(1, 1), "tip of row 2");
  EXPECT_EQ(list.GetCellImage(1, 1), 2);
  EXPECT_EQ(list.GetRowData(1)->cells[2].textColor, plat::RGB(0x78, 0x78, 0x78));
  EXPECT_EQ(list.GetCheckbox(0, 0), -1);  // row 0 kept its own records
  EXPECT_EQ(list.GetItemData(0), 1000u);
}

TEST_F(CXListCtrlTest, DeletionNoticesFindTheRecordsAlreadyReleased) {
  AddRows(4);
  list.DeleteItem(2);
  list.DeleteAllItems();
  AddRows(2);
  list.DestroyWindow();
  using Seen = std::vector<std::pair<int, pw::DWORD_PTR>>;
  EXPECT_EQ(parent.dataAtDelete, (Seen{{2, 0}, {2, 0}, {1, 0}, {0, 0}, {1, 0}, {0, 0}}));
}

TEST_F(CXListCtrlTest, DeletingAllRowsRepaintsOnceAndKeepsACallersHoldOnDrawing) {
  AddRows(3);
  list.UpdateWindow();
  list.DeleteAllItems();
  RECT pending{};
  EXPECT_TRUE(pw::GetUpdateRect(list.m_hWnd, &pending, plat::FALSE));
  list.UpdateWindow();

  AddRows(2);
  list.UpdateWindow();
  list.SetRedraw(plat::FALSE);
  list.DeleteAllItems();
  AddRows(1);
  list.subItemDraws = 0;
  list.UpdateWindow();
  EXPECT_EQ(list.subItemDraws, 0);  // still held by its caller
  EXPECT_FALSE(pw::GetUpdateRect(list.m_hWnd, &pending, plat::FALSE));
  list.SetRedraw(plat::TRUE);
  list.UpdateWindow();
  EXPECT_GE(list.subItemDraws, 3);
}

TEST_F(CXListCtrlTest, ColumnZeroEndsWhereColumnOneBegins) {
  AddRows(2);
  RECT cell{}, row{};
  ASSERT_TRUE(list.GetSubItemRect(1, 0, pw::LVIR_BOUNDS, cell));
  list.GetItemRect(1, &row, pw::LVIR_BOUNDS);
  EXPECT_EQ(cell.left, row.left);
  EXPECT_EQ(cell.right, 40);
  EXPECT_EQ(cell.top, row.top);
  ASSERT_TRUE(list.GetSubItemRect(1, 1, pw::LVIR_BOUNDS, cell));
  EXPECT_EQ(cell.left, 40);
  EXPECT_EQ(cell.right, 210);

  // With a single column there is nothing to end at: the row's width stands.
  list.DeleteColumn(2);
  list.DeleteColumn(1);
  list.SetColumnWidth(0, 100);
  ASSERT_TRUE(list.GetSubItemRect(1, 0, pw::LVIR_BOUNDS, cell));
  EXPECT_EQ(cell.right, 100);
}

TEST_F(CXListCtrlTest, SetCheckboxKeepsTheHeaderBoxInLine) {
  AddRows(3);
  ASSERT_TRUE(list.SetHeaderCheckedState(0, 1));
  for (int row = 0; row < 3; ++row) list.SetCheckbox(row, 0, 0);
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  list.SetCheckbox(0, 0, 1);
  list.SetCheckbox(1, 0, 1);
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  list.SetCheckbox(2, 0, 1);
  EXPECT_EQ(list.GetHeaderCheckedState(0), 2);
  EXPECT_EQ(list.CountCheckedItems(0), 3);
  list.SetCheckbox(1, 0, 0);
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  // A row without a box counts as unchecked.
  list.SetCheckbox(1, 0, -1);
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  // A column whose header has no box keeps it so.
  list.SetCheckbox(0, 1, 1);
  EXPECT_EQ(list.GetHeaderCheckedState(1), 0);
  // The header state is the header item's image index.
  pw::HDITEM item;
  item.mask = pw::HDI_IMAGE;
  list.GetHeaderCtrl()->GetItem(0, &item);
  EXPECT_EQ(item.iImage, 1);
}

TEST_F(CXListCtrlTest, CheckedCountsStayRightAcrossAddsRemovalsTicksAndAReset) {
  AddRows(5);
  ASSERT_TRUE(list.SetHeaderCheckedState(0, 1));
  for (int row = 0; row < 5; ++row) list.SetCheckbox(row, 0, row % 2);  // rows 1 and 3 ticked
  list.SetCheckbox(2, 1, 1);
  EXPECT_EQ(list.CountCheckedItems(0), 2);
  EXPECT_EQ(list.CountCheckedItems(1), 1);
  list.SetCheckbox(1, 0, 1);  // ticking a ticked box again counts once
  EXPECT_EQ(list.CountCheckedItems(0), 2);
  ASSERT_TRUE(list.DeleteItem(3));  // a ticked row goes
  EXPECT_EQ(list.CountCheckedItems(0), 1);
  ASSERT_TRUE(list.DeleteItem(0));  // an unticked one
  EXPECT_EQ(list.CountCheckedItems(0), 1);
  list.SetCheckbox(0, 0, -1);  // the ticked row (now 0) loses its box
  EXPECT_EQ(list.CountCheckedItems(0), 0);
  AddRows(2);
  for (int row = 0; row < list.GetItemCount(); ++row) list.SetCheckbox(row, 0, 1);
  EXPECT_EQ(list.CountCheckedItems(0), list.GetItemCount());
  EXPECT_EQ(list.GetHeaderCheckedState(0), 2);
  ASSERT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.CountCheckedItems(0), 0);
  EXPECT_EQ(list.CountCheckedItems(1), 0);
  AddRows(1);
  list.SetCheckbox(0, 0, 0);
  EXPECT_EQ(list.CountCheckedItems(0), 0);
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
}

TEST_F(CXListCtrlTest, OutOfRangeOperationsChangeNothingAndAnswerTheirDefaults) {
  AddRows(2);
  const int badRows[] = {-1, 2};
  for (int row : badRows) {
    EXPECT_EQ(list.SetCheckbox(row, 0, 1), 0);
    EXPECT_EQ(list.GetCheckbox(row, 0), -1);
    EXPECT_EQ(list.SetBold(row, 0, 1), 0);
    EXPECT_EQ(list.GetBold(row, 0), 0);
    EXPECT_EQ(list.SetEnabled(row, 0), 0);
    EXPECT_EQ(list.GetEnabled(row), 0);
    EXPECT_EQ(list.SetItemData(row, 5), 0);
    EXPECT_EQ(list.GetItemData(row), 0u);
    EXPECT_EQ(list.GetCellImage(row, 0), -1);
    EXPECT_EQ(list.SetItemImage(row, 0, 3), 0);
    EXPECT_EQ(list.SetItemToolTipText(row, 0, "x"), 0);
    EXPECT_EQ(list.GetItemToolTipText(row, 0), "");
    EXPECT_EQ(list.SetProgress(row, 0), 0);
    EXPECT_EQ(list.SetItemText(row, 0, "x"), 0);
    EXPECT_EQ(list.SetItemText(row, 0, "x", 0, 0), 0);
    EXPECT_EQ(list.DeleteItem(row), 0);
    RECT r{};
    EXPECT_EQ(list.GetSubItemRect(row, 0, pw::LVIR_BOUNDS, r), 0);
  }
  const int badColumns[] = {-1, 3};
  for (int column : badColumns) {
    EXPECT_EQ(list.SetCheckbox(0, column, 1), 0);
    EXPECT_EQ(list.GetCheckbox(0, column), -1);
    EXPECT_EQ(list.SetHeaderCheckedState(column, 2), 0);
    EXPECT_EQ(list.GetHeaderCheckedState(column), -1);
    EXPECT_EQ(list.CountCheckedItems(column), 0);
    EXPECT_EQ(list.SetItemText(0, column, "x"), 0);
    list.SetCellImage(0, column, 1);
    list.UpdateProgress(0, column, 50);
  }
  pw::LVITEM item;
  item.mask = pw::LVIF_IMAGE;
  item.iItem = -1;
  EXPECT_EQ(list.SetItem(&item), -1);
  item.iItem = 9;
  EXPECT_EQ(list.SetItem(&item), 0);
  // Nothing in range changed.
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(0, 0), "row0");
  for (int row = 0; row < 2; ++row)
    for (int column = 0; column < 3; ++column) {
      EXPECT_EQ(list.GetCheckbox(row, column), -1);
      EXPECT_EQ(list.GetCellImage(row, column), -1);
    }
  EXPECT_EQ(list.GetItemData(0), 1000u);
}

TEST_F(CXListCtrlTest, ARowHasNoRecordForAColumnAddedAfterIt) {
  AddRows(1);
  list.InsertColumn(3, "later", pw::LVCFMT_LEFT, 30);
  ASSERT_EQ(list.GetColumns(), 4);
  EXPECT_EQ(list.SetCheckbox(0, 3, 1), 0);
  EXPECT_EQ(list.GetCheckbox(0, 3), -1);
  AddRows(1);
  EXPECT_EQ(list.SetCheckbox(1, 3, 1), 1);
  EXPECT_EQ(list.GetCheckbox(1, 3), 1);
}

TEST_F(CXListCtrlTest, TheColumnCountFollowsItemsAddedAndRemovedThroughTheListOrTheHeaderItself) {
  AddRows(1);
  ASSERT_EQ(list.GetColumns(), 3);
  // Straight to the header window, past the list.
  pw::HWND header = reinterpret_cast<pw::HWND>(list.SendMessage(pw::LVM_GETHEADER));
  ASSERT_TRUE(pw::SendMessage(header, pw::HDM_DELETEITEM, 2, 0));
  EXPECT_EQ(list.GetColumns(), 2);
  EXPECT_EQ(list.SetCheckbox(0, 2, 1), 0);  // the row's record for column 2 is out of range now
  EXPECT_EQ(list.GetCheckbox(0, 2), -1);
  pw::HDITEM item;
  item.mask = pw::HDI_WIDTH;
  item.cxy = 50;
  ASSERT_EQ(pw::SendMessage(header, pw::HDM_INSERTITEMA, 2, reinterpret_cast<plat::LPARAM>(&item)), 2);
  EXPECT_EQ(list.GetColumns(), 3);
  EXPECT_EQ(list.SetCheckbox(0, 2, 1), 1);
  list.DeleteColumn(0);
  EXPECT_EQ(list.GetColumns(), 2);
  list.InsertColumn(2, "again", pw::LVCFMT_LEFT, 30);
  EXPECT_EQ(list.GetColumns(), 3);
}

TEST_F(CXListCtrlTest, ColoursComeFromTheCacheOrTheCallerAndTheCacheFollowsSystemChanges) {
  AddRows(1);
  XListRowData* records = list.GetRowData(0);
  ASSERT_NE(records, nullptr);
  ASSERT_EQ(records->cells.size(), 3u);
  EXPECT_EQ(records->cells[0].textColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOWTEXT));
  EXPECT_EQ(records->cells[0].backColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOW));
  EXPECT_EQ(records->cells[0].image, -1);
  EXPECT_EQ(records->cells[1].textColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOWTEXT));
  ASSERT_EQ(list.InsertItem(1, "server", plat::RGB(0x78, 0x78, 0x78), plat::RGB(0xFF, 0xFF, 0xFF)), 1);
  EXPECT_EQ(list.GetRowData(1)->cells[0].textColor, plat::RGB(0x78, 0x78, 0x78));
  EXPECT_EQ(list.GetRowData(1)->cells[1].backColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOW));
  EXPECT_EQ(list.SetItemText(1, 1, nullptr, static_cast<COLORREF>(-1), static_cast<COLORREF>(-1)), 1);
  EXPECT_EQ(list.GetRowData(1)->cells[1].textColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOWTEXT));

  const int index = plat::gdi::COLOR_WINDOW;
  const COLORREF yellow = plat::RGB(0xFF, 0xFF, 0xE0);
  ASSERT_TRUE(pw::SetSysColors(1, &index, &yellow));
  EXPECT_NE(list.GetRowData(0)->cells[0].backColor, yellow);  // records keep what they were given
  ASSERT_EQ(list.InsertItem(2, "new"), 2);
  EXPECT_EQ(list.GetRowData(2)->cells[0].backColor, yellow);
}

TEST_F(CXListCtrlTest, SetItemKeepsTheRecordsAndMakesTheCallersParamTheRowValue) {
  AddRows(1);
  pw::LVITEM item;
  item.mask = pw::LVIF_IMAGE | pw::LVIF_PARAM;
  item.iItem = 0;
  item.iSubItem = 1;
  item.iImage = 4;
  item.lParam = 77;
  EXPECT_EQ(list.SetItem(&item), 1);
  EXPECT_EQ(list.GetRowData(0)->cells[1].image, 4);
  EXPECT_EQ(list.GetItemData(0), 77u);
  EXPECT_EQ(list.GetCheckbox(0, 0), -1);  // the records survived
  pw::LVITEM inserted;
  inserted.mask = pw::LVIF_TEXT | pw::LVIF_IMAGE | pw::LVIF_PARAM;
  inserted.iItem = 1;
  inserted.pszText = const_cast<char*>("by description");
  inserted.iImage = 3;
  inserted.lParam = 55;
  ASSERT_EQ(list.InsertItem(&inserted), 1);
  EXPECT_EQ(list.GetRowData(1)->cells[0].image, 3);
  EXPECT_EQ(list.GetItemData(1), 55u);
}

TEST_F(CXListCtrlTest, ProgressEnabledAndToolTipAttributes) {
  AddRows(2);
  ASSERT_TRUE(list.SetProgress(0, 2, 0, "%d percent"));
  list.UpdateProgress(0, 2, 50);
  XListCellData& cell = list.GetRowData(0)->cells[2];
  EXPECT_EQ(cell.hasProgress, 1);
  EXPECT_EQ(cell.progressPercent, 50);
  EXPECT_EQ(cell.showProgressText, 0);
  EXPECT_EQ(cell.progressText, "%d percent");
  ASSERT_TRUE(list.SetProgress(0, 2));
  EXPECT_EQ(cell.progressPercent, 0);  // a fresh progress cell starts at 0 %
  list.UpdateProgress(0, 2, 80);
  list.DeleteProgress(0, 2);
  EXPECT_EQ(cell.hasProgress, 0);
  EXPECT_EQ(cell.progressPercent, 0);

  EXPECT_EQ(list.GetEnabled(1), 1);
  list.SetEnabled(1, 0);
  EXPECT_EQ(list.GetEnabled(1), 0);

  list.SetItemToolTipText(0, 0, "a");
  list.SetItemToolTipText(1, 2, "b");
  list.DeleteAllToolTips();
  EXPECT_EQ(list.GetItemToolTipText(0, 0), "");
  EXPECT_EQ(list.GetItemToolTipText(1, 2), "");
  list.SetItemState(1, pw::LVIS_SELECTED, pw::LVIS_SELECTED);
  EXPECT_EQ(list.GetCurSel(), 1);
}

TEST_F(CXListCtrlTest, ASetterRepaintsItsCellAtOnce) {
  AddRows(2);
  list.UpdateWindow();
  list.subItemDraws = 0;
  list.SetCheckbox(1, 0, 1);
  EXPECT_GE(list.subItemDraws, 1);
  RECT pending{};
  EXPECT_FALSE(pw::GetUpdateRect(list.m_hWnd, &pending, plat::FALSE));
  list.subItemDraws = 0;
  list.SetItemToolTipText(1, 0, "no repaint");
  EXPECT_EQ(list.subItemDraws, 0);
}

TEST_F(CXListCtrlTest, UnderTheRedrawHoldSettersPaintNothingAndLiftingItShowsEveryChange) {
  AddRows(3);
  list.UpdateWindow();
  list.subItemDraws = 0;
  list.SetRedraw(plat::FALSE);
  list.SetCheckbox(1, 0, 1);
  list.SetItemText(2, 1, "held");
  list.SetItemImage(0, 1, 0);
  EXPECT_EQ(list.subItemDraws, 0);
  EXPECT_EQ(list.GetCheckbox(1, 0), 1);
  EXPECT_EQ(list.GetItemText(2, 1), "held");

  list.SetRedraw(plat::TRUE);
  list.UpdateWindow();
  EXPECT_GE(list.subItemDraws, 9);  // the whole list, every cell of the three rows
  RECT pending{};
  EXPECT_FALSE(pw::GetUpdateRect(list.m_hWnd, &pending, plat::FALSE));

  // With the hold lifted a setter repaints its cell at once again.
  list.subItemDraws = 0;
  list.SetCheckbox(0, 0, 1);
  EXPECT_GE(list.subItemDraws, 1);
  EXPECT_FALSE(pw::GetUpdateRect(list.m_hWnd, &pending, plat::FALSE));
}

TEST_F(CXListCtrlTest, TheHeaderIsTakenOverOnce) {
  auto* header = dynamic_cast<CXHeaderCtrl*>(list.GetHeaderCtrl());
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->m_hWnd, reinterpret_cast<pw::HWND>(list.SendMessage(pw::LVM_GETHEADER)));
}

// The list's header window as the extended header object has taken it over; null when it has not.
CXHeaderCtrl* TakenHeader(CXListCtrl& list) {
  auto* header = dynamic_cast<CXHeaderCtrl*>(list.GetHeaderCtrl());
  return header != nullptr && header->m_hWnd != nullptr ? header : nullptr;
}

TEST(CXListCtrlAttach, TakingOverADialogsListAlsoTakesItsHeaderAgainAfterTheWindowWent) {
  CXListCtrl list;
  for (int round = 0; round < 2; ++round) {
    ListParent parent;
    parent.CreateEx(0, "#32770", "", pw::WS_POPUP, RECT{0, 0, 200, 200}, nullptr, 0);
    pw::HWND raw = pw::CreateWindowEx(0, "SysListView32", "", pw::WS_CHILD | pw::LVS_REPORT | pw::LVS_NOCOLUMNHEADER,
                                      0, 0, 100, 100, parent.m_hWnd, 201, nullptr);
    ASSERT_TRUE(list.SubclassDlgItem(201, &parent)) << round;
    EXPECT_EQ(list.m_hWnd, raw);
    EXPECT_NE(TakenHeader(list), nullptr) << round;
    parent.DestroyWindow();
    EXPECT_EQ(list.m_hWnd, nullptr);
  }
}

// Registers a PNG of `width` x `height` as bitmap resource `id`; the bytes stay alive in `store`.
void RegisterPng(plat::UINT id, int width, int height, std::vector<unsigned char>& store, const void* owner) {
  plat::gdi::Surface picture(width, height);
  std::string path = ::testing::TempDir() + "xlist_bk.png";
  ASSERT_TRUE(picture.WritePng(path));
  std::ifstream in(path, std::ios::binary);
  store.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  plat::kernel::RegisterResource(plat::kernel::ResourceKind::Bitmap, id, store.data(), store.size(), owner);
}

TEST_F(CXListCtrlTest, SetBkImageLoadsTheBitmapAndAFailedLoadLeavesNoPicture) {
  static const char owner = 0;
  std::vector<unsigned char> bytes;
  RegisterPng(4303, 210, 49, bytes, &owner);
  ASSERT_TRUE(list.SetBkImage(4303u));
  EXPECT_TRUE(list.HasBkImage());
  EXPECT_EQ(list.GetBkImageSize(), (plat::SIZE{210, 49}));
  // A true-colour picture has more than 256 colours: the halftone palette.
  EXPECT_EQ(list.GetBkImagePalette().Entries().size(), 256u);
  EXPECT_TRUE(list.SetBkImage("#4303"));
  EXPECT_FALSE(list.SetBkImage(4999u));
  EXPECT_FALSE(list.HasBkImage());
  EXPECT_EQ(list.GetBkImageSize(), (plat::SIZE{0, 0}));
  EXPECT_FALSE(list.SetBkImage("IDB_NAMED"));
  plat::kernel::UnregisterResources(&owner);
}

}  // namespace

// A list object without its window holds no rows: an insert says so instead of keeping records that
// nothing owns (LeakSanitizer would report them).
TEST(CXListCtrlNoWindow, InsertWithoutAWindowFailsAndKeepsNothing) {
  CXListCtrl list;
  EXPECT_EQ(list.InsertItem(0, "a"), -1);
  EXPECT_EQ(list.InsertItem(0, "b", 0x123456, 0x654321), -1);
  EXPECT_EQ(list.GetItemData(0), 0u);
}
