// The list view at model level: the platform's notification numbers, deletion notices, rectangles,
// hit tests, clicks, column clicks and the custom-draw stages.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/image_list.h"
#include "platform/win/afxcmn.h"
#include "platform/win/commctrl.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::win {
namespace {

TEST(ListViewNumbers, NotificationCodesAreThePlatformsValues) {
  EXPECT_EQ(static_cast<int>(LVN_ITEMCHANGED), -101);
  EXPECT_EQ(static_cast<int>(LVN_DELETEITEM), -103);
  EXPECT_EQ(static_cast<int>(LVN_DELETEALLITEMS), -104);
  EXPECT_EQ(static_cast<int>(LVN_COLUMNCLICK), -108);
  EXPECT_EQ(static_cast<int>(NM_CLICK), -2);
  EXPECT_EQ(static_cast<int>(NM_CUSTOMDRAW), -12);
  EXPECT_EQ(static_cast<int>(HDN_ITEMCLICKA), -302);
  EXPECT_EQ(static_cast<int>(TTN_NEEDTEXTA), -520);
  EXPECT_EQ(static_cast<int>(TTN_NEEDTEXTW), -530);
  EXPECT_EQ(LVM_GETSUBITEMRECT, 0x1038u);
  EXPECT_EQ(LVM_SETEXTENDEDLISTVIEWSTYLE, 0x1036u);
  EXPECT_EQ(LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT, 0x28u);
}

struct Notice {
  UINT code;
  int item;
  int subItem;
  LPARAM lParam;
};

// A parent window that records its list's notices and answers custom draw as asked.
class ListParent : public CWnd {
 public:
  std::vector<Notice> notices;
  std::vector<std::pair<DWORD, int>> drawStages;  // stage, sub-item (or item for item stages)
  LRESULT deleteAllAnswer = FALSE;
  bool customDraw = false;
  CListCtrl* list = nullptr;
  std::vector<DWORD_PTR> dataSeenAtDelete;

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg != WM_NOTIFY) return CWnd::WindowProc(msg, wParam, lParam);
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->code == NM_CUSTOMDRAW) return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
    if (hdr->code == NM_CLICK) {
      auto* nm = reinterpret_cast<NMITEMACTIVATE*>(lParam);
      notices.push_back({hdr->code, nm->iItem, nm->iSubItem, nm->lParam});
      return 0;
    }
    bool listRecord = hdr->code == LVN_DELETEITEM || hdr->code == LVN_DELETEALLITEMS || hdr->code == LVN_ITEMCHANGED ||
                      hdr->code == LVN_INSERTITEM || hdr->code == LVN_COLUMNCLICK;
    if (!listRecord) {
      notices.push_back({hdr->code, -1, 0, 0});
      return 0;
    }
    auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
    notices.push_back({hdr->code, nm->iItem, nm->iSubItem, nm->lParam});
    if (hdr->code == LVN_DELETEITEM && list) dataSeenAtDelete.push_back(list->GetItemData(nm->iItem));
    if (hdr->code == LVN_DELETEALLITEMS) return deleteAllAnswer;
    return 0;
  }

  LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd) {
    if (!customDraw) return CDRF_DODEFAULT;
    EXPECT_NE(cd->nmcd.hdc, nullptr);
    switch (cd->nmcd.dwDrawStage) {
      case CDDS_PREPAINT: drawStages.emplace_back(CDDS_PREPAINT, -1); return CDRF_NOTIFYITEMDRAW;
      case CDDS_ITEMPREPAINT:
        drawStages.emplace_back(CDDS_ITEMPREPAINT, static_cast<int>(cd->nmcd.dwItemSpec));
        EXPECT_EQ(cd->nmcd.lItemlParam, static_cast<LPARAM>(100 + cd->nmcd.dwItemSpec));
        return CDRF_NOTIFYSUBITEMDRAW;
      case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        drawStages.emplace_back(cd->nmcd.dwDrawStage, cd->iSubItem);
        return CDRF_SKIPDEFAULT;
      default: return CDRF_DODEFAULT;
    }
  }

  std::vector<Notice> Codes(UINT code) const {
    std::vector<Notice> out;
    for (const Notice& n : notices)
      if (n.code == code) out.push_back(n);
    return out;
  }
};

class ListViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent.CreateEx(0, "#32770", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300}, nullptr, 0);
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS, RECT{0, 0, 380, 200}, &parent, 201));
    parent.list = &list;
    list.InsertColumn(0, "", LVCFMT_LEFT, 40);
    list.InsertColumn(1, "name", LVCFMT_LEFT, 170);
    list.InsertColumn(2, "size", LVCFMT_CENTER, 70);
    for (int i = 0; i < 3; ++i) {
      std::string text = "row" + std::to_string(i);
      ASSERT_EQ(list.InsertItem(i, text.c_str()), i);
      list.SetItemText(i, 1, ("name" + std::to_string(i)).c_str());
      list.SetItemData(i, static_cast<DWORD_PTR>(100 + i));
    }
    parent.notices.clear();
  }
  void TearDown() override {
    parent.list = nullptr;
    parent.DestroyWindow();
  }
  RECT Bounds(int row) {
    RECT r{};
    list.GetItemRect(row, &r, LVIR_BOUNDS);
    return r;
  }

  ListParent parent;
  CListCtrl list;
};

TEST_F(ListViewTest, DeleteItemNotifiesWithTheRowsParamBeforeTheRowGoes) {
  ASSERT_TRUE(list.DeleteItem(1));
  auto deletes = parent.Codes(LVN_DELETEITEM);
  ASSERT_EQ(deletes.size(), 1u);
  EXPECT_EQ(deletes[0].item, 1);
  EXPECT_EQ(deletes[0].subItem, 0);
  EXPECT_EQ(deletes[0].lParam, 101);
  EXPECT_EQ(parent.dataSeenAtDelete, (std::vector<DWORD_PTR>{101}));  // still there during the notice
  EXPECT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(list.GetItemText(1, 0), "row2");
  EXPECT_EQ(list.GetItemData(1), 102u);
  EXPECT_FALSE(list.DeleteItem(5));
  EXPECT_FALSE(list.DeleteItem(-1));
}

TEST_F(ListViewTest, DeleteAllItemsAnnouncesThenNotifiesEachRowUnlessTheParentDeclines) {
  ASSERT_TRUE(list.DeleteAllItems());
  ASSERT_EQ(parent.notices.size(), 4u);
  EXPECT_EQ(parent.notices[0].code, LVN_DELETEALLITEMS);
  EXPECT_EQ(parent.notices[0].item, -1);
  std::vector<int> rows;
  for (auto& n : parent.Codes(LVN_DELETEITEM)) rows.push_back(n.item);
  EXPECT_EQ(rows, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(list.GetItemCount(), 0);

  list.InsertItem(0, "again");
  parent.notices.clear();
  parent.deleteAllAnswer = TRUE;
  list.DeleteAllItems();
  EXPECT_EQ(parent.Codes(LVN_DELETEITEM).size(), 0u);
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListViewTest, DestroyingTheListNotifiesTheDeletionOfItsRemainingRows) {
  list.DestroyWindow();
  EXPECT_EQ(parent.Codes(LVN_DELETEALLITEMS).size(), 1u);
  auto deletes = parent.Codes(LVN_DELETEITEM);
  ASSERT_EQ(deletes.size(), 3u);
  EXPECT_EQ(deletes[0].lParam, 102);
}

TEST(ListViewImageLists, AListThatDoesNotShareItsImageListsDestroysThemWithItself) {
  gdi::CImageList shared, owned;
  ASSERT_TRUE(shared.Create(16, 16, gdi::ILC_COLOR32, 1, 1));
  ASSERT_TRUE(owned.Create(16, 16, gdi::ILC_COLOR32, 1, 1));
  HWND borrowing = CreateWindowEx(0, WC_LISTVIEW, "", WS_POPUP | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 50, 50,
                                  nullptr, 0, nullptr);
  HWND owning = CreateWindowEx(0, WC_LISTVIEW, "", WS_POPUP | LVS_REPORT, 0, 0, 50, 50, nullptr, 0, nullptr);
  SendMessage(borrowing, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(&shared));
  SendMessage(owning, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(&owned));
  EXPECT_EQ(reinterpret_cast<gdi::CImageList*>(SendMessage(owning, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), &owned);
  DestroyWindow(borrowing);
  DestroyWindow(owning);
  EXPECT_NE(shared.GetSafeHandle(), nullptr);
  EXPECT_EQ(owned.GetSafeHandle(), nullptr);
}

TEST_F(ListViewTest, RectanglesFollowTheColumnsAndColumnZerosSubItemBoundsAreTheWholeRow) {
  RECT row0 = Bounds(0), row1 = Bounds(1);
  EXPECT_EQ(row0.left, 0);
  EXPECT_EQ(row0.right, 280);
  EXPECT_EQ(row1.top, row0.bottom);
  EXPECT_GT(row0.top, 0);  // below the header
  RECT cell{};
  ASSERT_TRUE(list.GetSubItemRect(1, 0, LVIR_BOUNDS, cell));
  EXPECT_EQ(cell, row1);
  ASSERT_TRUE(list.GetSubItemRect(1, 1, LVIR_BOUNDS, cell));
  EXPECT_EQ(cell, (RECT{40, row1.top, 210, row1.bottom}));
  ASSERT_TRUE(list.GetSubItemRect(1, 2, LVIR_LABEL, cell));
  EXPECT_EQ(cell, (RECT{210, row1.top, 280, row1.bottom}));
  EXPECT_FALSE(list.GetSubItemRect(7, 1, LVIR_BOUNDS, cell));
  EXPECT_FALSE(list.GetSubItemRect(1, 3, LVIR_BOUNDS, cell));

  gdi::CImageList icons;
  ASSERT_TRUE(icons.Create(16, 16, gdi::ILC_COLOR32, 1, 1));
  list.SetImageList(&icons, LVSIL_SMALL);
  RECT icon{}, label{};
  list.GetItemRect(0, &icon, LVIR_ICON);
  list.GetItemRect(0, &label, LVIR_LABEL);
  EXPECT_EQ(icon.right - icon.left, 16);
  EXPECT_EQ(label.left, icon.right);
  EXPECT_EQ(label.right, 40);
  EXPECT_GE(Bounds(0).bottom - Bounds(0).top, 17);  // a row holds a small icon
  list.SetImageList(nullptr, LVSIL_SMALL);
}

TEST_F(ListViewTest, HitTestsNameRowAndColumnAndALabelHitIsOnItemLabel) {
  RECT r = Bounds(2);
  LVHITTESTINFO info;
  info.pt = POINT{100, r.top + 2};
  EXPECT_EQ(list.SubItemHitTest(&info), 2);
  EXPECT_EQ(info.iSubItem, 1);
  EXPECT_EQ(info.flags, LVHT_ONITEMLABEL);
  UINT flags = 0;
  EXPECT_EQ(list.HitTest(POINT{10, r.top + 2}, &flags), 2);
  EXPECT_EQ(flags, LVHT_ONITEMLABEL);
  // Outside column 0 only a full-row list answers the row.
  EXPECT_EQ(list.HitTest(POINT{100, r.top + 2}, &flags), -1);
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);
  EXPECT_EQ(list.HitTest(POINT{100, r.top + 2}, &flags), 2);
  EXPECT_EQ(list.GetExtendedStyle(), LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);
  EXPECT_EQ(list.HitTest(POINT{300, r.top + 2}, &flags), -1);  // right of the last column
  EXPECT_EQ(list.HitTest(POINT{10, r.bottom + 40}, &flags), -1);
  EXPECT_EQ(flags, LVHT_NOWHERE);
  EXPECT_EQ(list.HitTest(POINT{10, -5}, &flags), -1);
  EXPECT_EQ(flags, LVHT_ABOVE);
}

TEST_F(ListViewTest, AClickSelectsTheRowAndSendsNmClick) {
  RECT r = Bounds(1);
  ASSERT_TRUE(SendClick(list.m_hWnd, POINT{10, r.top + 1}));
  EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  auto clicks = parent.Codes(NM_CLICK);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].item, 1);
  auto changes = parent.Codes(LVN_ITEMCHANGED);
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.back().item, 1);

  SendClick(list.m_hWnd, POINT{10, Bounds(2).bottom + 30});
  EXPECT_EQ(list.GetSelectedCount(), 0u);
  EXPECT_EQ(parent.Codes(NM_CLICK).back().item, -1);
}

TEST_F(ListViewTest, AHeaderItemClickBecomesColumnClickAndNoColumnHeaderHidesIt) {
  HWND header = list.GetHeaderCtrl()->m_hWnd;
  ASSERT_TRUE(IsWindowVisible(header));
  RECT item{};
  list.GetHeaderCtrl()->GetItemRect(2, &item);
  ASSERT_TRUE(SendClick(header, POINT{item.left + 5, 3}));
  auto clicks = parent.Codes(LVN_COLUMNCLICK);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0].subItem, 2);
  EXPECT_EQ(clicks[0].item, -1);

  list.ModifyStyle(0, LVS_NOCOLUMNHEADER);
  list.MoveWindow(0, 0, 381, 200);
  EXPECT_FALSE(IsWindowVisible(header));
  EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 3);
  EXPECT_EQ(Bounds(0).top, 0);
}

TEST_F(ListViewTest, PaintRunsTheCustomDrawStagesForEveryItemAndColumn) {
  parent.customDraw = true;
  list.Invalidate();
  list.UpdateWindow();
  std::vector<std::pair<DWORD, int>> expected{{CDDS_PREPAINT, -1}};
  for (int row = 0; row < 3; ++row) {
    expected.emplace_back(CDDS_ITEMPREPAINT, row);
    for (int column = 0; column < 3; ++column) expected.emplace_back(CDDS_ITEMPREPAINT | CDDS_SUBITEM, column);
  }
  EXPECT_EQ(parent.drawStages, expected);
}

TEST_F(ListViewTest, TurningDrawingBackOnRepaintsTheWholeList) {
  list.UpdateWindow();
  parent.customDraw = true;
  list.SetRedraw(FALSE);
  ASSERT_EQ(list.InsertItem(3, "row3"), 3);
  list.SetItemData(3, 103);
  list.Update(3);
  EXPECT_TRUE(parent.drawStages.empty()) << "nothing paints while drawing is off";
  list.SetRedraw(TRUE);
  list.UpdateWindow();
  std::vector<int> rows;
  for (const auto& [stage, index] : parent.drawStages)
    if (stage == CDDS_ITEMPREPAINT) rows.push_back(index);
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(ListViewTest, ItemsColumnsAndStatesRoundTrip) {
  LVCOLUMN column;
  column.mask = LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  ASSERT_TRUE(list.GetColumn(2, &column));
  EXPECT_EQ(column.cx, 70);
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_CENTER);
  EXPECT_EQ(column.iSubItem, 2);
  list.SetColumnWidth(1, 316);
  EXPECT_EQ(list.GetColumnWidth(1), 316);
  EXPECT_EQ(list.GetHeaderCtrl()->GetItemCount(), 3);

  LVITEM item;
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = 1;
  char text[3];
  item.pszText = text;
  item.cchTextMax = sizeof text;
  ASSERT_TRUE(list.GetItem(&item));
  EXPECT_STREQ(text, "ro");  // cut to the buffer with its terminator
  EXPECT_EQ(item.lParam, 101);
  EXPECT_EQ(list.GetItemText(1, 1), "name1");
  EXPECT_EQ(list.GetItemText(1, 2), "");
  EXPECT_EQ(list.InsertItem(99, "last"), 3);
  EXPECT_EQ(list.InsertItem(-1, "bad"), -1);
  list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(list.GetSelectedCount(), 4u);
  EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), 2);
}

}  // namespace
}  // namespace plat::win
