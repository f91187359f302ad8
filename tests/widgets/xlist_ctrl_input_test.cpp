// CXListCtrl's input: clicks on check-box cells and disabled rows, the header's check-all box, the
// empty-list picture, and the cells' tooltips.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "list_fixture.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/surface.h"
#include "platform/kernel/resource.h"
#include "platform/text/text.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace drev::widgets_test {
namespace {

class ListInputTest : public ListTest {
 protected:
  void SetUp() override {
    host.watched.push_back(WM_XLISTCTRL_CHECKBOX_CLICKED);
    MakeList();
  }
  // Check-box clicks the host heard of, as (row, column).
  std::vector<std::pair<int, int>> BoxClicks() const {
    std::vector<std::pair<int, int>> clicks;
    for (const Received& r : host.received)
      if (r.msg == WM_XLISTCTRL_CHECKBOX_CLICKED) clicks.emplace_back(static_cast<int>(r.wParam), static_cast<int>(r.lParam));
    return clicks;
  }
  void Click(POINT p) { ASSERT_TRUE(SendClick(list, p)); }
  // Three rows with unticked boxes in column 0, the column's header box unticked.
  void ThreeBoxedRows() {
    for (int i = 0; i < 3; ++i) list.SetCheckbox(AddRow(), 0, 0);
    list.SetHeaderCheckedState(0, 1);
  }
};

TEST(CheckboxMessage, IsTheRegisteredMessageOfItsName) {
  EXPECT_EQ(WM_XLISTCTRL_CHECKBOX_CLICKED, RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED"));
  EXPECT_GE(WM_XLISTCTRL_CHECKBOX_CLICKED, MIN_REGISTERED_MESSAGE);
}

TEST_F(ListInputTest, AClickAnywhereInACheckBoxCellTogglesItAndTellsTheParent) {
  ThreeBoxedRows();
  const RECT cell = Cell(1, 0);
  Click(POINT{cell.right - 2, cell.bottom - 1});  // far from the box itself
  EXPECT_EQ(list.GetCheckbox(1, 0), 1);
  EXPECT_EQ(BoxClicks(), (std::vector<std::pair<int, int>>{{1, 0}}));
  EXPECT_EQ(list.GetCurSel(), 1) << "the click is then handled as usual";
  EXPECT_EQ(host.CountOf(WM_NOTIFY, NM_CLICK), 1);
  Click(Centre(cell));
  EXPECT_EQ(list.GetCheckbox(1, 0), 0);
  EXPECT_EQ(BoxClicks().size(), 2u);
  // A box in state 2 is unticked by a click.
  list.SetCheckbox(2, 0, 2);
  Click(Centre(Cell(2, 0)));
  EXPECT_EQ(list.GetCheckbox(2, 0), 0);
}

TEST_F(ListInputTest, TheHeaderBoxIsTickedExactlyWhenEveryRowIsTicked) {
  ThreeBoxedRows();
  Click(Centre(Cell(0, 0)));
  Click(Centre(Cell(1, 0)));
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  Click(Centre(Cell(2, 0)));
  EXPECT_EQ(list.GetHeaderCheckedState(0), 2);
  Click(Centre(Cell(0, 0)));
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  // A column whose header has no box keeps state 0.
  list.SetCheckbox(0, 2, 0);
  Click(Centre(Cell(0, 2)));
  EXPECT_EQ(list.GetCheckbox(0, 2), 1);
  EXPECT_EQ(list.GetHeaderCheckedState(2), 0);
}

TEST_F(ListInputTest, ATickByMouseShowsAtOnce) {
  ThreeBoxedRows();
  const RECT cell = Cell(0, 0);
  const int side = cell.Height() - 3;
  const POINT corner{cell.Width() / 2 - side / 2 + cell.left - 1 + 1, cell.top};
  Click(POINT{cell.left + 1, cell.top + 1});
  EXPECT_EQ(At(corner.x + 9, corner.y + 3), 0x000000);
}

TEST_F(ListInputTest, ADisabledRowSwallowsTheClick) {
  ThreeBoxedRows();
  list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  list.SetEnabled(1, 0);
  Click(Centre(Cell(1, 0)));
  Click(Centre(Cell(1, 1)));
  EXPECT_EQ(list.GetCheckbox(1, 0), 0);
  EXPECT_TRUE(BoxClicks().empty());
  EXPECT_EQ(list.GetCurSel(), 0);
  EXPECT_EQ(list.GetSelectedCount(), 1u);
  EXPECT_EQ(host.CountOf(WM_NOTIFY, NM_CLICK), 0);
}

TEST_F(ListInputTest, ACellWithoutABoxOnlySelects) {
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_TRACKSELECT);  // as the attachment list has it
  ThreeBoxedRows();
  Click(Centre(Cell(2, 1)));
  EXPECT_TRUE(BoxClicks().empty());
  EXPECT_EQ(list.GetCheckbox(2, 1), -1);
  EXPECT_EQ(list.GetCurSel(), 2);
}

TEST_F(ListInputTest, ARowWithoutRecordsIgnoresClicks) {
  LVITEM item;
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("plain");
  ASSERT_EQ(list.CListCtrl::InsertItem(&item), 0);
  Click(Centre(Cell(0, 1)));
  EXPECT_EQ(list.GetCurSel(), -1);
}

TEST_F(ListInputTest, TheHeaderCheckAllTicksRowsWithBoxesAndLeavesTheOthers) {
  ThreeBoxedRows();
  list.SetCheckbox(1, 0, -1);  // a row without a box in the column
  host.received.clear();
  RECT item{};
  list.GetHeaderCtrl()->GetItemRect(0, &item);
  ASSERT_TRUE(SendClick(list.GetHeaderCtrl()->m_hWnd, Centre(item)));
  EXPECT_EQ(list.GetHeaderCheckedState(0), 2);
  EXPECT_EQ(list.GetCheckbox(0, 0), 1);
  EXPECT_EQ(list.GetCheckbox(1, 0), -1);
  EXPECT_EQ(list.GetCheckbox(2, 0), 1);
  EXPECT_TRUE(BoxClicks().empty());
  EXPECT_EQ(host.CountOf(WM_NOTIFY, LVN_COLUMNCLICK), 1) << "the parent hears of the click after the list";
  ASSERT_TRUE(SendClick(list.GetHeaderCtrl()->m_hWnd, Centre(item)));
  EXPECT_EQ(list.GetHeaderCheckedState(0), 1);
  EXPECT_EQ(list.GetCheckbox(0, 0), 0);
  EXPECT_EQ(list.GetCheckbox(1, 0), -1);
  // A header without a box changes nothing.
  list.GetHeaderCtrl()->GetItemRect(1, &item);
  list.SetCheckbox(0, 1, 0);
  ASSERT_TRUE(SendClick(list.GetHeaderCtrl()->m_hWnd, Centre(item)));
  EXPECT_EQ(list.GetHeaderCheckedState(1), 0);
  EXPECT_EQ(list.GetCheckbox(0, 1), 0);
  EXPECT_EQ(host.CountOf(WM_NOTIFY, LVN_COLUMNCLICK), 3);
}

// Registers a PNG of solid `colour` as bitmap resource `id`; the bytes stay alive in `store`.
void RegisterSolidPng(UINT id, int width, int height, COLORREF colour, std::vector<unsigned char>& store,
                      const void* owner) {
  gdi::Surface picture(width, height);
  gdi::CDC dc(picture, POINT{0, 0}, RECT{0, 0, width, height});
  dc.FillSolidRect(RECT{0, 0, width, height}, colour);
  const std::string path = ::testing::TempDir() + "empty_list_picture.png";
  ASSERT_TRUE(picture.WritePng(path));
  std::ifstream in(path, std::ios::binary);
  store.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  kernel::RegisterResource(kernel::ResourceKind::Bitmap, id, store.data(), store.size(), owner);
}

class EmptyListPictureTest : public ListTest {
 protected:
  static constexpr COLORREF kPicture = RGB(200, 40, 40);
  static constexpr int kWidth = 60, kHeight = 20;
  void SetUp() override { RegisterSolidPng(4771, kWidth, kHeight, kPicture, bytes, this); }
  void TearDown() override {
    ListTest::TearDown();
    kernel::UnregisterResources(this);
  }
  std::vector<unsigned char> bytes;
};

TEST_F(EmptyListPictureTest, ShowsFivePixelsRightOfCentreUntilTheFirstRowArrives) {
  MakeList();
  ASSERT_TRUE(list.SetBkImage(4771u));
  list.Invalidate();
  RECT client{};
  list.GetClientRect(&client);
  const int x = (client.Width() - kWidth + 10) / 2;
  const int y = (client.Height() - kHeight) / 2;
  EXPECT_EQ(At(x, y), kPicture);
  EXPECT_EQ(At(x + kWidth - 1, y + kHeight - 1), kPicture);
  EXPECT_EQ(At(x - 1, y), Window());
  EXPECT_EQ(At(x + kWidth, y), Window());
  EXPECT_EQ(At(x, y + kHeight), Window());
  // Below the header the area is the window colour; the header itself stays.
  RECT header{};
  list.GetHeaderCtrl()->GetClientRect(&header);
  ASSERT_GT(header.bottom, 0);
  EXPECT_EQ(At(5, header.bottom + 1), Window());
  EXPECT_EQ(At(300, header.bottom / 2), gdi::GetSysColor(gdi::COLOR_BTNFACE));

  AddRow();
  EXPECT_EQ(CountPixels(list, RECT{x, y, x + kWidth, y + kHeight}, kPicture), 0);
  list.DeleteItem(0);
  EXPECT_EQ(At(x, y), kPicture);
}

TEST_F(EmptyListPictureTest, WithoutAPictureOrWithAHiddenHeaderItIsPlacedTheSameWay) {
  MakeList(LVS_NOCOLUMNHEADER);
  list.Invalidate();
  RECT client{};
  list.GetClientRect(&client);
  const int x = (client.Width() - kWidth + 10) / 2;
  const int y = (client.Height() - kHeight) / 2;
  EXPECT_EQ(At(x, y), Window());
  ASSERT_TRUE(list.SetBkImage(4771u));
  list.Invalidate();
  EXPECT_EQ(At(x, y), kPicture);
  EXPECT_EQ(At(5, 0), Window());
}

class ListToolTipTest : public ListTest {
 protected:
  void SetUp() override {
    MakeList();
    list.EnableToolTips(TRUE);
  }
  std::string ShownAt(POINT p) {
    EXPECT_TRUE(SendMouseMove(list, p));
    return ThreadToolTip()->GetShownText();
  }
  // A text request in the given form for a tool over the cell at `p`.
  template <typename Request>
  Request Ask(UINT code, POINT p, UINT_PTR toolId) {
    POINT screen = p;
    list.ClientToScreen(&screen);
    SetCurrentMessagePos(screen);
    Request request;
    request.hdr.hwndFrom = ThreadToolTip()->m_hWnd;
    request.hdr.idFrom = toolId;
    request.hdr.code = code;
    request.lpszText = request.szText;
    list.SendMessage(WM_NOTIFY, toolId, reinterpret_cast<LPARAM>(&request));
    return request;
  }
};

TEST_F(ListToolTipTest, EachCellLabelShowsItsOwnText) {
  int row = AddRow("a.txt", "1KB");
  list.SetItemToolTipText(row, 1, "full path of a.txt");
  list.SetItemToolTipText(row, 2, "1,024 bytes");
  EXPECT_EQ(ShownAt(Centre(Cell(row, 1))), "full path of a.txt");
  EXPECT_EQ(ShownAt(Centre(Cell(row, 2))), "1,024 bytes");
  EXPECT_EQ(ShownAt(POINT{200, 200}), "");  // below the rows: no tool
}

TEST_F(ListToolTipTest, LongTipsAreCutTo79Characters) {
  int row = AddRow();
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += static_cast<char>('a' + i % 26);
  list.SetItemToolTipText(row, 1, hundred.c_str());
  EXPECT_EQ(ShownAt(Centre(Cell(row, 1))), hundred.substr(0, 79));
}

TEST_F(ListToolTipTest, NarrowAndWideRequestsAreAnsweredFromTheCellUnderTheCursor) {
  int row = AddRow();
  std::string korean;
  for (int i = 0; i < 100; ++i) korean += text::Ansi("가");
  list.SetItemToolTipText(row, 1, korean.c_str());
  const POINT p = Centre(Cell(row, 1));
  const UINT_PTR id = static_cast<UINT_PTR>(row) * 1000 + 1 + 1;
  auto narrow = Ask<NMTTDISPINFOA>(TTN_NEEDTEXTA, p, id);
  // 79 bytes hold 39 whole two-byte characters.
  EXPECT_EQ(std::string(narrow.szText), korean.substr(0, 78));
  auto wide = Ask<NMTTDISPINFOW>(TTN_NEEDTEXTW, p, id);
  EXPECT_EQ(std::u16string(wide.szText), std::u16string(79, u'가'));
  auto none = Ask<NMTTDISPINFOA>(TTN_NEEDTEXTA, p, 0);
  EXPECT_EQ(std::string(none.szText), "");
  auto offLabel = Ask<NMTTDISPINFOA>(TTN_NEEDTEXTA, POINT{200, 200}, id);
  EXPECT_EQ(std::string(offLabel.szText), "");
}

// Records the tool ids the list is asked about.
class ToolIdList : public CXListCtrl {
 public:
  std::vector<UINT_PTR> asked;

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == TTN_NEEDTEXTA)
      asked.push_back(reinterpret_cast<NMHDR*>(lParam)->idFrom);
    return CXListCtrl::WindowProc(msg, wParam, lParam);
  }
};

TEST(ListToolIds, AreRowTimesAThousandPlusColumnPlusOne) {
  Host host;
  ToolIdList list;
  ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, RECT{0, 0, 380, 250}, &host, 201));
  list.InsertColumn(0, "", LVCFMT_LEFT, 40);
  list.InsertColumn(1, "name", LVCFMT_LEFT, 170);
  list.InsertColumn(2, "size", LVCFMT_CENTER, 70);
  for (int i = 0; i < 3; ++i) list.SetItemText(list.InsertItem(i, "x"), 2, "y");
  list.EnableToolTips(TRUE);
  RECT cell{};
  list.GetSubItemRect(2, 2, LVIR_BOUNDS, cell);
  SendMouseMove(list, POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
  list.GetSubItemRect(1, 0, LVIR_BOUNDS, cell);
  SendMouseMove(list, POINT{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2});
  EXPECT_EQ(list.asked, (std::vector<UINT_PTR>{2 * 1000 + 2 + 1, 1 * 1000 + 0 + 1}));
  list.DestroyWindow();
}

}  // namespace
}  // namespace drev::widgets_test
