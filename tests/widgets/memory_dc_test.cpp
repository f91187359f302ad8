// CMemoryDC: drawing in the target's coordinates reaches exactly the target's clip box, once.
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "widgets/CMemoryDC.h"

namespace {

using namespace drev;

using plat::POINT;
using plat::RECT;
using plat::RGB;
using plat::gdi::CDC;
using plat::gdi::CRgn;
using plat::gdi::Surface;

constexpr plat::COLORREF kWhite = 0xFFFFFF;
constexpr plat::COLORREF kRed = RGB(255, 0, 0);
constexpr plat::COLORREF kBlue = RGB(0, 0, 255);

int CountOf(const Surface& s, plat::COLORREF color) {
  int n = 0;
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x) n += s.GetPixel(x, y) == color;
  return n;
}

TEST(CMemoryDC, PutsExactlyTheClipBoxOnTheTargetWhenReleased) {
  Surface screen(40, 30);
  CDC target(screen, POINT{5, 5}, RECT{5, 5, 35, 25});  // a 30 x 20 window at (5, 5)
  CRgn clip;
  clip.CreateRectRgn(4, 3, 14, 9);  // the part being repainted
  target.SelectClipRgn(&clip);
  {
    CMemoryDC mem(&target);
    EXPECT_EQ(mem.GetRect(), (RECT{4, 3, 14, 9}));
    RECT box;
    mem.GetClipBox(&box);
    EXPECT_EQ(box, (RECT{4, 3, 14, 9}));
    mem.FillSolidRect(RECT{-100, -100, 100, 100}, kRed);  // more than the clip box
    mem.FillSolidRect(RECT{5, 4, 7, 6}, kBlue);           // target coordinates
    EXPECT_EQ(CountOf(screen, kRed), 0);                  // nothing shows before the release
  }
  EXPECT_EQ(CountOf(screen, kRed) + CountOf(screen, kBlue), 10 * 6);
  EXPECT_EQ(CountOf(screen, kBlue), 4);
  EXPECT_EQ(screen.GetPixel(5 + 5, 5 + 4), kBlue);  // window offset + logical position
  EXPECT_EQ(screen.GetPixel(5 + 4, 5 + 3), kRed);
  EXPECT_EQ(screen.GetPixel(5 + 13, 5 + 8), kRed);
  EXPECT_EQ(screen.GetPixel(5 + 14, 5 + 8), kWhite);
  EXPECT_EQ(screen.GetPixel(5 + 3, 5 + 3), kWhite);
}

TEST(CMemoryDC, FollowsTheTargetsWindowOrigin) {
  Surface screen(20, 20);
  CDC target(screen, POINT{0, 0}, RECT{0, 0, 20, 20});
  target.SetWindowOrg(-10, -10);  // logical (0,0) is the surface's (10,10)
  {
    CMemoryDC mem(&target);
    EXPECT_EQ(mem.GetRect(), (RECT{-10, -10, 10, 10}));
    mem.FillSolidRect(RECT{-10, -10, 10, 10}, kWhite);
    mem.FillSolidRect(RECT{0, 0, 1, 1}, kRed);
  }
  EXPECT_EQ(CountOf(screen, kRed), 1);
  EXPECT_EQ(screen.GetPixel(10, 10), kRed);
}

TEST(CMemoryDC, LeavesTheTargetsOwnStateAlone) {
  Surface screen(10, 10);
  CDC target(screen, POINT{0, 0}, RECT{0, 0, 10, 10});
  target.SetTextColor(kBlue);
  {
    CMemoryDC mem(&target);
    mem.SetTextColor(kRed);
    mem.FillSolidRect(RECT{0, 0, 10, 10}, kRed);
  }
  EXPECT_EQ(target.GetTextColor(), kBlue);
  EXPECT_EQ(target.GetBkColor(), kWhite);
  target.FillSolidRect(RECT{0, 0, 1, 1}, kBlue);  // the target still draws
  EXPECT_EQ(screen.GetPixel(0, 0), kBlue);
}

TEST(CMemoryDC, EmptyClipOrNoTargetCopiesNothing) {
  Surface screen(10, 10);
  CDC target(screen, POINT{0, 0}, RECT{0, 0, 10, 10});
  target.IntersectClipRect(RECT{20, 20, 30, 30});
  {
    CMemoryDC mem(&target);
    EXPECT_TRUE(mem.GetRect().IsEmpty());
    mem.FillSolidRect(RECT{0, 0, 10, 10}, kRed);
  }
  EXPECT_EQ(CountOf(screen, kRed), 0);
  CMemoryDC orphan(nullptr);
  orphan.FillSolidRect(RECT{0, 0, 5, 5}, kRed);  // a context of its own; goes nowhere
}

}  // namespace
