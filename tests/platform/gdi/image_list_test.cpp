// Image lists and bitmaps: transparency with and without a background colour, clipped draws,
// pictures from resources, icons with alpha and colour tables.
#include <gtest/gtest.h>

#include "platform/gdi/image_list.h"
#include "platform/kernel/resource.h"
#include "tests/platform/gdi/pixels.h"
#include "tests/platform/gdi/png_bytes.h"

namespace plat::gdi {
namespace {

using testing_pixels::All;
using testing_pixels::Count;

constexpr COLORREF kMagenta = 0xFF00FF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 200, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(100, 100, 100);

// A 3-image strip of 4 x 4 pictures on magenta: image 0 all magenta, image 1 a green 2 x 2 square in
// the top-left corner, image 2 all green.
std::unique_ptr<CBitmap> Strip() {
  auto bitmap = std::make_unique<CBitmap>();
  CDC mem;
  mem.CreateCompatibleDC(nullptr);
  bitmap->CreateCompatibleBitmap(&mem, 12, 4);
  CBitmap* old = mem.SelectObject(bitmap.get());
  mem.FillSolidRect(RECT{0, 0, 12, 4}, kMagenta);
  mem.FillSolidRect(RECT{4, 0, 6, 2}, kGreen);
  mem.FillSolidRect(RECT{8, 0, 12, 4}, kGreen);
  mem.SelectObject(old);
  return bitmap;
}

struct Target {
  Surface surface{10, 10};
  CDC dc{surface, POINT{0, 0}, RECT{0, 0, 10, 10}};
  Target() { dc.FillSolidRect(RECT{0, 0, 10, 10}, kRed); }
};

TEST(ImageList, MaskedPixelsShowTheTargetOrTheBackgroundColour) {
  CImageList list;
  ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32 | ILC_MASK, 3, 3));
  auto strip = Strip();
  EXPECT_EQ(list.Add(strip.get(), kMagenta), 0);
  EXPECT_EQ(list.GetImageCount(), 3);
  IMAGEINFO info;
  ASSERT_TRUE(list.GetImageInfo(2, &info));
  EXPECT_EQ(info.rcImage, (RECT{8, 0, 12, 4}));
  EXPECT_FALSE(list.GetImageInfo(3, &info));
  EXPECT_EQ(list.GetBkColor(), CLR_NONE);

  Target t;
  ASSERT_TRUE(list.Draw(&t.dc, 1, POINT{2, 2}, ILD_NORMAL));
  EXPECT_TRUE(All(t.surface, RECT{2, 2, 4, 4}, kGreen));
  EXPECT_EQ(Count(t.surface, RECT{0, 0, 10, 10}, kGreen), 4);
  EXPECT_EQ(Count(t.surface, RECT{0, 0, 10, 10}, kMagenta), 0);

  EXPECT_EQ(list.SetBkColor(kBlue), CLR_NONE);
  Target u;
  list.Draw(&u.dc, 1, POINT{2, 2}, ILD_NORMAL);
  EXPECT_TRUE(All(u.surface, RECT{2, 2, 4, 4}, kGreen));
  EXPECT_EQ(Count(u.surface, RECT{0, 0, 10, 10}, kBlue), 16 - 4);
  Target v;
  list.Draw(&v.dc, 1, POINT{2, 2}, ILD_TRANSPARENT);  // the background colour is ignored
  EXPECT_EQ(Count(v.surface, RECT{0, 0, 10, 10}, kBlue), 0);
  EXPECT_EQ(list.SetBkColor(CLR_NONE), kBlue);
  EXPECT_FALSE(list.Draw(&v.dc, 3, POINT{0, 0}, ILD_NORMAL));
  EXPECT_FALSE(list.Draw(nullptr, 0, POINT{0, 0}, ILD_NORMAL));
}

TEST(ImageList, ListsWithoutMaskKeepTheMaskColour) {
  CImageList list;
  ASSERT_TRUE(list.Create(4, 4, ILC_COLOR32, 0, 1));
  auto strip = Strip();
  list.Add(strip.get(), kMagenta);
  Target t;
  list.Draw(&t.dc, 0, POINT{0, 0}, ILD_NORMAL);
  EXPECT_TRUE(All(t.surface, RECT{0, 0, 4, 4}, kMagenta));
}

TEST(ImageList, ClippedDrawsTouchOnlyTheAskedArea) {
  CImageList list;
  list.Create(4, 4, ILC_MASK, 3, 3);
  auto strip = Strip();
  list.Add(strip.get(), kMagenta);
  Target t;
  ASSERT_TRUE(list.DrawEx(&t.dc, 2, POINT{1, 1}, SIZE{3, 2}, CLR_DEFAULT, CLR_DEFAULT, ILD_NORMAL));
  EXPECT_EQ(Count(t.surface, RECT{0, 0, 10, 10}, kGreen), 6);
  EXPECT_TRUE(All(t.surface, RECT{1, 1, 4, 3}, kGreen));
  // A size larger than the image stops at the image; an origin starts inside it.
  Target u;
  list.DrawIndirect(&u.dc, 1, POINT{0, 0}, SIZE{50, 50}, POINT{1, 1});
  EXPECT_EQ(Count(u.surface, RECT{0, 0, 10, 10}, kGreen), 1);
  EXPECT_EQ(u.surface.GetPixel(0, 0), kGreen);
  // The device context's clip holds too.
  Target w;
  CRgn clip;
  clip.CreateRectRgn(0, 0, 2, 10);
  w.dc.SelectClipRgn(&clip);
  list.Draw(&w.dc, 2, POINT{0, 0}, ILD_NORMAL);
  EXPECT_EQ(Count(w.surface, RECT{0, 0, 10, 10}, kGreen), 8);
}

TEST(ImageList, RemoveAndRecreate) {
  CImageList list;
  EXPECT_EQ(list.GetSafeHandle(), nullptr);
  EXPECT_EQ(list.Add(Strip().get(), kMagenta), -1);  // not created yet
  list.Create(4, 4, ILC_MASK, 0, 1);
  EXPECT_EQ(list.GetSafeHandle(), &list);
  auto strip = Strip();
  list.Add(strip.get(), kMagenta);
  EXPECT_EQ(list.Add(strip.get(), kMagenta), 3);
  EXPECT_TRUE(list.Remove(0));
  EXPECT_EQ(list.GetImageCount(), 5);
  EXPECT_FALSE(list.Remove(5));
  EXPECT_TRUE(list.Remove(-1));
  EXPECT_EQ(list.GetImageCount(), 0);
  CImageList wide;
  wide.Create(20, 4, ILC_MASK, 0, 1);
  EXPECT_EQ(wide.Add(strip.get(), kMagenta), -1);  // narrower than one image
  EXPECT_FALSE(wide.Create(0, 4, ILC_MASK, 0, 1));
}

TEST(ImageList, IconsKeepTheirOwnTransparency) {
  // 2 x 1 picture: an opaque blue pixel and a fully transparent one.
  auto png = testing_png::Png(2, 1, 6, {std::string("\x00\x00\xFF\xFF\x00\xFF\x00\x00", 8)});
  auto icon = Surface::FromPngBytes(png.data(), png.size());
  ASSERT_TRUE(icon);
  CImageList list;
  list.Create(4, 2, ILC_COLOR32 | ILC_MASK, 1, 1);
  EXPECT_EQ(list.Add(*icon), 0);  // scaled up to 4 x 2
  Target t;
  list.Draw(&t.dc, 0, POINT{0, 0}, ILD_NORMAL);
  EXPECT_TRUE(All(t.surface, RECT{0, 0, 2, 2}, kBlue));
  EXPECT_TRUE(All(t.surface, RECT{2, 0, 4, 2}, kRed));
  list.SetBkColor(kGrey);
  list.Draw(&t.dc, 0, POINT{0, 0}, ILD_NORMAL);
  EXPECT_TRUE(All(t.surface, RECT{2, 0, 4, 2}, kGrey));
}

class ResourceBitmaps : public ::testing::Test {
 protected:
  void SetUp() override {
    // 8 x 2 palette picture: indices 0 (magenta) and 1 (grey), two 4-pixel images.
    palettePng_ = testing_png::Png(8, 2, 3, {std::string("\x00\x01\x01\x00\x01\x01\x01\x01", 8),
                                             std::string("\x00\x00\x00\x00\x01\x01\x01\x01", 8)},
                                   std::string("\xFF\x00\xFF\x64\x64\x64", 6));
    plat::kernel::RegisterResource(plat::kernel::ResourceKind::Bitmap, 9301, palettePng_.data(), palettePng_.size(),
                                   this);
    static const unsigned char junk[] = "not a picture";
    plat::kernel::RegisterResource(plat::kernel::ResourceKind::Bitmap, 9302, junk, sizeof junk, this);
  }
  void TearDown() override { plat::kernel::UnregisterResources(this); }
  std::vector<unsigned char> palettePng_;
};

TEST_F(ResourceBitmaps, LoadWithSizeAndColourTable) {
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.LoadBitmap(9301));
  EXPECT_EQ(bitmap.GetSize(), (SIZE{8, 2}));
  EXPECT_EQ(bitmap.ColorTableSize(), 2);
  EXPECT_EQ(bitmap.BitsPerPixel(), 8);
  EXPECT_EQ(bitmap.ColorTable()[1].peRed, 0x64);
  EXPECT_EQ(bitmap.GetSurface()->GetPixel(1, 0), kGrey);
  EXPECT_FALSE(bitmap.LoadBitmap(9302));
  EXPECT_EQ(bitmap.GetSize(), (SIZE{0, 0}));  // a failed load leaves no picture
  EXPECT_FALSE(bitmap.LoadBitmap(9399));
}

TEST_F(ResourceBitmaps, ImageListFromAResourceWithTransparentColour) {
  CImageList list;
  ASSERT_TRUE(list.Create(9301, 4, 3, kMagenta));
  EXPECT_EQ(list.GetImageCount(), 2);
  int cx = 0, cy = 0;
  list.GetIconSize(&cx, &cy);
  EXPECT_EQ(cx, 4);
  EXPECT_EQ(cy, 2);
  Target t;
  list.Draw(&t.dc, 0, POINT{0, 0}, ILD_NORMAL);
  EXPECT_EQ(Count(t.surface, RECT{0, 0, 4, 2}, kGrey), 2);
  EXPECT_EQ(Count(t.surface, RECT{0, 0, 4, 2}, kRed), 6);
  CImageList missing;
  EXPECT_FALSE(missing.Create(9399, 4, 3, kMagenta));
  EXPECT_FALSE(missing.Create(9301, 16, 3, kMagenta));  // no whole image in 8 pixels
}

}  // namespace
}  // namespace plat::gdi
