// A window's own vertical scroll bar: its values, showing and hiding it with the client area it
// takes, presses on its parts and its disabled look.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/gdi/surface.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

// A 200x100 bordered window that logs its sizes and scroll requests.
class ScrollBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd = testing::CreateTestWindow(
        [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
          if (msg == WM_SIZE) widths.push_back(LOWORD(static_cast<std::uintptr_t>(lParam)));
          if (msg == WM_VSCROLL) requests.push_back(LOWORD(wParam));
          return std::nullopt;
        },
        WS_POPUP | WS_VISIBLE | WS_BORDER, RECT{0, 0, 200, 100});
    widths.clear();
  }
  void TearDown() override { DestroyWindow(hwnd); }

  int Set(UINT mask, int min, int max, UINT page, int pos) {
    SCROLLINFO info;
    info.fMask = mask;
    info.nMin = min;
    info.nMax = max;
    info.nPage = page;
    info.nPos = pos;
    return SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
  }
  bool Shown() const { return (GetWindowLongPtr(hwnd, GWL_STYLE) & WS_VSCROLL) != 0; }
  // A client point on the bar, `y` pixels from its top.
  POINT OnBar(int y) const {
    RECT client{};
    GetClientRect(hwnd, &client);
    return POINT{client.right + 8, y};
  }

  HWND hwnd = nullptr;
  std::vector<int> widths;
  std::vector<int> requests;
};

TEST_F(ScrollBarTest, ValuesAreHeldInRangeAndTheBarShowsWhenItCanScroll) {
  EXPECT_EQ(Set(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 500), 90) << "the last page starts at max - page + 1";
  EXPECT_TRUE(Shown());
  ASSERT_EQ(widths, std::vector<int>{198 - 16});
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 182);

  SCROLLINFO info;
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(hwnd, SB_VERT, &info));
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 99);
  EXPECT_EQ(info.nPage, 10u);
  EXPECT_EQ(info.nPos, 90);
  EXPECT_EQ(info.nTrackPos, 90);
  EXPECT_EQ(SetScrollPos(hwnd, SB_VERT, -4, TRUE), 90);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), 0);
  EXPECT_EQ(Set(SIF_PAGE, 0, 0, 500, 0), 0) << "a page beyond the range is cut to it";
  info.fMask = SIF_PAGE;
  GetScrollInfo(hwnd, SB_VERT, &info);
  EXPECT_EQ(info.nPage, 100u);
  EXPECT_FALSE(Shown()) << "nothing left to scroll";
  EXPECT_EQ(widths.back(), 198);

  EXPECT_EQ(Set(SIF_RANGE | SIF_PAGE | SIF_POS, 5, 50, 0, 7), 7);
  EXPECT_EQ(SetScrollPos(hwnd, SB_HORZ, 3, TRUE), 0) << "only the vertical bar is kept";
  EXPECT_FALSE(GetScrollInfo(hwnd, SB_HORZ, &info));
}

TEST_F(ScrollBarTest, ShowScrollBarChangesTheClientAreaOnlyWhenTheStateChanges) {
  EXPECT_TRUE(ShowScrollBar(hwnd, SB_VERT, TRUE));
  EXPECT_TRUE(ShowScrollBar(hwnd, SB_VERT, TRUE));
  EXPECT_EQ(widths, std::vector<int>{182});
  EXPECT_EQ(ChildWindowFromPointDeep(hwnd, OnBar(50)), hwnd);
  EXPECT_TRUE(ShowScrollBar(hwnd, SB_BOTH, FALSE));
  EXPECT_EQ(widths, (std::vector<int>{182, 198}));
  EXPECT_FALSE(ShowScrollBar(hwnd, SB_HORZ, TRUE));
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 16);
}

TEST_F(ScrollBarTest, PressesOnThePartsBecomeScrollRequestsAndADisabledBarIgnoresThem) {
  Set(SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0);
  // Track 98 - 32 = 66 pixels, thumb 6.6 -> 8 pixels at the top.
  ASSERT_TRUE(SendClick(hwnd, OnBar(3)));
  ASSERT_TRUE(SendClick(hwnd, OnBar(95)));
  ASSERT_TRUE(SendClick(hwnd, OnBar(70)));
  SendClick(hwnd, OnBar(20));  // on the thumb: nothing without dragging
  EXPECT_EQ(requests, (std::vector<int>{SB_LINEUP, SB_ENDSCROLL, SB_LINEDOWN, SB_ENDSCROLL, SB_PAGEDOWN, SB_ENDSCROLL}));
  SetScrollPos(hwnd, SB_VERT, 90, TRUE);
  requests.clear();
  SendClick(hwnd, OnBar(20));
  EXPECT_EQ(requests, (std::vector<int>{SB_PAGEUP, SB_ENDSCROLL}));

  requests.clear();
  Set(SIF_RANGE | SIF_DISABLENOSCROLL, 0, 5, 0, 0);  // the page of 10 now covers the range
  ASSERT_TRUE(Shown()) << "kept, disabled";
  SendClick(hwnd, OnBar(3));
  SendClick(hwnd, OnBar(50));
  EXPECT_TRUE(requests.empty());

  const std::string path = ::testing::TempDir() + "disabled-bar.png";
  ASSERT_TRUE(SnapshotWindow(hwnd, path));
  auto shot = gdi::Surface::FromPng(path);
  std::remove(path.c_str());
  ASSERT_TRUE(shot);
  const int x = 1 + 182;  // border, then the client area
  EXPECT_EQ(shot->GetPixel(x + 7, 1 + 6), gdi::GetSysColor(gdi::COLOR_BTNSHADOW)) << "a grey arrow";
  EXPECT_EQ(shot->GetPixel(x + 11, 1 + 10), gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT)) << "etched";
  const COLORREF trackColour = shot->GetPixel(x + 8, 1 + 20);
  for (int y = 17; y < 98 - 16; y += 7) EXPECT_EQ(shot->GetPixel(x + 8, 1 + y), trackColour) << "no thumb, y " << y;
}

}  // namespace
}  // namespace plat::win
