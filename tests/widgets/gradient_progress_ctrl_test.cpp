// CGradientProgressCtrl: which bands of the gradient a position reveals, the blank bar outside the
// range, the percentage text, and the position handed over from a worker thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/kernel/thread.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "widget_host.h"
#include "widgets/CGradientProgressCtrl.h"

namespace drev::widgets_test {
namespace {

constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kWhite = 0xFFFFFF;
// 510 pixels across and 255 colour steps from blue to red: every band is exactly 2 pixels wide and
// band i (pixels 2i and 2i + 1) has red = i and blue = 255 - i.
constexpr int kWidth = 510;
constexpr int kHeight = 16;

COLORREF Band(int i) { return RGB(static_cast<BYTE>(i), 0, static_cast<BYTE>(255 - i)); }

// Counts the platform position messages that reach the bar's window.
class CountingBar : public CGradientProgressCtrl {
 public:
  std::atomic<int> positionMessages{0};
  std::atomic<DWORD> handledOnThread{0};

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == PBM_SETPOS) {
      ++positionMessages;
      handledOnThread = kernel::GetCurrentThreadId();
    }
    return CGradientProgressCtrl::WindowProc(msg, wParam, lParam);
  }
};

class GradientBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HWND raw = CreateWindowEx(0, PROGRESS_CLASS, "", WS_CHILD | WS_VISIBLE, 5, 5, kWidth, kHeight, host, 204, nullptr);
    ASSERT_NE(raw, nullptr);
    ASSERT_TRUE(bar.SubclassWindow(raw));
    // The progress dialog's set-up.
    bar.SetStartColor(kBlue);
    bar.SetEndColor(kRed);
    bar.ShowPercent(1);
    bar.SetTextColor(kWhite);
  }
  COLORREF At(int x, int y = kHeight / 2) { return Pixel(bar, x, y); }
  COLORREF Face() const { return gdi::GetSysColor(gdi::COLOR_BTNFACE); }

  Host host{600, 100};
  CountingBar bar;
};

TEST_F(GradientBarTest, AtTheLowerEndOrAboveTheUpperEndTheBarIsBlankWithoutText) {
  bar.SetPos(0);
  EXPECT_EQ(CountPixels(bar, RECT{0, 0, kWidth, kHeight}, Face()), kWidth * kHeight);
  bar.SetPos(101);
  EXPECT_EQ(CountPixels(bar, RECT{0, 0, kWidth, kHeight}, Face()), kWidth * kHeight);
}

TEST_F(GradientBarTest, OneStepAboveTheLowerEndRevealsWholeBandsFromTheStartColour) {
  bar.SetPos(1);  // barEnd = 5: bands 0, 1 and 2 (x 0..5)
  EXPECT_EQ(At(0), kBlue);
  EXPECT_EQ(At(1, 0), kBlue);
  EXPECT_EQ(At(1, kHeight - 1), kBlue);
  EXPECT_EQ(At(2), Band(1));
  EXPECT_EQ(At(5), Band(2));
  EXPECT_EQ(At(6), Face());
  EXPECT_EQ(At(kWidth - 1), Face());
}

TEST_F(GradientBarTest, HalfwayTheLeftHalfRunsFromBlueToPurpleAndTheRestIsBackground) {
  bar.ShowPercent(0);
  bar.SetPos(50);  // barEnd = 255, inside band 127 (x 254, 255)
  EXPECT_EQ(At(0), kBlue);
  EXPECT_EQ(At(100), Band(50));
  EXPECT_EQ(At(255), Band(127));
  EXPECT_EQ(At(256), Face());
  EXPECT_EQ(At(kWidth - 1), Face());
  EXPECT_EQ(CountPixels(bar, RECT{256, 0, kWidth, kHeight}, Face()), (kWidth - 256) * kHeight);
}

TEST_F(GradientBarTest, AtTheUpperEndTheWholeWidthShowsTheGradientToNearlyTheEndColour) {
  bar.ShowPercent(0);
  bar.SetPos(100);
  EXPECT_EQ(At(0), kBlue);
  EXPECT_EQ(At(300), Band(150));
  EXPECT_EQ(At(kWidth - 1), Band(254));
  EXPECT_EQ(CountPixels(bar, RECT{0, 0, kWidth, kHeight}, Face()), 0);
}

TEST_F(GradientBarTest, ThePercentageIsDrawnInTheTextColourOnlyAboveTheLowerEnd) {
  bar.SetPos(50);
  // " 50 %" centred: white ink in the middle of the bar, none at the ends.
  RECT middle{kWidth / 2 - 40, 0, kWidth / 2 + 40, kHeight};
  EXPECT_GT(CountPixels(bar, middle, kWhite), 0);
  EXPECT_EQ(CountPixels(bar, RECT{0, 0, 150, kHeight}, kWhite), 0);
  EXPECT_EQ(CountPixels(bar, RECT{kWidth - 150, 0, kWidth, kHeight}, kWhite), 0);
  bar.SetPos(0);
  EXPECT_EQ(CountPixels(bar, middle, kWhite), 0);
  bar.SetPos(50);
  bar.ShowPercent(0);
  bar.Invalidate();
  EXPECT_EQ(CountPixels(bar, middle, kWhite), 0);
}

TEST_F(GradientBarTest, DefaultColoursRunFromRedAndTheBackgroundCanChange) {
  CGradientProgressCtrl plain;
  HWND raw = CreateWindowEx(0, PROGRESS_CLASS, "", WS_CHILD | WS_VISIBLE, 5, 40, kWidth, kHeight, host, 205, nullptr);
  ASSERT_TRUE(plain.SubclassWindow(raw));
  plain.SetPos(1);
  EXPECT_EQ(Pixel(plain, 0, 5), kRed);
  EXPECT_EQ(Pixel(plain, kWidth - 1, 5), Face());
  plain.SetBkColor(RGB(0, 255, 0));
  plain.SetPos(2);
  EXPECT_EQ(Pixel(plain, kWidth - 1, 5), RGB(0, 255, 0));
}

TEST_F(GradientBarTest, SetRangeMovesThePositionToTheNewLowerEnd) {
  bar.ShowPercent(0);
  bar.SetPos(50);
  bar.SetRange(10, 60);
  EXPECT_EQ(bar.GetPos(), 10);
  EXPECT_EQ(CountPixels(bar, RECT{0, 0, kWidth, kHeight}, Face()), kWidth * kHeight);
  bar.SetPos(35);  // half of 10..60
  EXPECT_EQ(At(255), Band(127));
  EXPECT_EQ(At(256), Face());
}

TEST_F(GradientBarTest, StepItAddsTheStepAndRepaints) {
  bar.ShowPercent(0);
  bar.SetStep(25);
  EXPECT_EQ(bar.StepIt(), 0);
  EXPECT_EQ(bar.StepIt(), 25);
  EXPECT_EQ(bar.GetPos(), 50);
  EXPECT_EQ(At(255), Band(127));
  EXPECT_EQ(At(256), Face());
}

TEST_F(GradientBarTest, EqualStartAndEndColoursFillTheRevealedPartInThatColour) {
  bar.SetStartColor(kRed);
  bar.SetEndColor(kRed);
  bar.ShowPercent(0);
  bar.SetPos(50);
  EXPECT_EQ(At(0), kRed);
  EXPECT_EQ(At(254), kRed);
  EXPECT_EQ(At(300), Face());
}

// One row of the bar as the band-by-band paint leaves it: the background, then bands from the
// left edge until one reaches past the position's end of the bar.
std::vector<COLORREF> BandByBandRow(int width, int pos, COLORREF start, COLORREF end, COLORREF background) {
  std::vector<COLORREF> row(width, background);
  if (pos <= 0 || pos > 100) return row;
  const int barEnd = static_cast<int>(width * static_cast<double>(pos) / 100.0);
  const int r0 = GetRValue(start), g0 = GetGValue(start), b0 = GetBValue(start);
  const int dR = GetRValue(end) - r0, dG = GetGValue(end) - g0, dB = GetBValue(end) - b0;
  const int steps = std::max({std::abs(dR), std::abs(dG), std::abs(dB)});
  const float bandWidth = static_cast<float>(width) / static_cast<float>(steps);
  for (int i = 0; i < steps; ++i) {
    const int left = static_cast<int>(static_cast<float>(i) * bandWidth);
    const int right = static_cast<int>(static_cast<float>(i + 1) * bandWidth);
    const auto c = [&](int base, int delta) {
      const float step = static_cast<float>(delta) / static_cast<float>(steps);
      return static_cast<BYTE>(static_cast<int>(static_cast<float>(base) + static_cast<float>(i) * step) & 0xFF);
    };
    for (int x = left; x < std::min(right, width); ++x) row[x] = RGB(c(r0, dR), c(g0, dG), c(b0, dB));
    if (right > barEnd) break;
  }
  return row;
}

std::vector<COLORREF> ShownRow(HWND bar, int width, int y) {
  std::vector<COLORREF> row;
  for (int x = 0; x < width; ++x) row.push_back(Pixel(bar, x, y));
  return row;
}

TEST_F(GradientBarTest, EveryPaintShowsWhatABandByBandPaintOfItsPositionAndColoursWould) {
  // 301 pixels: bands of about 1.18 pixels, so band edges fall on uneven pixels.
  const int width = 301, height = 12;
  bar.ShowPercent(0);
  bar.MoveWindow(5, 5, width, height);
  const auto expectRows = [&](int pos, COLORREF start, COLORREF end, COLORREF background) {
    SCOPED_TRACE(testing::Message() << "position " << pos << ", width " << width);
    bar.SetPos(pos);
    const std::vector<COLORREF> expected = BandByBandRow(width, pos, start, end, background);
    EXPECT_EQ(ShownRow(bar, width, 0), expected);
    EXPECT_EQ(ShownRow(bar, width, height - 1), expected);
  };
  // Forward, backward and across the ends, as an upload and a new upload show them.
  for (int pos : {1, 2, 37, 50, 49, 99, 100, 3, 0, 64}) expectRows(pos, kBlue, kRed, Face());

  // New colours take effect at the next paint, whatever was painted before.
  bar.SetStartColor(RGB(0, 255, 0));
  bar.SetEndColor(RGB(0, 0, 128));
  bar.Invalidate();
  for (int pos : {64, 7, 100}) expectRows(pos, RGB(0, 255, 0), RGB(0, 0, 128), Face());
  bar.SetBkColor(RGB(250, 240, 10));
  bar.Invalidate();
  for (int pos : {100, 30}) expectRows(pos, RGB(0, 255, 0), RGB(0, 0, 128), RGB(250, 240, 10));
}

TEST_F(GradientBarTest, AResizedBarSpreadsTheGradientOverItsNewWidth) {
  bar.ShowPercent(0);
  bar.SetPos(80);
  EXPECT_EQ(At(400), Band(200));
  const int width = 173;
  bar.MoveWindow(5, 5, width, kHeight);
  bar.Invalidate();
  EXPECT_EQ(ShownRow(bar, width, 2), BandByBandRow(width, 80, kBlue, kRed, Face()));
  bar.SetPos(100);
  EXPECT_EQ(ShownRow(bar, width, 2), BandByBandRow(width, 100, kBlue, kRed, Face()));
}

TEST_F(GradientBarTest, PositionsFromAWorkerThreadRepaintOnTheWindowsThreadOncePerChange) {
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    for (int kib = 0; kib < 1000; ++kib) bar.SetPos(kib * 100 / 1000 + 1);  // 1..100, ten calls each
    bar.SetPos(50);
    for (int i = 0; i < 100; ++i) bar.SetPos(50);
    finished = true;
  });
  while (!finished) {
    PumpPendingMessages();
    std::this_thread::yield();
  }
  worker.join();
  PumpPendingMessages();
  EXPECT_EQ(bar.positionMessages.load(), 101);  // 100 distinct positions, then 50 once more
  EXPECT_EQ(bar.handledOnThread.load(), kernel::GetCurrentThreadId());
  EXPECT_EQ(bar.GetPos(), 50);
  bar.ShowPercent(0);
  bar.Invalidate();
  EXPECT_EQ(At(255), Band(127));
  EXPECT_EQ(At(256), Face());
}

}  // namespace
}  // namespace drev::widgets_test
