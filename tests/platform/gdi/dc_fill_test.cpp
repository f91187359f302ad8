// Device contexts: fills, lines, frames and edges land on exactly the pixels they should.
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "tests/platform/gdi/pixels.h"

namespace plat::gdi {
namespace {

using testing_pixels::All;
using testing_pixels::Count;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Canvas {
  Surface surface{20, 20};
  CDC dc{surface, POINT{0, 0}, RECT{0, 0, 20, 20}};
};

TEST(DcFill, SolidRectCoversExactlyItsRectangleAndSetsBackground) {
  Canvas c;
  c.dc.FillSolidRect(RECT{2, 3, 7, 5}, kRed);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kRed), 5 * 2);
  EXPECT_TRUE(All(c.surface, RECT{2, 3, 7, 5}, kRed));
  EXPECT_EQ(c.dc.GetBkColor(), kRed);
  // Corners given the other way round fill the same pixels; an empty width fills nothing.
  c.dc.FillSolidRect(12, 12, -3, -2, kBlue);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kBlue), 6);
  EXPECT_TRUE(All(c.surface, RECT{9, 10, 12, 12}, kBlue));
  c.dc.FillSolidRect(0, 0, 0, 5, 0x00FF00);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, 0x00FF00), 0);
}

TEST(DcFill, WideAndNarrowFillsStopAtTheirEdgesOnEveryRow) {
  // Widths around the points where a row's fill changes how it is done, at uneven offsets, over a
  // picture that is not blank: nothing left or right of a fill, or above or below it, changes.
  Surface surface{200, 12};
  CDC dc{surface, POINT{0, 0}, RECT{0, 0, 200, 12}};
  for (int width : {1, 2, 15, 16, 17, 31, 32, 33, 63, 64, 65, 150, 187}) {
    SCOPED_TRACE(width);
    dc.FillSolidRect(RECT{0, 0, 200, 12}, kBlue);
    const int left = 200 - width >= 13 ? 13 : 200 - width;
    dc.FillSolidRect(RECT{left, 3, left + width, 9}, kRed);
    EXPECT_TRUE(All(surface, RECT{left, 3, left + width, 9}, kRed));
    EXPECT_EQ(Count(surface, RECT{0, 0, 200, 12}, kRed), width * 6);
  }
  // A bitmap starts black, a surface white, whatever their size.
  Surface white{37, 5};
  EXPECT_TRUE(All(white, RECT{0, 0, 37, 5}, kWhite));
  Surface black{37, 5, 0x000000};
  EXPECT_TRUE(All(black, RECT{0, 0, 37, 5}, 0x000000));
}

TEST(DcFill, FillRectUsesTheBrushAndKeepsColours) {
  Canvas c;
  c.dc.SetBkColor(kWhite);
  CBrush brush(kBlue);
  EXPECT_EQ(c.dc.FillRect(RECT{0, 0, 3, 3}, &brush), 1);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kBlue), 9);
  EXPECT_EQ(c.dc.GetBkColor(), kWhite);
  CBrush hollow;
  hollow.CreateHollowBrush();
  c.dc.FillRect(RECT{5, 5, 8, 8}, &hollow);
  EXPECT_TRUE(All(c.surface, RECT{5, 5, 8, 8}, kWhite));
  CBrush never;
  EXPECT_EQ(c.dc.FillRect(RECT{5, 5, 8, 8}, &never), 0);
}

TEST(DcLines, StraightLinesStopBeforeTheirEndPoint) {
  Canvas c;
  CPen pen(PS_SOLID, 1, kRed);
  c.dc.SelectObject(&pen);
  c.dc.MoveTo(2, 4);
  c.dc.LineTo(9, 4);  // right: x 2..8
  EXPECT_TRUE(All(c.surface, RECT{2, 4, 9, 5}, kRed));
  EXPECT_EQ(c.surface.GetPixel(9, 4), kWhite);
  EXPECT_EQ(c.surface.GetPixel(1, 4), kWhite);
  EXPECT_EQ(c.dc.GetCurrentPosition(), (POINT{9, 4}));
  c.dc.LineTo(9, 10);  // down: y 4..9 at x 9
  EXPECT_TRUE(All(c.surface, RECT{9, 4, 10, 10}, kRed));
  EXPECT_EQ(c.surface.GetPixel(9, 10), kWhite);
  c.dc.LineTo(5, 10);  // left: x 9..6, the start included, 5 left out
  EXPECT_TRUE(All(c.surface, RECT{6, 10, 10, 11}, kRed));
  EXPECT_EQ(c.surface.GetPixel(5, 10), kWhite);
  c.dc.LineTo(5, 6);  // up: y 10..7
  EXPECT_TRUE(All(c.surface, RECT{5, 7, 6, 11}, kRed));
  EXPECT_EQ(c.surface.GetPixel(5, 6), kWhite);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kRed), 7 + 6 + 4 + 4);
}

TEST(DcLines, DiagonalWalksOnePixelPerStepAndNullPenDrawsNothing) {
  Canvas c;
  CPen pen(PS_SOLID, 1, kBlue);
  c.dc.SelectObject(&pen);
  c.dc.MoveTo(1, 1);
  c.dc.LineTo(6, 6);
  for (int i = 1; i < 6; ++i) EXPECT_EQ(c.surface.GetPixel(i, i), kBlue) << i;
  EXPECT_EQ(c.surface.GetPixel(6, 6), kWhite);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kBlue), 5);

  CPen none(PS_NULL, 1, kRed);
  c.dc.SelectObject(&none);
  c.dc.MoveTo(0, 15);
  c.dc.LineTo(19, 15);
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kRed), 0);
  EXPECT_EQ(c.dc.GetCurrentPosition(), (POINT{19, 15}));
}

TEST(DcLines, WidePenCoversASquarePerPoint) {
  Canvas c;
  CPen pen(PS_SOLID, 3, kRed);
  c.dc.SelectObject(&pen);
  c.dc.MoveTo(5, 10);
  c.dc.LineTo(10, 10);
  EXPECT_TRUE(All(c.surface, RECT{4, 9, 11, 12}, kRed));
  EXPECT_EQ(c.surface.GetPixel(11, 10), kWhite);
  EXPECT_EQ(c.surface.GetPixel(5, 8), kWhite);
  EXPECT_EQ(c.surface.GetPixel(5, 12), kWhite);
}

TEST(DcFrames, Draw3dRectPutsCornersWithTheBottomRightColour) {
  Canvas c;
  c.dc.Draw3dRect(RECT{2, 2, 8, 6}, kRed, kBlue);
  EXPECT_TRUE(All(c.surface, RECT{2, 2, 7, 3}, kRed));  // top without its right corner
  EXPECT_TRUE(All(c.surface, RECT{2, 2, 3, 5}, kRed));  // left without its bottom corner
  EXPECT_TRUE(All(c.surface, RECT{7, 2, 8, 6}, kBlue));  // right, both corners
  EXPECT_TRUE(All(c.surface, RECT{2, 5, 8, 6}, kBlue));  // bottom, both corners
  EXPECT_TRUE(All(c.surface, RECT{3, 3, 7, 5}, kWhite));  // inside untouched
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kRed) + Count(c.surface, RECT{0, 0, 20, 20}, kBlue), 16);
}

TEST(DcFrames, EdgesUseTheTwoLineSystemColours) {
  Canvas c;
  COLORREF light = GetSysColor(COLOR_3DLIGHT), dark = GetSysColor(COLOR_3DDKSHADOW);
  COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  RECT raised{0, 0, 10, 10};
  c.dc.DrawEdge(&raised, EDGE_RAISED, BF_RECT);
  EXPECT_EQ(c.surface.GetPixel(0, 4), light);
  EXPECT_EQ(c.surface.GetPixel(4, 0), light);
  EXPECT_EQ(c.surface.GetPixel(9, 4), dark);
  EXPECT_EQ(c.surface.GetPixel(4, 9), dark);
  EXPECT_EQ(c.surface.GetPixel(1, 4), hi);
  EXPECT_EQ(c.surface.GetPixel(4, 1), hi);
  EXPECT_EQ(c.surface.GetPixel(8, 4), shadow);
  EXPECT_EQ(c.surface.GetPixel(4, 8), shadow);
  EXPECT_EQ(c.surface.GetPixel(4, 4), kWhite);

  RECT sunken{10, 10, 20, 20};
  c.dc.DrawEdge(&sunken, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
  EXPECT_EQ(c.surface.GetPixel(10, 14), shadow);
  EXPECT_EQ(c.surface.GetPixel(19, 14), hi);
  EXPECT_EQ(c.surface.GetPixel(11, 14), dark);
  EXPECT_EQ(c.surface.GetPixel(18, 14), light);
  EXPECT_EQ(sunken, (RECT{12, 12, 18, 18}));
  EXPECT_TRUE(All(c.surface, RECT{12, 12, 18, 18}, GetSysColor(COLOR_BTNFACE)));
}

TEST(DcFrames, EdgesFollowChangedSystemColours) {
  Canvas c;
  int index = COLOR_BTNSHADOW;
  COLORREF green = RGB(0, 200, 0);
  ASSERT_TRUE(SetSysColors(1, &index, &green));
  RECT r{0, 0, 6, 6};
  c.dc.DrawEdge(&r, BDR_SUNKENOUTER, BF_LEFT | BF_TOP);
  EXPECT_EQ(c.surface.GetPixel(0, 3), green);
  EXPECT_EQ(c.surface.GetPixel(5, 3), kWhite);  // no right side asked for
  ResetSysColors();
  EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), RGB(128, 128, 128));
  int bad = 999;
  EXPECT_FALSE(SetSysColors(1, &bad, &green));
}

TEST(DcFrames, RectangleOutlinesWithPenAndFillsWithBrush) {
  Canvas c;
  CPen pen(PS_SOLID, 1, kRed);
  CBrush brush(kBlue);
  c.dc.SelectObject(&pen);
  c.dc.SelectObject(&brush);
  c.dc.MoveTo(0, 19);
  c.dc.Rectangle(RECT{2, 2, 8, 7});
  EXPECT_EQ(Count(c.surface, RECT{0, 0, 20, 20}, kRed), 2 * 6 + 2 * 3);
  EXPECT_TRUE(All(c.surface, RECT{3, 3, 7, 6}, kBlue));
  EXPECT_EQ(c.surface.GetPixel(8, 4), kWhite);
  EXPECT_EQ(c.dc.GetCurrentPosition(), (POINT{0, 19}));  // the current position is not moved
}

}  // namespace
}  // namespace plat::gdi
