// CXListCtrl's own cell drawing: check boxes and their ticks, progress cells with the two-colour
// text, small and cell images, colours of disabled and selected rows, alignment, bold text.
#include <gtest/gtest.h>

#include <string>

#include "list_fixture.h"
#include "platform/text/text.h"
#include "widgets/ProgressCellText.h"

namespace drev::widgets_test {
namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kTrough = 0xE0E0E0;

// The 21 pixels of the tick, from the box's top-left corner after its one-pixel shift.
std::vector<POINT> TickPixels(POINT corner) {
  const int strokes[][2] = {{9, 3}, {8, 4}, {7, 5}, {6, 6}, {5, 7}, {4, 6}, {3, 5}};
  std::vector<POINT> pixels;
  for (const auto& s : strokes)
    for (int k = 0; k < 3; ++k) pixels.push_back(POINT{corner.x + s[0], corner.y + s[1] + k});
  return pixels;
}

class ListDrawTest : public ListTest {
 protected:
  void SetUp() override { MakeList(); }
  // The box of a check-box cell: {left before the shift, top, right, bottom}.
  RECT Box(const RECT& cell, bool centred) {
    const int side = cell.Height() - 3;
    const int left = centred ? cell.Width() / 2 - side / 2 + cell.left - 1 : cell.left + 7;
    return RECT{left, cell.top, left + side, cell.top + side};
  }
  int CountAt(const std::vector<POINT>& pixels, COLORREF colour) {
    int n = 0;
    for (POINT p : pixels) n += At(p.x, p.y) == colour;
    return n;
  }
};

TEST_F(ListDrawTest, AnEmptyTextCheckBoxIsCentredAndItsTickIsSevenStrokes) {
  int row = AddRow();
  list.SetItemText(row, 0, nullptr, static_cast<COLORREF>(-1), kYellow);
  list.SetCheckbox(row, 0, 0);
  const RECT cell = Cell(row, 0);
  const RECT box = Box(cell, true);
  const std::vector<POINT> tick = TickPixels(POINT{box.left + 1, box.top});
  // The square is window-coloured with a sunken edge; the rest of the cell keeps its background.
  EXPECT_EQ(At(box.left, box.top + 5), Window());
  EXPECT_EQ(At(box.left + 1, box.top + 5), gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
  EXPECT_EQ(At(box.left - 1, box.top + 5), kYellow);
  EXPECT_EQ(At(box.right, box.top + 5), kYellow);
  EXPECT_EQ(At(box.left + 5, box.bottom), kYellow);
  EXPECT_EQ(CountAt(tick, kBlack), 0);
  EXPECT_EQ(CountAt(tick, Window()), 21);

  list.SetCheckbox(row, 0, 1);
  EXPECT_EQ(CountAt(tick, kBlack), 21);
  // Just past each end of the strokes the box stays white.
  EXPECT_EQ(At(box.left + 1 + 9, box.top + 2), Window());
  EXPECT_EQ(At(box.left + 1 + 9, box.top + 6), Window());
  EXPECT_EQ(At(box.left + 1 + 3, box.top + 8), Window());

  list.SetCheckbox(row, 0, 2);  // any state but 1 is an empty box
  EXPECT_EQ(CountAt(tick, kBlack), 0);
}

TEST_F(ListDrawTest, ADisabledRowsTickIsGrey) {
  int row = AddRow();
  list.SetCheckbox(row, 0, 1);
  list.SetEnabled(row, 0);
  const RECT box = Box(Cell(row, 0), true);
  const std::vector<POINT> tick = TickPixels(POINT{box.left + 1, box.top});
  EXPECT_EQ(CountAt(tick, gdi::GetSysColor(gdi::COLOR_GRAYTEXT)), 21);
}

TEST_F(ListDrawTest, ACheckBoxWithTextSitsSevenPixelsInAndTheTextFourPixelsAfterIt) {
  int row = AddRow("file.txt");
  list.SetItemText(row, 1, nullptr, static_cast<COLORREF>(-1), kYellow);
  list.SetCheckbox(row, 1, 1);
  const RECT cell = Cell(row, 1);
  const RECT box = Box(cell, false);
  EXPECT_EQ(box.left, cell.left + 7);
  EXPECT_EQ(At(box.left - 1, box.top + 5), kYellow);
  EXPECT_EQ(At(box.left, box.top + 5), Window());
  EXPECT_EQ(CountAt(TickPixels(POINT{box.left + 1, box.top}), kBlack), 21);
  auto [first, last] = InkSpan(list, RECT{box.right, cell.top, cell.right, cell.bottom}, kYellow);
  ASSERT_GE(first, 0) << "the text is drawn";
  EXPECT_GE(first, box.right + 4);
  EXPECT_LT(first, box.right + 8);
}

TEST_F(ListDrawTest, AProgressCellAtZeroShowsTheEmptyTroughOnly) {
  int row = AddRow();
  list.SetProgress(row, 1);
  const RECT cell = Cell(row, 1);
  const int L = cell.left + 1, T = cell.top, R = cell.right - 2, B = cell.bottom - 1;
  const COLORREF shadow = gdi::GetSysColor(gdi::COLOR_BTNSHADOW);
  EXPECT_EQ(At(L, T + 3), shadow);
  EXPECT_EQ(At(R, T + 3), shadow);
  EXPECT_EQ(At(L + 20, T), shadow);
  EXPECT_EQ(At(L + 20, B), shadow);
  EXPECT_EQ(At(R, B), shadow);  // the bottom line includes its right end
  EXPECT_EQ(At(L + 1, T + 3), kBlack);
  EXPECT_EQ(At(L + 20, T + 1), kBlack);
  EXPECT_EQ(At(R - 1, T + 1), kTrough);  // the inner shadow stops one short of the frame
  EXPECT_EQ(CountPixels(list, RECT{L + 2, T + 2, R, B}, kTrough), (R - L - 2) * (B - T - 2));
}

TEST_F(ListDrawTest, AProgressCellSplitsItsTextColoursAtTheBarsEnd) {
  constexpr COLORREF kText = RGB(200, 0, 0);
  constexpr COLORREF kBack = RGB(0, 200, 0);
  int row = AddRow();
  list.SetItemText(row, 1, nullptr, kText, kBack);
  list.SetProgress(row, 1);
  list.UpdateProgress(row, 1, 50);
  const RECT cell = Cell(row, 1);
  const int L = cell.left + 1, T = cell.top, R = cell.right - 2, B = cell.bottom - 1;
  const int barRight = L + 2 + (R - L - 2) * 50 / 100;
  const RECT bar{L + 2, T + 2, barRight, B};
  const RECT rest{barRight, T, cell.right, cell.bottom};
  const COLORREF highlight = gdi::GetSysColor(gdi::COLOR_HIGHLIGHT);
  EXPECT_EQ(At(L + 3, T + 3), highlight);
  EXPECT_EQ(At(barRight - 1, B - 1), highlight);
  EXPECT_EQ(At(R - 1, B - 1), kTrough);
  // "50%" is centred over the bar's end: its left part in the background colour on the bar, its
  // right part in the text colour on the trough, and never the other way round.
  EXPECT_GT(CountPixels(list, bar, kBack), 0);
  EXPECT_EQ(CountPixels(list, rest, kBack), 0);
  EXPECT_GT(CountPixels(list, rest, kText), 0);
  EXPECT_EQ(CountPixels(list, bar, kText), 0);
  // Without text only the bar and the trough show.
  list.SetProgress(row, 1, 0);
  list.UpdateProgress(row, 1, 50);
  EXPECT_EQ(CountPixels(list, bar, highlight), bar.Width() * bar.Height());
  list.DeleteProgress(row, 1);
  EXPECT_EQ(At(L + 3, T + 3), kBack);
}

TEST(ProgressText, FormatsTheOneIntegerAndNothingElse) {
  EXPECT_EQ(FormatProgressCellText("", 50), "50%");
  EXPECT_EQ(FormatProgressCellText("%3d %%", 7), "  7 %");
  EXPECT_EQ(FormatProgressCellText("done %d of 100", 42), "done 42 of 100");
  // Conversions with no argument behind them are shown as written, not read from the stack.
  EXPECT_EQ(FormatProgressCellText("%s %d %d %n", 5), "%s 5 %d %n");
  EXPECT_EQ(FormatProgressCellText("100%", 9), "100%");
}

TEST_F(ListDrawTest, SmallImagesSitSixPixelsInAndTheTextFollowsThem) {
  constexpr COLORREF kGreen = kIconGreen;
  int row = AddRow("file.txt");
  list.SetItemText(row, 1, nullptr, static_cast<COLORREF>(-1), kYellow);
  list.SetItemImage(row, 1, 1);
  const RECT cell = Cell(row, 1);
  const int mid = (cell.top + cell.bottom) / 2;
  EXPECT_EQ(At(cell.left + 5, mid), kYellow);
  EXPECT_EQ(At(cell.left + 6, mid), kGreen);
  EXPECT_EQ(At(cell.left + 21, mid), kGreen);
  EXPECT_EQ(At(cell.left + 22, mid), kYellow);
  auto [first, last] = InkSpan(list, RECT{cell.left + 22, cell.top, cell.right, cell.bottom}, kYellow);
  EXPECT_GE(first, cell.left + 6 + 16);
  EXPECT_EQ(smallIcons.GetBkColor(), gdi::CLR_NONE) << "the list's background colour is put back after the draw";
}

TEST_F(ListDrawTest, ACellImageIsDrawnAloneInItsCell) {
  constexpr COLORREF kBadge = RGB(180, 60, 0);
  FillSolidImages(list.m_cImageListCell, 30, 16, {RGB(0, 0, 0), kBadge});
  int row = AddRow("some text that is not drawn");
  list.SetItemText(row, 1, nullptr, static_cast<COLORREF>(-1), kYellow);
  list.SetCellImage(row, 1, 1);
  const RECT cell = Cell(row, 1);
  const int mid = (cell.top + cell.bottom) / 2;
  EXPECT_EQ(At(cell.left + 6, mid), kBadge);
  EXPECT_EQ(At(cell.left + 35, mid), kBadge);
  EXPECT_EQ(CountPixels(list, RECT{cell.left + 36, cell.top, cell.right, cell.bottom}, kYellow),
            (cell.right - cell.left - 36) * cell.Height());
}

TEST_F(ListDrawTest, TextTakesTheCellColoursAndGreysOnADisabledRow) {
  constexpr COLORREF kText = RGB(0, 0, 230);
  int row = AddRow("WWWWWW");
  list.SetItemText(row, 1, nullptr, kText, kYellow);
  const RECT cell = Cell(row, 1);
  EXPECT_GT(CountPixels(list, cell, kText), 0);
  EXPECT_EQ(At(cell.right - 2, cell.top + 1), kYellow);
  list.SetEnabled(row, 0);
  EXPECT_EQ(CountPixels(list, cell, kText), 0);
  EXPECT_GT(CountPixels(list, cell, gdi::GetSysColor(gdi::COLOR_GRAYTEXT)), 0);
}

TEST_F(ListDrawTest, TextFollowsTheColumnsAlignmentAndBoldDrawsHeavier) {
  int row = AddRow("WWW", "WWW");
  const RECT centred = Cell(row, 2);
  auto [first, last] = InkSpan(list, centred, Window());
  EXPECT_NEAR((first + last + 1) / 2.0, (centred.left + centred.right) / 2.0, 1.5);
  const RECT left = Cell(row, 1);
  EXPECT_LT(InkSpan(list, left, Window()).first, left.left + 3);
  const int normalInk = CountPixels(list, left, gdi::GetSysColor(gdi::COLOR_WINDOWTEXT));
  list.SetBold(row, 1, 1);
  EXPECT_GT(CountPixels(list, left, gdi::GetSysColor(gdi::COLOR_WINDOWTEXT)), normalInk);
}

TEST_F(ListDrawTest, SelectedCellsTakeTheSelectionColoursByFocusAndStyle) {
  int row = AddRow("name");
  const RECT first = Cell(row, 0);
  const RECT second = Cell(row, 1);
  list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  list.SetFocus();
  const COLORREF highlight = gdi::GetSysColor(gdi::COLOR_HIGHLIGHT);
  // Without full-row select only column 0 shows the selection.
  EXPECT_EQ(At(first.left + 2, first.top + 1), highlight);
  EXPECT_EQ(At(second.right - 2, second.top + 1), Window());
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  EXPECT_EQ(At(second.right - 2, second.top + 1), highlight);
  // Without the focus: nothing, or the button face with "always show the selection".
  host.SetFocus();
  EXPECT_EQ(At(second.right - 2, second.top + 1), Window());
  list.ModifyStyle(0, LVS_SHOWSELALWAYS);
  list.Invalidate();
  EXPECT_EQ(At(second.right - 2, second.top + 1), gdi::GetSysColor(gdi::COLOR_BTNFACE));
}

TEST_F(ListDrawTest, AProgressCellIsNotRecolouredBySelection) {
  int row = AddRow();
  list.SetProgress(row, 1, 0);
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  list.SetFocus();
  const RECT cell = Cell(row, 1);
  EXPECT_EQ(At(cell.right - 5, cell.top + 4), kTrough);
}

TEST_F(ListDrawTest, ARowWithoutRecordsIsDrawnPlainInTheDefaultColours) {
  LVITEM item;
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.pszText = const_cast<char*>("WWW");
  ASSERT_EQ(list.CListCtrl::InsertItem(&item), 0);
  ASSERT_EQ(list.GetRowData(0), nullptr);
  const RECT cell = Cell(0, 0);
  EXPECT_GT(CountPixels(list, cell, gdi::GetSysColor(gdi::COLOR_WINDOWTEXT)), 0);
  EXPECT_EQ(At(cell.right - 1, cell.top + 1), Window());
}

}  // namespace
}  // namespace drev::widgets_test
