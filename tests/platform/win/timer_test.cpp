// Timers on the manual clock: due times, coalescing, a 50-minute timer, and waking a waiting loop.
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <thread>

#include "platform/win/message.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

using testing::CreateTestWindow;

struct TimerCounter {
  std::map<UINT_PTR, int> fired;
  HWND hwnd = CreateTestWindow([this](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg != WM_TIMER) return std::nullopt;
    ++fired[wParam];
    return 0;
  });
  ~TimerCounter() { DestroyWindow(hwnd); }
};

TEST(Timers, FireWhenDueAndCoalesceWhileWaiting) {
  ManualClock clock;
  TimerCounter counter;
  ASSERT_EQ(SetTimer(counter.hwnd, 1526, 200, nullptr), 1526u);
  ASSERT_EQ(SetTimer(counter.hwnd, 1525, 3000000, nullptr), 1525u);

  clock.Advance(199);
  PumpPendingMessages();
  EXPECT_EQ(counter.fired[1526], 0);
  clock.Advance(1);
  PumpPendingMessages();
  EXPECT_EQ(counter.fired[1526], 1);

  // Fifty minutes pass without the loop running: the short timer fires once, not 15,000 times.
  clock.Advance(3000000 - 200);
  PumpPendingMessages();
  EXPECT_EQ(counter.fired[1526], 2);
  EXPECT_EQ(counter.fired[1525], 1);

  EXPECT_TRUE(KillTimer(counter.hwnd, 1525));
  EXPECT_FALSE(KillTimer(counter.hwnd, 1525));
  clock.Advance(3000000);
  PumpPendingMessages();
  EXPECT_EQ(counter.fired[1525], 1);
  EXPECT_EQ(counter.fired[1526], 3);
}

TEST(Timers, SettingAnExistingTimerRestartsIt) {
  ManualClock clock;
  TimerCounter counter;
  SetTimer(counter.hwnd, 7, 100, nullptr);
  clock.Advance(90);
  SetTimer(counter.hwnd, 7, 100, nullptr);
  clock.Advance(90);
  PumpPendingMessages();
  EXPECT_EQ(counter.fired[7], 0);
  clock.Advance(10);
  PumpPendingMessages();
  EXPECT_EQ(counter.fired[7], 1);
}

TEST(Timers, GoWithTheirWindowAndRefuseOtherThreadsWindows) {
  ManualClock clock;
  auto counter = std::make_unique<TimerCounter>();
  HWND hwnd = counter->hwnd;
  SetTimer(hwnd, 1, 10, nullptr);
  clock.Advance(10);
  counter.reset();
  EXPECT_EQ(GetQueueStatus(QS_TIMER), 0u);
  EXPECT_FALSE(KillTimer(hwnd, 1));

  HWND foreign = nullptr;
  std::thread([&] { foreign = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); }); }).join();
  EXPECT_EQ(SetTimer(foreign, 1, 10, nullptr), 0u);
}

TEST(Timers, AThreadWaitingInGetMessageWakesWhenTheClockMoves) {
  ManualClock clock;
  std::promise<void> ready;
  std::future<UINT_PTR> firedId = std::async(std::launch::async, [&] {
    // Hidden, so nothing but the timer can wake the loop.
    HWND hwnd = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); }, WS_POPUP);
    SetTimer(hwnd, 42, 3000000, nullptr);
    ready.set_value();
    MSG msg{};
    GetMessage(&msg, nullptr, 0, 0);
    DestroyWindow(hwnd);
    return msg.message == WM_TIMER ? msg.wParam : 0;
  });
  ready.get_future().wait();
  clock.Advance(3000000);
  ASSERT_EQ(firedId.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(firedId.get(), 42u);
}

TEST(Timers, TimerProcedureIsCalledByDispatch) {
  ManualClock clock;
  static int calls = 0;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  clock.Advance(50);
  PumpPendingMessages();
  EXPECT_EQ(calls, 1);
  KillTimer(nullptr, id);
}

TEST(Clock, ManualClockStandsStillAndSteadyTimeResumesFromWhereItStopped) {
  std::uint64_t reached = 0;
  {
    ManualClock clock;
    std::uint64_t start = ClockNow();
    EXPECT_EQ(ClockNow(), start);
    EXPECT_TRUE(AdvanceClock(3000000));
    reached = ClockNow();
    EXPECT_EQ(reached, start + 3000000);
  }
  EXPECT_GE(ClockNow(), reached);
  EXPECT_FALSE(AdvanceClock(1));
}

}  // namespace
}  // namespace plat::win
