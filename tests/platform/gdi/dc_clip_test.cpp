// Device contexts: window offsets, window origins, clip regions, block copies and saved states.
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "tests/platform/gdi/pixels.h"

namespace plat::gdi {
namespace {

using testing_pixels::All;
using testing_pixels::Count;

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

TEST(DcClip, WindowContextDrawsAtItsOffsetAndOnlyInsideItsClip) {
  Surface s(30, 30);
  CDC dc(s, POINT{10, 5}, RECT{10, 5, 20, 15});  // a 10 x 10 child at (10, 5)
  RECT box;
  EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
  dc.FillSolidRect(RECT{-5, -5, 100, 100}, kRed);
  EXPECT_EQ(Count(s, RECT{0, 0, 30, 30}, kRed), 100);
  EXPECT_TRUE(All(s, RECT{10, 5, 20, 15}, kRed));
  EXPECT_EQ(dc.GetPixel(0, 0), kRed);
  EXPECT_EQ(dc.GetPixel(10, 0), CLR_INVALID);
}

TEST(DcClip, WindowOriginShiftsDrawingAndTheClipBox) {
  Surface s(20, 20);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 20, 20});
  EXPECT_EQ(dc.SetWindowOrg(5, 3), (POINT{0, 0}));
  dc.FillSolidRect(RECT{5, 3, 7, 4}, kRed);  // logical (5,3) is device (0,0)
  EXPECT_EQ(s.GetPixel(0, 0), kRed);
  EXPECT_EQ(s.GetPixel(1, 0), kRed);
  EXPECT_EQ(Count(s, RECT{0, 0, 20, 20}, kRed), 2);
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{5, 3, 25, 23}));
  EXPECT_EQ(dc.GetPixel(5, 3), kRed);
}

TEST(DcClip, RegionIsInDeviceUnitsAndIntersectionInLogicalUnits) {
  Surface s(20, 20);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 20, 20});
  dc.SetWindowOrg(10, 10);
  CRgn region;
  region.CreateRectRgn(2, 2, 6, 6);  // device
  EXPECT_EQ(dc.SelectClipRgn(&region), SIMPLEREGION);
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{12, 12, 16, 16}));
  dc.FillSolidRect(RECT{0, 0, 40, 40}, kRed);
  EXPECT_EQ(Count(s, RECT{0, 0, 20, 20}, kRed), 16);
  EXPECT_TRUE(All(s, RECT{2, 2, 6, 6}, kRed));

  EXPECT_EQ(dc.IntersectClipRect(RECT{14, 0, 40, 40}), SIMPLEREGION);  // logical
  dc.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{14, 12, 16, 16}));
  dc.FillSolidRect(RECT{0, 0, 40, 40}, kGreen);
  EXPECT_EQ(Count(s, RECT{0, 0, 20, 20}, kGreen), 8);
  EXPECT_TRUE(All(s, RECT{4, 2, 6, 6}, kGreen));

  EXPECT_EQ(dc.IntersectClipRect(RECT{0, 0, 1, 1}), NULLREGION);
  dc.SelectClipRgn(nullptr);
  dc.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{10, 10, 30, 30}));
}

TEST(DcClip, IntersectWithoutRegionStartsFromTheVisibleArea) {
  Surface s(10, 10);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 10, 10});
  dc.IntersectClipRect(RECT{-5, 5, 50, 50});
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{0, 5, 10, 10}));
  dc.FillSolidRect(RECT{0, 0, 10, 10}, kRed);
  EXPECT_EQ(Count(s, RECT{0, 0, 10, 10}, kRed), 50);
}

TEST(DcMemory, SelectedBitmapIsTheDrawingSurfaceAndBitBltCopiesIt) {
  CDC mem;
  mem.CreateCompatibleDC(nullptr);
  RECT box;
  mem.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{0, 0, 1, 1}));  // the stock 1 x 1 bitmap
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&mem, 6, 4));
  EXPECT_EQ(bitmap.GetSurface()->GetPixel(0, 0), 0x000000u);
  CBitmap* old = mem.SelectObject(&bitmap);
  ASSERT_NE(old, nullptr);
  EXPECT_EQ(mem.GetCurrentBitmap(), &bitmap);
  mem.FillSolidRect(RECT{0, 0, 6, 4}, kRed);
  mem.FillSolidRect(RECT{2, 1, 4, 3}, kGreen);
  EXPECT_EQ(bitmap.GetSurface()->GetPixel(2, 1), kGreen);

  Surface screen(20, 20);
  CDC target(screen, POINT{0, 0}, RECT{0, 0, 20, 20});
  EXPECT_TRUE(target.BitBlt(10, 10, 6, 4, &mem, 0, 0, SRCCOPY));
  EXPECT_TRUE(All(screen, RECT{12, 11, 14, 13}, kGreen));
  EXPECT_EQ(Count(screen, RECT{0, 0, 20, 20}, kRed), 24 - 4);
  // A copy reaching past the source's pixels copies only what is there.
  EXPECT_TRUE(target.BitBlt(0, 0, 10, 10, &mem, 4, 2, SRCCOPY));
  EXPECT_TRUE(All(screen, RECT{0, 0, 2, 2}, kRed));
  EXPECT_EQ(screen.GetPixel(0, 0), kRed);
  EXPECT_EQ(screen.GetPixel(2, 0), kWhite);
  EXPECT_EQ(screen.GetPixel(0, 2), kWhite);
  EXPECT_FALSE(target.BitBlt(0, 0, 1, 1, &mem, 0, 0, 0x00EE0086));

  mem.SelectObject(old);
  mem.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{0, 0, 1, 1}));
}

TEST(DcMemory, BitBltHonoursTheDestinationClipAndOverlapWithinOneSurface) {
  Surface s(10, 1);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 10, 1});
  for (int x = 0; x < 10; ++x) dc.SetPixel(x, 0, RGB(x * 20, 0, 0));
  dc.BitBlt(2, 0, 6, 1, &dc, 0, 0, SRCCOPY);  // shift right by two over itself
  for (int x = 2; x < 8; ++x) EXPECT_EQ(s.GetPixel(x, 0), RGB((x - 2) * 20, 0, 0)) << x;
  EXPECT_EQ(s.GetPixel(8, 0), RGB(160, 0, 0));

  CRgn region;
  region.CreateRectRgn(0, 0, 3, 1);
  dc.SelectClipRgn(&region);
  dc.BitBlt(0, 0, 10, 1, &dc, 9, 0, SRCCOPY);  // only pixel (9,0) exists at the source
  EXPECT_EQ(s.GetPixel(0, 0), RGB(180, 0, 0));
  EXPECT_EQ(s.GetPixel(1, 0), RGB(20, 0, 0));
}

TEST(DcMemory, BitmapPixelsOutliveTheBitmapObjectWhileSelected) {
  CDC mem;
  mem.CreateCompatibleDC(nullptr);
  {
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&mem, 3, 3);
    mem.SelectObject(&bitmap);
  }
  mem.FillSolidRect(RECT{0, 0, 3, 3}, kRed);  // must not touch freed memory
  EXPECT_EQ(mem.GetPixel(1, 1), kRed);
}

TEST(DcState, SaveAndRestoreBringBackObjectsColoursOriginAndClip) {
  Surface s(10, 10);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 10, 10});
  CPen pen(PS_SOLID, 1, kRed);
  CPen* stockPen = dc.GetCurrentPen();
  ASSERT_NE(stockPen, nullptr);
  int first = dc.SaveDC();
  EXPECT_EQ(first, 1);
  dc.SelectObject(&pen);
  dc.SetTextColor(kGreen);
  dc.SetBkMode(TRANSPARENT);
  dc.SetWindowOrg(3, 3);
  dc.IntersectClipRect(RECT{3, 3, 5, 5});
  EXPECT_EQ(dc.SaveDC(), 2);
  dc.SetTextColor(kWhite);
  EXPECT_TRUE(dc.RestoreDC(-1));
  EXPECT_EQ(dc.GetTextColor(), kGreen);
  EXPECT_EQ(dc.GetCurrentPen(), &pen);
  EXPECT_TRUE(dc.RestoreDC(first));
  EXPECT_EQ(dc.GetCurrentPen(), stockPen);
  EXPECT_EQ(dc.GetTextColor(), 0x000000u);
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);
  EXPECT_EQ(dc.GetWindowOrg(), (POINT{0, 0}));
  RECT box;
  dc.GetClipBox(&box);
  EXPECT_EQ(box, (RECT{0, 0, 10, 10}));
  EXPECT_FALSE(dc.RestoreDC(1));  // nothing saved any more
  EXPECT_FALSE(dc.RestoreDC(-1));
}

TEST(DcState, PalettesChangeNoPixelAndTheScreenHasNone) {
  Surface s(4, 4);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 4, 4});
  EXPECT_EQ(dc.GetDeviceCaps(RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
  dc.FillSolidRect(RECT{0, 0, 4, 4}, RGB(17, 99, 201));
  CPalette halftone;
  ASSERT_TRUE(halftone.CreateHalftonePalette(&dc));
  EXPECT_EQ(halftone.Entries().size(), 256u);
  CPalette* old = dc.SelectPalette(&halftone, FALSE);
  EXPECT_NE(old, nullptr);
  dc.RealizePalette();
  dc.FillSolidRect(RECT{0, 0, 2, 2}, RGB(18, 100, 202));
  EXPECT_EQ(s.GetPixel(0, 0), RGB(18, 100, 202));
  EXPECT_EQ(s.GetPixel(3, 3), RGB(17, 99, 201));
  EXPECT_EQ(dc.SelectPalette(old, FALSE), &halftone);
  CPalette empty;
  EXPECT_FALSE(empty.CreatePalette(0x300, {}));
}

}  // namespace
}  // namespace plat::gdi
