// The module's bitmaps and strings: registered, loadable, of the sizes the dialogs cut them into.
#include <gtest/gtest.h>

#include "platform/gdi/image_list.h"
#include "platform/kernel/resource.h"
#include "resources/ModuleResources.h"
#include "resources/Resource.h"

namespace {

using namespace drev;

using plat::POINT;
using plat::RECT;
using plat::SIZE;
using plat::gdi::CBitmap;
using plat::gdi::CDC;
using plat::gdi::CImageList;
using plat::gdi::Surface;

constexpr plat::COLORREF kMagenta = 0xFF00FF;

class ModuleBitmaps : public ::testing::Test {
 protected:
  void SetUp() override { RegisterModuleResources(this); }
  void TearDown() override { UnregisterModuleResources(this); }
};

int CountOf(const Surface& s, RECT r, plat::COLORREF color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += s.GetPixel(x, y) == color;
  return n;
}

TEST_F(ModuleBitmaps, LoadWithTheirDescribedSizes) {
  struct Expected {
    plat::UINT id;
    SIZE size;
  };
  for (Expected e : {Expected{IDB_DREV, {16, 15}}, Expected{IDB_HEADER_CHECKS, {48, 16}},
                     Expected{IDB_CELL_PICTURES, {285, 16}}, Expected{IDB_DROP_HINT, {210, 49}}}) {
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadBitmap(e.id)) << e.id;
    EXPECT_EQ(bitmap.GetSize(), e.size) << e.id;
  }
}

TEST_F(ModuleBitmaps, HeaderStripIsBlankThenEmptyBoxThenTickedBox) {
  CImageList list;
  ASSERT_TRUE(list.Create(IDB_HEADER_CHECKS, 16, 3, kMagenta));
  ASSERT_EQ(list.GetImageCount(), 3);
  CBitmap bitmap;
  bitmap.LoadBitmap(IDB_HEADER_CHECKS);
  const Surface& s = *bitmap.GetSurface();
  EXPECT_EQ(CountOf(s, RECT{0, 0, 16, 16}, kMagenta), 256);  // image 0: nothing shows
  // Both boxes have a white inside and a transparent surround; only the ticked one has black.
  EXPECT_EQ(s.GetPixel(16 + 7, 8), 0xFFFFFFu);
  EXPECT_EQ(s.GetPixel(16, 0), kMagenta);
  EXPECT_EQ(s.GetPixel(32, 0), kMagenta);
  EXPECT_EQ(CountOf(s, RECT{16 + 3, 3, 16 + 12, 12}, 0x000000), 0);
  EXPECT_GE(CountOf(s, RECT{32 + 3, 3, 32 + 12, 12}, 0x000000), 15);
}

TEST_F(ModuleBitmaps, CellStripHoldsThreePicturesOnTransparentGround) {
  CImageList list;
  ASSERT_TRUE(list.Create(IDB_CELL_PICTURES, 95, 3, kMagenta));
  EXPECT_EQ(list.GetImageCount(), 3);
  // Each picture shows something, and its corners are transparent.
  Surface target(95, 16);
  CDC dc(target, POINT{0, 0}, RECT{0, 0, 95, 16});
  for (int i = 0; i < 3; ++i) {
    dc.FillSolidRect(RECT{0, 0, 95, 16}, 0x00FF00);
    list.Draw(&dc, i, POINT{0, 0}, plat::gdi::ILD_NORMAL);
    EXPECT_EQ(target.GetPixel(0, 0), 0x00FF00u) << i;
    EXPECT_LT(CountOf(target, RECT{0, 0, 95, 16}, 0x00FF00), 95 * 16 / 2) << i;
  }
}

TEST_F(ModuleBitmaps, DropHintIsOnTheWindowColourWithAPictureAndText) {
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadBitmap(IDB_DROP_HINT));
  const Surface& s = *bitmap.GetSurface();
  EXPECT_EQ(s.GetPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(s.GetPixel(209, 48), 0xFFFFFFu);
  EXPECT_GT(49 * 40 - CountOf(s, RECT{0, 0, 40, 49}, 0xFFFFFF), 50);      // the picture at the left
  EXPECT_GT(49 * 160 - CountOf(s, RECT{40, 0, 200, 49}, 0xFFFFFF), 200);  // caption and text
  EXPECT_EQ(bitmap.ColorTableSize(), 0);  // a true-colour picture
}

TEST_F(ModuleBitmaps, StringTableAndUnregistering) {
  EXPECT_EQ(plat::kernel::LoadString(IDS_DREV), "DREV multiupload control");
  UnregisterModuleResources(this);
  CBitmap bitmap;
  EXPECT_FALSE(bitmap.LoadBitmap(IDB_DREV));
  EXPECT_EQ(plat::kernel::LoadString(IDS_DREV), "");
}

}  // namespace
