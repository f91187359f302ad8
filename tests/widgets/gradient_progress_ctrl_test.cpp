// CGradientProgressCtrl: which bands of the gradient a position reveals, the blank bar outside the
// range, the percentage text, and the position handed over from a worker thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
