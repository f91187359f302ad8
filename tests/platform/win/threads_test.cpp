// Messages between threads: synchronous sends both ways, order, destroyed targets, bounded sends.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "platform/win/message.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

using testing::CreateTestWindow;
constexpr UINT kPing = WM_USER + 1;
constexpr UINT kNested = WM_USER + 2;
constexpr UINT kStop = WM_USER + 3;

// Runs the calling thread's message loop until kStop arrives (posted to the thread).
void ServeUntilStop() {
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0)) {
    if (msg.message == kStop) break;
    DispatchMessage(&msg);
  }
}

TEST(CrossThreadSend, BothThreadsSendingToEachOtherKeepOrderAndNeverDeadlock) {
  constexpr int kCount = 300;
  std::vector<int> seenByMain, seenByWorker;
  std::atomic<int> nestedOnMain{0};
  HWND mainWindow = CreateTestWindow([&](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
    if (msg == kPing) {
      seenByMain.push_back(static_cast<int>(wParam));
      return static_cast<LRESULT>(wParam) * 2;
    }
    if (msg == kNested) {
      ++nestedOnMain;
      return 7;
    }
    return std::nullopt;
  });
  std::promise<HWND> workerWindow;
  std::promise<void> workerSent;
  std::atomic<DWORD> workerThread{0};
  std::thread worker([&] {
    std::vector<LRESULT> answers;
    HWND mine = CreateTestWindow([&](HWND, UINT msg, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (msg != kPing) return std::nullopt;
      seenByWorker.push_back(static_cast<int>(wParam));
      // A send back into the thread that is waiting for this very message.
      EXPECT_EQ(SendMessage(mainWindow, kNested, 0, 0), 7);
      return static_cast<LRESULT>(wParam) + 1;
    });
    workerThread = GetWindowThreadProcessId(mine, nullptr);
    workerWindow.set_value(mine);
    for (int i = 0; i < kCount; ++i) answers.push_back(SendMessage(mainWindow, kPing, static_cast<WPARAM>(i), 0));
    for (int i = 0; i < kCount; ++i) EXPECT_EQ(answers[static_cast<std::size_t>(i)], i * 2);
    workerSent.set_value();
    ServeUntilStop();
    DestroyWindow(mine);
  });
  HWND other = workerWindow.get_future().get();
  std::vector<LRESULT> answers;
  for (int i = 0; i < kCount; ++i) answers.push_back(SendMessage(other, kPing, static_cast<WPARAM>(i), 0));
  auto sent = workerSent.get_future();
  // The worker's sends are served while this thread waits in GetMessage.
  while (sent.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
    MSG msg;
    if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    else std::this_thread::yield();
  }
  PostThreadMessage(workerThread, kStop, 0, 0);
  worker.join();
  DestroyWindow(mainWindow);

  for (int i = 0; i < kCount; ++i) EXPECT_EQ(answers[static_cast<std::size_t>(i)], i + 1);
  ASSERT_EQ(seenByMain.size(), static_cast<std::size_t>(kCount));
  ASSERT_EQ(seenByWorker.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) {
    EXPECT_EQ(seenByMain[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(seenByWorker[static_cast<std::size_t>(i)], i);
  }
  EXPECT_EQ(nestedOnMain.load(), kCount);
}

TEST(CrossThreadSend, SenderGetsZeroWhenTheWindowIsDestroyedWhileItWaits) {
  bool handled = false;
  HWND target = CreateTestWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == kPing) handled = true;
    return msg == kPing ? std::optional<LRESULT>(99) : std::nullopt;
  });
  std::promise<void> started;
  std::future<LRESULT> answer = std::async(std::launch::async, [&] {
    started.set_value();
    return SendMessage(target, kPing, 0, 0);
  });
  started.get_future().wait();
  // This thread does not pump, so the message stays queued until the window goes.
  while (!(GetQueueStatus(QS_SENDMESSAGE) & QS_SENDMESSAGE)) std::this_thread::yield();
  DestroyWindow(target);
  ASSERT_EQ(answer.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(answer.get(), 0);
  EXPECT_FALSE(handled);
}

TEST(CrossThreadSend, SendToAWindowWhoseThreadEndedAnswersZero) {
  HWND orphan = nullptr;
  std::thread([&] { orphan = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(5); }); })
      .join();
  EXPECT_EQ(SendMessage(orphan, kPing, 0, 0), 0);
  EXPECT_FALSE(PostMessage(orphan, kPing, 0, 0));
}

TEST(CrossThreadSend, TimeoutWithdrawsTheMessageWhenTheOwnerIsBusy) {
  int handled = 0;
  HWND target = CreateTestWindow([&](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == kPing) ++handled;
    return std::nullopt;
  });
  DWORD_PTR result = 123;
  // This thread does not pump while the other one waits, so the bound passes.
  LRESULT ok = std::async(std::launch::async, [&] {
                 return SendMessageTimeout(target, kPing, 0, 0, SMTO_NORMAL, 50, &result);
               }).get();
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(result, 123u);
  PumpPendingMessages();
  EXPECT_EQ(handled, 0);
  DestroyWindow(target);
}

TEST(PostedMessages, QuitComesAfterThePostedMessages) {
  HWND target = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  PostQuitMessage(3);
  PostMessage(target, kPing, 1, 0);
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, kPing);
  EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  DestroyWindow(target);
  PumpPendingMessages();
}

}  // namespace
}  // namespace plat::win
