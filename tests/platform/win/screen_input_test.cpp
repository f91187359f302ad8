// Input from the screen (pointer with its implicit capture, keys to the focus window, Tab between
// tab stops) and waits that run a desktop event loop woken by other threads' messages.
#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/win/backend.h"
#include "platform/win/dialog.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

using testing::CreateTestWindow;

// Delivers what is queued the way a host's loop does, with the dialog manager's keys.
void Pump(HWND top) {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!IsDialogMessage(top, &msg)) DispatchMessage(&msg);
}

TEST(ScreenInput, TabAndShiftTabWalkEnabledVisibleTabStopsNestedOnesIncluded) {
  HWND top = CreateTestWindow(nullptr);
  auto none = [](HWND, UINT, WPARAM, LPARAM) -> std::optional<LRESULT> { return std::nullopt; };
  HWND first = CreateTestWindow(none, WS_CHILD | WS_VISIBLE | WS_TABSTOP, {0, 0, 20, 20}, top, 1);
  HWND panel = CreateTestWindow(none, WS_CHILD | WS_VISIBLE, {30, 0, 90, 40}, top, 2);
  HWND nested = CreateTestWindow(none, WS_CHILD | WS_VISIBLE | WS_TABSTOP, {0, 0, 20, 20}, panel, 3);
  HWND disabled = CreateTestWindow(none, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED, {100, 0, 120, 20}, top, 4);
  HWND hidden = CreateTestWindow(none, WS_CHILD | WS_TABSTOP, {130, 0, 150, 20}, top, 5);
  (void)disabled;
  (void)hidden;

  std::vector<HWND> order;
  for (int i = 0; i < 3; ++i) {
    PostKeyInput(top, WM_KEYDOWN, VK_TAB);
    PostKeyInput(top, WM_KEYUP, VK_TAB);
    Pump(top);
    order.push_back(GetFocus());
  }
  EXPECT_EQ(order, (std::vector<HWND>{first, nested, first}));

  // Shift held while Tab goes down: backwards, from the first stop round to the last.
  PostKeyInput(top, WM_KEYDOWN, VK_SHIFT);
  PostKeyInput(top, WM_KEYDOWN, VK_TAB);
  PostKeyInput(top, WM_KEYUP, VK_TAB);
  PostKeyInput(top, WM_KEYUP, VK_SHIFT);
  Pump(top);
  EXPECT_EQ(GetFocus(), nested);
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0);
  DestroyWindow(top);
}

TEST(ScreenInput, PressedWindowKeepsThePointerUntilReleaseAndDisabledWindowsGetNothing) {
  std::vector<std::pair<HWND, UINT>> got;
  auto record = [&got](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_MOUSEMOVE || m == WM_LBUTTONDOWN || m == WM_LBUTTONUP) got.emplace_back(h, m);
    return std::nullopt;
  };
  HWND top = CreateTestWindow(nullptr, WS_POPUP | WS_VISIBLE, {0, 0, 200, 100});
  HWND left = CreateTestWindow(record, WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, top, 1);
  HWND right = CreateTestWindow(record, WS_CHILD | WS_VISIBLE, {100, 0, 150, 50}, top, 2);
  EXPECT_TRUE(PostPointerInput(top, WM_LBUTTONDOWN, POINT{10, 10}, MK_LBUTTON));
  EXPECT_TRUE(PostPointerInput(top, WM_MOUSEMOVE, POINT{120, 10}, MK_LBUTTON));
  EXPECT_TRUE(PostPointerInput(top, WM_LBUTTONUP, POINT{120, 10}, 0));
  EXPECT_TRUE(PostPointerInput(top, WM_MOUSEMOVE, POINT{121, 10}, 0));
  Pump(top);
  EXPECT_EQ(got, (std::vector<std::pair<HWND, UINT>>{
                     {left, WM_LBUTTONDOWN}, {left, WM_MOUSEMOVE}, {left, WM_LBUTTONUP}, {right, WM_MOUSEMOVE}}));

  got.clear();
  EnableWindow(right, FALSE);
  EXPECT_FALSE(PostPointerInput(top, WM_LBUTTONDOWN, POINT{120, 10}, MK_LBUTTON));
  Pump(top);
  EXPECT_TRUE(got.empty());
  DestroyWindow(top);
}

// A stand-in for the desktop's loop: it only sleeps on the wake-up descriptor, and counts its waits.
class PollPump : public EventPump {
 public:
  void Wait(int wakeFd, std::chrono::steady_clock::time_point deadline) override {
    ++waits;
    int ms = -1;
    if (deadline != std::chrono::steady_clock::time_point::max())
      ms = static_cast<int>(std::max<long long>(0, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                       deadline - std::chrono::steady_clock::now()).count() + 1));
    pollfd p{wakeFd, POLLIN, 0};
    poll(&p, 1, ms);
  }
  std::atomic<int> waits{0};
};

TEST(ScreenInput, WaitsRunThePumpAndAPostFromAnotherThreadWakesThem) {
  PollPump pump;
  std::atomic<bool> done{false};
  std::atomic<HWND> window{nullptr};
  std::thread ui([&] {
    SetThreadEventPump(&pump);
    HWND w = CreateTestWindow(nullptr);
    window = w;
    MSG msg;
    // A message sent from the other thread is handled inside the wait, then the posted one ends it.
    while (GetMessage(&msg, nullptr, 0, 0)) {
      if (msg.message == WM_APP) break;
      DispatchMessage(&msg);
    }
    DestroyWindow(w);
    SetThreadEventPump(nullptr);
    done = true;
  });
  while (!window) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  auto start = std::chrono::steady_clock::now();
  SendMessage(window, WM_NULL, 0, 0);
  PostMessage(window, WM_APP, 0, 0);
  ui.join();
  EXPECT_TRUE(done);
  EXPECT_GE(pump.waits.load(), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace plat::win
