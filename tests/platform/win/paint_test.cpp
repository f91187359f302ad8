// Painting: update areas, erase before paint, paints after everything else, clipping of children,
// the redraw lock, snapshots, and painting only when the pixels are read.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

using testing::CreateTestWindow;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A window that fills its update area with one colour and logs the erase and, once BeginPaint has
// handed it a context (the erase happens inside BeginPaint), the paint.
testing::Handler Filler(COLORREF colour, std::vector<std::pair<HWND, UINT>>* log, bool overreach = false) {
  return [=](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_ERASEBKGND && log) log->emplace_back(hwnd, msg);
    if (msg != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (log) log->emplace_back(hwnd, msg);
    if (overreach) dc->FillSolidRect(RECT{-100, -100, 1000, 1000}, colour);
    else dc->FillSolidRect(ps.rcPaint, colour);
    EndPaint(hwnd, &ps);
    return 0;
  };
}

TEST(Painting, InvalidateMarksAndUpdateWindowErasesThenPaintsAtOnce) {
  std::vector<std::pair<HWND, UINT>> log;
  HWND hwnd = CreateTestWindow(Filler(kRed, &log));
  UpdateWindow(hwnd);
  log.clear();
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  RECT area{10, 10, 20, 20};
  InvalidateRect(hwnd, &area, TRUE);
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_EQ(update, area);
  UpdateWindow(hwnd);
  EXPECT_EQ(log, (std::vector<std::pair<HWND, UINT>>{{hwnd, WM_ERASEBKGND}, {hwnd, WM_PAINT}}));
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  EXPECT_EQ(GetWindowPixel(hwnd, 15, 15), kRed);
  DestroyWindow(hwnd);
}

TEST(Painting, TheLoopPaintsOnlyWhenNothingElseIsPending) {
  std::vector<std::pair<HWND, UINT>> log;
  HWND hwnd = CreateTestWindow(Filler(kRed, &log));
  PostMessage(hwnd, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
  DispatchMessage(&msg);
  EXPECT_EQ(GetQueueStatus(QS_PAINT), 0u);
  DestroyWindow(hwnd);
}

TEST(Painting, ParentsPaintBeforeChildrenAndChildrenAreClippedToThemselves) {
  std::vector<std::pair<HWND, UINT>> log;
  HWND parent = CreateTestWindow(Filler(kRed, &log));
  HWND child = CreateTestWindow(Filler(kBlue, &log, true), WS_CHILD | WS_VISIBLE, {10, 10, 30, 30}, parent, 1);
  PumpPendingMessages();
  log.clear();
  InvalidateRect(parent, nullptr, FALSE);
  UpdateWindow(parent);
  EXPECT_EQ(log, (std::vector<std::pair<HWND, UINT>>{{parent, WM_PAINT}, {child, WM_PAINT}}));
  EXPECT_EQ(GetWindowPixel(parent, 5, 5), kRed);
  EXPECT_EQ(GetWindowPixel(parent, 15, 15), kBlue);
  EXPECT_EQ(GetWindowPixel(parent, 30, 30), kRed);  // right and bottom edges excluded
  EXPECT_EQ(GetWindowPixel(child, 0, 0), kBlue);
  DestroyWindow(parent);
}

TEST(Painting, RedrawLockIgnoresInvalidationUntilLifted) {
  std::vector<std::pair<HWND, UINT>> log;
  HWND hwnd = CreateTestWindow(Filler(kRed, &log));
  PumpPendingMessages();
  SendMessage(hwnd, WM_SETREDRAW, FALSE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  SendMessage(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE));
  DestroyWindow(hwnd);
}

TEST(Painting, HiddenWindowsAreNotMarked) {
  HWND hwnd = CreateTestWindow(Filler(kRed, nullptr), WS_POPUP);
  InvalidateRect(hwnd, nullptr, TRUE);
  EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));
  DestroyWindow(hwnd);
}

TEST(Painting, DefaultEraseFillsWithTheClassBackground) {
  HWND dialogLike = CreateWindowEx(0, "#32770", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 40, nullptr, 0, nullptr);
  UpdateWindow(dialogLike);
  EXPECT_EQ(GetWindowPixel(dialogLike, 25, 20), gdi::GetSysColor(gdi::COLOR_BTNFACE));
  DestroyWindow(dialogLike);
}

TEST(Painting, SnapshotWritesTheWindowAndItsChildrenToPng) {
  HWND parent = CreateTestWindow(Filler(kRed, nullptr), WS_POPUP | WS_VISIBLE, {40, 40, 140, 90});
  CreateTestWindow(Filler(kBlue, nullptr), WS_CHILD | WS_VISIBLE, {50, 0, 100, 50}, parent, 1);
  std::string path = ::testing::TempDir() + "win_snapshot.png";
  ASSERT_TRUE(SnapshotWindow(parent, path));
  auto picture = gdi::Surface::FromPng(path);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Width(), 100);
  EXPECT_EQ(picture->Height(), 50);
  EXPECT_EQ(picture->GetPixel(10, 10), kRed);
  EXPECT_EQ(picture->GetPixel(60, 10), kBlue);
  std::remove(path.c_str());
  DestroyWindow(parent);
}

// Switches painting to "only when read" for one test and back whatever happens.
class PaintedOnlyWhenRead {
 public:
  PaintedOnlyWhenRead() { PaintOnlyWhenRead(true); }
  ~PaintedOnlyWhenRead() { PaintOnlyWhenRead(false); }
};

TEST(Painting, PaintedOnlyWhenReadNothingPaintsUntilAReaderAndTheUpdateAreaWaits) {
  std::vector<std::pair<HWND, UINT>> log;
  HWND hwnd = nullptr;
  {
    PaintedOnlyWhenRead mode;
    hwnd = CreateTestWindow(Filler(kRed, &log));
    PumpPendingMessages();
    UpdateWindow(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(log.empty()) << "neither the loop nor UpdateWindow nor RDW_UPDATENOW painted";
    EXPECT_EQ(GetQueueStatus(QS_PAINT), 0u);
    EXPECT_TRUE(GetUpdateRect(hwnd, nullptr, FALSE)) << "the update area is kept for the reader";

    EXPECT_EQ(GetWindowPixel(hwnd, 15, 15), kRed);
    EXPECT_EQ(log, (std::vector<std::pair<HWND, UINT>>{{hwnd, WM_ERASEBKGND}, {hwnd, WM_PAINT}}));
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE));

    log.clear();
    RECT area{10, 10, 20, 20};
    InvalidateRect(hwnd, &area, FALSE);
    PumpPendingMessages();
    EXPECT_TRUE(log.empty());
  }
  // Switched back, what waited is painted by the loop as usual.
  PumpPendingMessages();
  EXPECT_EQ(log, (std::vector<std::pair<HWND, UINT>>{{hwnd, WM_PAINT}}));
  DestroyWindow(hwnd);
}

// A bordered window with a moved scroll bar over a red client and a blue child, changed after it
// was shown (the child hidden and shown again, the bar moved), then snapshotted.
std::unique_ptr<gdi::Surface> SnapshotOfAChangedWindow(const std::string& path) {
  HWND parent = CreateTestWindow(Filler(kRed, nullptr), WS_POPUP | WS_VISIBLE | WS_BORDER, {0, 0, 160, 120});
  HWND child = CreateTestWindow(Filler(kBlue, nullptr), WS_CHILD | WS_VISIBLE | WS_BORDER, {20, 20, 70, 60}, parent, 1);
  SCROLLINFO info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  info.nMax = 99;
  info.nPage = 20;
  info.nPos = 0;
  SetScrollInfo(parent, SB_VERT, &info, TRUE);
  PumpPendingMessages();
  ShowWindow(child, SW_HIDE);
  SetScrollPos(parent, SB_VERT, 60, TRUE);
  PumpPendingMessages();
  ShowWindow(child, SW_SHOW);
  MoveWindow(child, 40, 30, 50, 40, TRUE);
  PumpPendingMessages();
  std::unique_ptr<gdi::Surface> picture;
  if (SnapshotWindow(parent, path)) picture = gdi::Surface::FromPng(path);
  std::remove(path.c_str());
  DestroyWindow(parent);
  return picture;
}

TEST(Painting, PaintedOnlyWhenReadASnapshotShowsWhatPaintingAllAlongLeaves) {
  const std::string path = ::testing::TempDir() + "win_when_read.png";
  auto painted = SnapshotOfAChangedWindow(path);
  std::unique_ptr<gdi::Surface> waited;
  {
    PaintedOnlyWhenRead mode;
    waited = SnapshotOfAChangedWindow(path);
  }
  ASSERT_NE(painted, nullptr);
  ASSERT_NE(waited, nullptr);
  ASSERT_EQ(waited->Width(), painted->Width());
  ASSERT_EQ(waited->Height(), painted->Height());
  int differing = 0;
  for (int y = 0; y < painted->Height(); ++y)
    for (int x = 0; x < painted->Width(); ++x)
      if (waited->GetPixel(x, y) != painted->GetPixel(x, y)) ++differing;
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(waited->GetPixel(50, 40), kBlue) << "the child where it was moved";
  EXPECT_EQ(waited->GetPixel(25, 25), kRed) << "the parent where the child was";
  EXPECT_NE(waited->GetPixel(painted->Width() - 9, 60), kRed) << "the scroll bar is drawn";
}

}  // namespace
}  // namespace plat::win
