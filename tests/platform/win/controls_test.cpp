// The simple built-in controls and the header: the platform's messages and their answers.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win/afxcmn.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::win {
namespace {

class Host : public CWnd {
 public:
  std::vector<std::pair<UINT, LPARAM>> commands;
  std::vector<int> headerClicks;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND) commands.emplace_back(static_cast<UINT>(wParam), lParam);
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == HDN_ITEMCLICKA)
      headerClicks.push_back(reinterpret_cast<NMHEADERA*>(lParam)->iItem);
    return CWnd::WindowProc(msg, wParam, lParam);
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { host.CreateEx(0, "#32770", "", WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 200}, nullptr, 0); }
  void TearDown() override { host.DestroyWindow(); }
  Host host;
};

TEST_F(ControlsTest, ProgressBarAnswersWithThePreviousValuesAndKeepsThePositionInRange) {
  CProgressCtrl bar;
  ASSERT_TRUE(bar.Create(WS_VISIBLE, RECT{0, 0, 200, 10}, &host, 204));
  EXPECT_EQ(bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 200)), MAKELPARAM(0, 100));
  EXPECT_EQ(bar.SetPos(50), 0);
  EXPECT_EQ(bar.SetPos(250), 50);
  EXPECT_EQ(bar.GetPos(), 200);
  EXPECT_EQ(bar.OffsetPos(-300), 200);
  EXPECT_EQ(bar.GetPos(), 0);
  EXPECT_EQ(bar.SetStep(30), 10);
  bar.SetRange32(10, 100);
  EXPECT_EQ(bar.GetPos(), 10);
  int lower = 0, upper = 0;
  bar.GetRange(lower, upper);
  EXPECT_EQ(lower, 10);
  EXPECT_EQ(upper, 100);
  bar.SetPos(90);
  EXPECT_EQ(bar.StepIt(), 90);
  EXPECT_EQ(bar.GetPos(), 30);  // past the top it wraps round from the bottom: 10 + (120 - 10) % 90
}

TEST_F(ControlsTest, ProgressPositionFromAnotherThreadRunsOnTheBarsThread) {
  CProgressCtrl bar;
  bar.Create(WS_VISIBLE, RECT{0, 0, 200, 10}, &host, 204);
  std::thread worker([&] { SendMessage(bar.m_hWnd, PBM_SETPOS, 77, 0); });
  while (bar.GetPos() != 77) {
    MSG msg;
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
  }
  worker.join();
  EXPECT_EQ(bar.GetPos(), 77);
}

TEST_F(ControlsTest, ButtonClicksSendBnClickedToTheParent) {
  CButton cancel;
  ASSERT_TRUE(cancel.Create("cancel", WS_VISIBLE | BS_PUSHBUTTON, RECT{10, 10, 60, 30}, &host, 202));
  cancel.Click();
  ASSERT_TRUE(SendClick(cancel.m_hWnd, POINT{5, 5}));
  ASSERT_EQ(host.commands.size(), 2u);
  EXPECT_EQ(host.commands[0].first, MAKEWPARAM(202, BN_CLICKED));
  EXPECT_EQ(host.commands[0].second, reinterpret_cast<LPARAM>(cancel.m_hWnd));
  cancel.EnableWindow(FALSE);
  EXPECT_FALSE(SendClick(cancel.m_hWnd, POINT{5, 5}));
  cancel.Click();
  EXPECT_EQ(host.commands.size(), 2u);
}

TEST_F(ControlsTest, HeaderItemsLayoutAndClicks) {
  CHeaderCtrl header;
  ASSERT_TRUE(header.Create(WS_VISIBLE | HDS_BUTTONS, RECT{0, 0, 300, 20}, &host, 0));
  std::string caption = "caption";
  HDITEM item;
  item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_LPARAM;
  item.cxy = 40;
  item.pszText = caption.data();
  item.fmt = HDF_LEFT | HDF_STRING;
  item.lParam = 9;
  EXPECT_EQ(header.InsertItem(0, &item), 0);
  item.cxy = 170;
  EXPECT_EQ(header.InsertItem(5, &item), 1);  // past the end: appended
  item.cxy = 70;
  EXPECT_EQ(header.InsertItem(2, &item), 2);
  EXPECT_EQ(header.GetItemCount(), 3);
  RECT r{};
  ASSERT_TRUE(header.GetItemRect(2, &r));
  EXPECT_EQ(r.left, 210);
  EXPECT_EQ(r.right, 280);

  HDITEM read;
  char buffer[5];
  read.mask = HDI_TEXT | HDI_LPARAM | HDI_IMAGE | HDI_ORDER;
  read.pszText = buffer;
  read.cchTextMax = sizeof buffer;
  ASSERT_TRUE(header.GetItem(1, &read));
  EXPECT_STREQ(buffer, "capt");
  EXPECT_EQ(read.lParam, 9);
  EXPECT_EQ(read.iImage, 0);
  EXPECT_EQ(read.iOrder, 1);
  HDITEM image;
  image.mask = HDI_IMAGE;
  image.iImage = 2;
  header.SetItem(0, &image);
  header.GetItem(0, &read);
  EXPECT_EQ(read.iImage, 2);
  EXPECT_EQ(header.OrderToIndex(2), 2);

  RECT area{0, 0, 300, 200};
  WINDOWPOS pos;
  HDLAYOUT layout{&area, &pos};
  ASSERT_TRUE(header.Layout(&layout));
  EXPECT_GT(pos.cy, 0);
  EXPECT_EQ(area.top, pos.cy);

  SendClick(header.m_hWnd, POINT{45, 5});
  EXPECT_EQ(host.headerClicks, (std::vector<int>{1}));
  EXPECT_TRUE(header.DeleteItem(0));
  EXPECT_FALSE(header.DeleteItem(7));
  EXPECT_EQ(header.GetItemCount(), 2);
}

}  // namespace
}  // namespace plat::win
