// Surfaces: initial pixels, colour layout on read-back, PNG round trips and resizing.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/surface.h"

namespace plat::gdi {
namespace {

TEST(Surface, StartsWhiteAndAnswersInvalidOutside) {
  Surface s(5, 4);
  EXPECT_EQ(s.Width(), 5);
  EXPECT_EQ(s.Height(), 4);
  EXPECT_EQ(s.GetPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(s.GetPixel(4, 3), 0xFFFFFFu);
  EXPECT_EQ(s.GetPixel(5, 0), CLR_INVALID);
  EXPECT_EQ(s.GetPixel(0, -1), CLR_INVALID);
}

TEST(Surface, ReadsBackColoursAsBlueGreenRed) {
  Surface s(3, 1);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 3, 1});
  dc.FillSolidRect(0, 0, 1, 1, RGB(0x12, 0x34, 0x56));
  dc.FillSolidRect(1, 0, 1, 1, RGB(255, 0, 0));
  dc.FillSolidRect(2, 0, 1, 1, RGB(1, 128, 254));
  EXPECT_EQ(s.GetPixel(0, 0), 0x563412u);
  EXPECT_EQ(s.GetPixel(1, 0), 0x0000FFu);
  EXPECT_EQ(s.GetPixel(2, 0), 0xFE8001u);
}

TEST(Surface, PngRoundTripThroughFileAndBytes) {
  Surface s(4, 3);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 4, 3});
  dc.FillSolidRect(1, 1, 2, 1, RGB(10, 200, 30));
  std::string path = testing::TempDir() + "surface_roundtrip.png";
  ASSERT_TRUE(s.WritePng(path));

  auto fromFile = Surface::FromPng(path);
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(fromFile->Width(), 4);
  EXPECT_EQ(fromFile->GetPixel(1, 1), RGB(10, 200, 30));
  EXPECT_EQ(fromFile->GetPixel(0, 0), 0xFFFFFFu);

  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto fromBytes = Surface::FromPngBytes(bytes.data(), bytes.size());
  ASSERT_TRUE(fromBytes);
  EXPECT_EQ(fromBytes->GetPixel(2, 1), RGB(10, 200, 30));
  std::remove(path.c_str());
}

TEST(Surface, RejectsWhatIsNotPng) {
  const unsigned char junk[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  EXPECT_FALSE(Surface::FromPngBytes(junk, sizeof junk));
  EXPECT_FALSE(Surface::FromPngBytes(nullptr, 0));
  EXPECT_FALSE(Surface::FromPng(testing::TempDir() + "no-such-file.png"));
  Surface s(2, 2);
  EXPECT_FALSE(s.WritePng("/nonexistent-dir/x.png"));
}

TEST(Surface, ResizeKeepsTopLeftAndWhitensTheRest) {
  Surface s(2, 2);
  CDC dc(s, POINT{0, 0}, RECT{0, 0, 2, 2});
  dc.FillSolidRect(0, 0, 2, 2, RGB(0, 0, 255));
  s.Resize(4, 3);
  EXPECT_EQ(s.Width(), 4);
  EXPECT_EQ(s.Height(), 3);
  EXPECT_EQ(s.GetPixel(1, 1), RGB(0, 0, 255));
  EXPECT_EQ(s.GetPixel(2, 0), 0xFFFFFFu);
  EXPECT_EQ(s.GetPixel(0, 2), 0xFFFFFFu);
  s.Resize(1, 1);
  EXPECT_EQ(s.GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(s.GetPixel(1, 0), CLR_INVALID);
}

}  // namespace
}  // namespace plat::gdi
