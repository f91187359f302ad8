// The list view scrolled by whole rows: its scroll bar, the requests that move the top row, row
// rectangles, hit tests and painting of a scrolled list, clicks on the bar and the wheel.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/afxcmn.h"
#include "platform/win/commctrl.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

constexpr int kBar = 16;

// A list of `rows` rows (200 pixels high, bordered) in a parent that records what its list tells it.
class ScrolledList : public ::testing::Test {
 protected:
  struct Drawn {
    int item;
    RECT rc;
  };

  void Make(int rows, DWORD extraStyle = 0) {
    parent = testing::CreateTestWindow(
        [this](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
          if (msg != WM_NOTIFY) return std::nullopt;
          auto* hdr = reinterpret_cast<NMHDR*>(lParam);
          if (hdr->code == NM_CLICK) clicks.push_back(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
          if (hdr->code != NM_CUSTOMDRAW) return 0;
          auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
          if (cd->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
          if (cd->nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
            drawn.push_back({static_cast<int>(cd->nmcd.dwItemSpec), cd->nmcd.rc});
          return CDRF_DODEFAULT;
        },
        WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300});
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | extraStyle, RECT{10, 10, 310, 210},
                            CWnd::FromHandle(parent), 201));
    list.InsertColumn(0, "", LVCFMT_LEFT, 40);
    list.InsertColumn(1, "name", LVCFMT_LEFT, 170);
    for (int i = 0; i < rows; ++i) ASSERT_EQ(list.InsertItem(i, ("row" + std::to_string(i)).c_str()), i);
  }
  void TearDown() override {
    if (parent) DestroyWindow(parent);
  }

  RECT Client() const {
    RECT r{};
    list.GetClientRect(&r);
    return r;
  }
  RECT Row(int i) const {
    RECT r{};
    list.GetItemRect(i, &r, LVIR_BOUNDS);
    return r;
  }
  int RowHeight() const { return Row(0).Height(); }
  // Where rows begin: below the header.
  int RowsTop() const { return Row(list.GetTopIndex()).top; }
  int Top() const { return list.GetTopIndex(); }
  bool HasBar() const { return (list.GetStyle() & WS_VSCROLL) != 0; }
  void Request(WORD code, WORD pos = 0) { list.SendMessage(WM_VSCROLL, MAKEWPARAM(code, pos), 0); }
  SCROLLINFO Info() const {
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    GetScrollInfo(list.m_hWnd, SB_VERT, &info);
    return info;
  }

  HWND parent = nullptr;
  CListCtrl list;
  std::vector<int> clicks;
  std::vector<Drawn> drawn;
};

TEST_F(ScrolledList, TheBarShowsExactlyWhenRowsAreOutOfViewAndTakesSixteenPixels) {
  Make(0);
  const int wide = Client().right;
  const int perPage = list.GetCountPerPage();
  ASSERT_GT(perPage, 3);
  for (int i = 0; i < perPage; ++i) list.InsertItem(i, "row");
  ASSERT_GT(RowsTop(), 0);  // the header is there
  EXPECT_EQ(perPage, (Client().bottom - RowsTop()) / RowHeight());
  EXPECT_LE(Row(perPage - 1).bottom, Client().bottom);
  EXPECT_FALSE(HasBar()) << "a page that fits needs no bar";
  EXPECT_EQ(Client().right, wide);

  list.InsertItem(perPage, "one more");
  EXPECT_TRUE(HasBar());
  EXPECT_EQ(Client().right, wide - kBar);
  RECT header{};
  list.GetHeaderCtrl()->GetClientRect(&header);
  EXPECT_EQ(header.right, wide - kBar) << "the header is laid out again for the narrower client area";
  SCROLLINFO info = Info();
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, perPage);
  EXPECT_EQ(info.nPage, static_cast<UINT>(perPage));
  EXPECT_EQ(info.nPos, 0);

  list.DeleteItem(0);
  EXPECT_FALSE(HasBar());
  EXPECT_EQ(Client().right, wide);

  list.MoveWindow(10, 10, 300, 200 - RowHeight());  // a row less room: the last row is out of view
  EXPECT_TRUE(HasBar());
  EXPECT_EQ(Info().nPage, static_cast<UINT>(perPage - 1));
}

TEST_F(ScrolledList, ScrollRequestsMoveTheTopRowAndStopAtBothEnds) {
  Make(30);
  const int perPage = list.GetCountPerPage();
  const int last = 30 - perPage;
  Request(SB_LINEUP);
  EXPECT_EQ(Top(), 0);
  Request(SB_LINEDOWN);
  EXPECT_EQ(Top(), 1);
  Request(SB_PAGEDOWN);
  EXPECT_EQ(Top(), 1 + perPage);
  Request(SB_PAGEUP);
  EXPECT_EQ(Top(), 1);
  Request(SB_BOTTOM);
  EXPECT_EQ(Top(), last);
  EXPECT_EQ(Row(29).bottom, RowsTop() + perPage * RowHeight()) << "the last row ends the last page";
  Request(SB_LINEDOWN);
  Request(SB_PAGEDOWN);
  EXPECT_EQ(Top(), last);
  EXPECT_EQ(GetScrollPos(list.m_hWnd, SB_VERT), last);
  Request(SB_THUMBPOSITION, 5);
  EXPECT_EQ(Top(), 5);
  Request(SB_THUMBTRACK, 500);
  EXPECT_EQ(Top(), last);
  Request(SB_TOP);
  EXPECT_EQ(Top(), 0);
  EXPECT_EQ(GetScrollPos(list.m_hWnd, SB_VERT), 0);

  const int rowHeight = RowHeight();
  EXPECT_TRUE(list.Scroll(SIZE{0, 2 * rowHeight + rowHeight / 2 + 1}));  // rounds to whole rows
  EXPECT_EQ(Top(), 3);
  list.Scroll(SIZE{0, -rowHeight});
  EXPECT_EQ(Top(), 2);
}

TEST_F(ScrolledList, EnsureVisibleScrollsTheLeastEitherWay) {
  Make(30);
  const int perPage = list.GetCountPerPage();
  EXPECT_TRUE(list.EnsureVisible(20, FALSE));
  EXPECT_EQ(Top(), 20 - perPage + 1) << "row 20 becomes the last whole row";
  EXPECT_LE(Row(20).bottom, Client().bottom);
  EXPECT_GT(Row(20).bottom + RowHeight(), Client().bottom);
  list.EnsureVisible(18, FALSE);
  EXPECT_EQ(Top(), 20 - perPage + 1) << "a row in view moves nothing";
  list.EnsureVisible(3, FALSE);
  EXPECT_EQ(Top(), 3) << "a row above becomes the top row";
  EXPECT_FALSE(list.EnsureVisible(30, FALSE));
  EXPECT_FALSE(list.EnsureVisible(-1, FALSE));
  EXPECT_EQ(Top(), 3);

  // A partly shown row below the whole ones is left alone only when partial is fine.
  const int spare = (Client().bottom - RowsTop()) % RowHeight();
  const int grow = spare == 0 ? RowHeight() / 2 : 0;
  list.MoveWindow(10, 10, 300, 200 + grow);
  ASSERT_EQ(list.GetCountPerPage(), perPage);
  const int partial = Top() + perPage;
  ASSERT_LT(Row(partial).top, Client().bottom);
  list.EnsureVisible(partial, TRUE);
  EXPECT_EQ(Top(), 3);
  list.EnsureVisible(partial, FALSE);
  EXPECT_EQ(Top(), 4);
}

TEST_F(ScrolledList, RectanglesAndHitTestsFollowTheTopRow) {
  Make(30);
  const int header = RowsTop();
  const int h = RowHeight();
  list.EnsureVisible(0, FALSE);
  Request(SB_THUMBPOSITION, 10);
  ASSERT_EQ(Top(), 10);
  EXPECT_EQ(Row(10).top, header);
  EXPECT_EQ(Row(12).top, header + 2 * h);
  EXPECT_EQ(Row(9).bottom, header) << "rows above the top lie above the rows' area";
  RECT cell{};
  ASSERT_TRUE(list.GetSubItemRect(12, 1, LVIR_BOUNDS, cell));
  EXPECT_EQ(cell, (RECT{40, header + 2 * h, 210, header + 3 * h}));

  UINT flags = 0;
  EXPECT_EQ(list.HitTest(POINT{5, header + 2 * h + 1}, &flags), 12);
  EXPECT_EQ(flags, LVHT_ONITEMLABEL);
  LVHITTESTINFO info;
  info.pt = POINT{100, header + 1};
  EXPECT_EQ(list.SubItemHitTest(&info), 10);
  EXPECT_EQ(info.iSubItem, 1);

  SendClick(list.m_hWnd, POINT{5, header + 3 * h + 1});
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], 13) << "the parent hears of the row under the point";
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 13);
}

TEST_F(ScrolledList, DeletingRowsAtTheEndScrollsBackSoThatNoEmptyPageShows) {
  Make(30);
  const int perPage = list.GetCountPerPage();
  Request(SB_BOTTOM);
  for (int i = 29; i >= 25; --i) list.DeleteItem(i);
  EXPECT_EQ(Top(), 25 - perPage);
  EXPECT_EQ(Row(24).bottom, RowsTop() + perPage * RowHeight());
  EXPECT_EQ(Info().nMax, 24);
  list.DeleteItem(0);
  EXPECT_EQ(Top(), 24 - perPage);

  list.DeleteAllItems();
  EXPECT_EQ(Top(), 0);
  EXPECT_FALSE(HasBar());
  for (int i = 0; i < 3; ++i) list.InsertItem(i, "again");
  EXPECT_EQ(Row(0).top, RowsTop());
}

TEST_F(ScrolledList, ClicksOnTheArrowsAndTheTrackScrollWithoutTouchingTheRows) {
  Make(30);
  const int perPage = list.GetCountPerPage();
  const RECT c = Client();
  const POINT downArrow{c.right + kBar / 2, c.bottom - kBar / 2};
  const POINT upArrow{c.right + kBar / 2, kBar / 2};
  const POINT trackLow{c.right + kBar / 2, c.bottom - kBar - 2};
  const POINT trackHigh{c.right + kBar / 2, kBar + 2};
  ASSERT_TRUE(SendClick(list.m_hWnd, downArrow));
  EXPECT_EQ(Top(), 1);
  ASSERT_TRUE(SendClick(list.m_hWnd, trackLow));
  EXPECT_EQ(Top(), 1 + perPage);
  SendClick(list.m_hWnd, upArrow);
  EXPECT_EQ(Top(), perPage);
  SendClick(list.m_hWnd, trackHigh);
  EXPECT_EQ(Top(), 0);
  ASSERT_TRUE(PostClick(list.m_hWnd, downArrow));
  PumpPendingMessages();
  EXPECT_EQ(Top(), 1);
  EXPECT_TRUE(clicks.empty()) << "a press on the bar is not a click on the rows";
  EXPECT_EQ(list.GetSelectedCount(), 0u);
  POINT screen = downArrow;
  list.ClientToScreen(&screen);
  EXPECT_EQ(list.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y))),
            HTVSCROLL);
}

TEST_F(ScrolledList, TheWheelScrollsThreeRowsANotchAndKeysKeepTheFocusedRowInView) {
  Make(30);
  const int perPage = list.GetCountPerPage();
  list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(Top(), 3);
  list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(Top(), 3) << "half a notch is not yet a notch";
  list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA / 2)), 0);
  EXPECT_EQ(Top(), 6);
  list.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(2 * WHEEL_DELTA)), 0);
  EXPECT_EQ(Top(), 0);

  list.SetFocus();
  list.SendMessage(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 29);
  EXPECT_EQ(Top(), 30 - perPage);
  list.SendMessage(WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(Top(), 0);
  for (int i = 0; i < perPage; ++i) list.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), perPage);
  EXPECT_EQ(Top(), 1);
}

TEST_F(ScrolledList, NoScrollStyleKeepsTheFirstRowsAndNoBar) {
  Make(30, LVS_NOSCROLL);
  EXPECT_FALSE(HasBar());
  list.EnsureVisible(25, FALSE);
  Request(SB_BOTTOM);
  EXPECT_EQ(Top(), 0);
}

TEST_F(ScrolledList, PaintDrawsTheScrolledRowsAndTheBarBesideThem) {
  Make(30);
  const int perPage = list.GetCountPerPage();
  const int h = RowHeight();
  list.SetFocus();
  list.SetItemState(12, LVIS_SELECTED, LVIS_SELECTED);
  Request(SB_THUMBPOSITION, 10);
  drawn.clear();
  list.UpdateWindow();
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.front().item, 10);
  EXPECT_EQ(drawn.front().rc.top, RowsTop()) << "custom draw gets the scrolled rectangles";
  EXPECT_LE(drawn.back().item, 10 + perPage);
  EXPECT_GE(drawn.back().item, 10 + perPage - 1);

  const std::string path = ::testing::TempDir() + "scrolled-list.png";
  ASSERT_TRUE(SnapshotWindow(list.m_hWnd, path));
  auto shot = gdi::Surface::FromPng(path);
  std::remove(path.c_str());
  ASSERT_TRUE(shot);
  const RECT c = Client();
  const int border = 1;
  auto at = [&](int x, int y) { return shot->GetPixel(border + x, border + y); };
  // Row 12 (selected, focused) is the third row shown; row 11 above it is not highlighted.
  EXPECT_EQ(at(5, RowsTop() + 2 * h + h / 2), gdi::GetSysColor(gdi::COLOR_HIGHLIGHT));
  EXPECT_EQ(at(5, RowsTop() + h + h / 2), gdi::GetSysColor(gdi::COLOR_WINDOW));

  const int x = c.right;  // the bar's left edge
  const COLORREF face = gdi::GetSysColor(gdi::COLOR_BTNFACE);
  const COLORREF black = gdi::GetSysColor(gdi::COLOR_BTNTEXT);
  EXPECT_EQ(at(x + 7, 6), black) << "the up arrow's tip";
  EXPECT_EQ(at(x + 4, 9), black) << "the up arrow's base";
  EXPECT_EQ(at(x + 3, 9), face);
  EXPECT_EQ(at(x + 7, c.bottom - 16 + 9), black) << "the down arrow's tip";
  EXPECT_EQ(at(x + 1, 1), gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT)) << "the up button's raised edge";
  EXPECT_EQ(at(x + 15, 15), gdi::GetSysColor(gdi::COLOR_3DDKSHADOW));

  // Thumb: page/range of the track, placed by the position (10 of 30 - perPage).
  const int track = c.bottom - 2 * kBar;
  const int thumb = std::max(8, track * perPage / 30);
  const int thumbTop = kBar + (track - thumb) * 10 / (30 - perPage);
  const COLORREF trackColour = at(x + 8, kBar + 1);
  EXPECT_NE(trackColour, face) << "the track stands apart from the thumb";
  EXPECT_EQ(at(x + 8, thumbTop - 1), trackColour);
  EXPECT_EQ(at(x + 8, thumbTop + 1), gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT)) << "the thumb's raised top edge";
  EXPECT_EQ(at(x + 8, thumbTop + thumb / 2), face);
  EXPECT_EQ(at(x + 8, thumbTop + thumb - 1), gdi::GetSysColor(gdi::COLOR_3DDKSHADOW));
  EXPECT_EQ(at(x + 8, thumbTop + thumb), trackColour);
}

}  // namespace
}  // namespace plat::win
