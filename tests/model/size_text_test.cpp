// The size text's unit boundaries and the progress text's single-precision parts.
#include <gtest/gtest.h>

#include "model/SizeText.h"

namespace {

using namespace drev;

TEST(SizeTextTest, UnitsSwitchAtWholeKilobytesAndMegabytesAndTruncate) {
  EXPECT_EQ(FormatSizeText(0), "0Byte");
  EXPECT_EQ(FormatSizeText(1023), "1023Byte");
  EXPECT_EQ(FormatSizeText(1024), "1KB");
  EXPECT_EQ(FormatSizeText(2047), "1KB");
  EXPECT_EQ(FormatSizeText(1048575), "1023KB");
  EXPECT_EQ(FormatSizeText(1048576), "1MB");
  EXPECT_EQ(FormatSizeText(3 * 1048576 - 1), "2MB");
  EXPECT_EQ(FormatSizeText(4294967295u), "4095MB");
}

TEST(ProgressTextTest, NothingOfNothingIsTwoPaddedKilobyteParts) {
  EXPECT_EQ(FormatProgressText(0, 0), " 0.00 KB /  0.00 KB");
  EXPECT_EQ(FormatProgressText(512, 2048), " 0.50 KB /  2.00 KB");
  EXPECT_EQ(FormatProgressText(10 * 1024, 100 * 1024), "10.00 KB / 100.00 KB");
}

TEST(ProgressTextTest, OneMegabyteExactlyIsStillKilobytes) {
  EXPECT_EQ(FormatProgressText(1048576, 1048576), "1024.00 KB / 1024.00 KB");
  EXPECT_EQ(FormatProgressText(1048577, 1048576), " 1.00 MB / 1024.00 KB");
  EXPECT_EQ(FormatProgressText(1048576, 1048577), "1024.00 KB /  1.00 MB");
  EXPECT_EQ(FormatProgressText(4294967295u, 4294967295u), "4096.00 MB / 4096.00 MB");
}

TEST(ProgressTextTest, CountsAreRoundedToSinglePrecisionFirst) {
  // 60,319,334 bytes is 57.524... MB exactly but 57.525... MB once held in single precision.
  EXPECT_EQ(FormatProgressText(60319334, 60319334), "57.53 MB / 57.53 MB");
}

}  // namespace
