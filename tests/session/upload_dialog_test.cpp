// The progress dialog while an upload runs: its texts and bar, the cancel button and the keys, the
// user-interface thread that keeps running beside a slow transfer, and the keep-alive request.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "platform/win/message.h"
#include "platform/win/window.h"
#include "resources/Resource.h"
#include "session/CProgressDlg.h"
#include "tests/session/upload_fixture.h"

namespace drev::testing {
namespace {

using drevtest::ReceiverProcess;
using Names = std::vector<std::string>;
namespace pw = plat::win;

// A receiver that reads about 4 KiB a millisecond: files well beyond what the sockets buffer
// (some megabytes) take seconds.
drevtest::ReceiverSetup SlowReceiver() { return Receiver({"--read-delay", "1"}); }

constexpr std::size_t kMiB = 1 << 20;

TEST_F(UploadTest, TheDialogShowsProgressWhileASlowReceiverHoldsTheUpload) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("slow.bin", 12 * kMiB)});
  std::set<std::string> texts;
  std::vector<int> positions;
  std::string unusedTexts;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (std::string text = DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES); !text.empty()) texts.insert(text);
    positions.push_back(DialogWatcher::BarPos(dialog));
    for (int id : {IDC_PROGRESS_TOTAL_FILES, IDC_PROGRESS_BAR_NOTE, IDC_PROGRESS_LOWER_NOTE}) unusedTexts += DialogWatcher::Text(dialog, id);
  });

  EXPECT_TRUE(UploadFiles());

  // The user-interface thread kept running its loop and showing new progress throughout.
  EXPECT_GE(watcher.Ticks(), 10);
  EXPECT_GE(texts.size(), 3u);
  for (const std::string& text : texts) EXPECT_TRUE(text.ends_with(" / 12.00 MB")) << text;
  EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
  EXPECT_TRUE(std::any_of(positions.begin(), positions.end(), [](int pos) { return pos > 0 && pos < 100; }));
  EXPECT_TRUE(unusedTexts.empty()) << unusedTexts;
  EXPECT_EQ(LastReply()["files"][0]["size"], 12 * kMiB);
}

// Handles the thread's messages for `ms` of real time, as its loop would.
void PumpFor(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    pw::MSG msg;
    while (pw::PeekMessage(&msg, nullptr, 0, 0, pw::PM_REMOVE)) {
      pw::TranslateMessage(&msg);
      pw::DispatchMessage(&msg);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

TEST_F(UploadTest, TheBarTakesAtMostOnePositionAFrameAndTheLatestAtTheFramesEnd) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("slow.bin", 12 * kMiB)});
  pw::ManualClock clock;  // a frame lasts until the test moves the clock on
  std::thread driver([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pw::AdvanceClock(20);  // the watcher's first tick, with the upload under way
  });
  int held = -1, stillHeld = -1, next = -1;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (held >= 0) return;
    PumpFor(100);  // what was due at this time is shown
    held = DialogWatcher::BarPos(dialog);
    PumpFor(600);  // the worker posts new positions (about 4 % of the file a second)...
    stillHeld = DialogWatcher::BarPos(dialog);  // ...but the frame has not ended
    pw::AdvanceClock(CProgressDlg::kBarFrameMs);
    PumpFor(100);
    next = DialogWatcher::BarPos(dialog);  // the frame's end shows the latest
  });

  EXPECT_TRUE(UploadFiles());
  driver.join();

  EXPECT_GE(held, 0);
  EXPECT_EQ(stillHeld, held);
  EXPECT_GT(next, held);
  EXPECT_LT(next, 100);
  EXPECT_EQ(LastReply()["files"][0]["size"], 12 * kMiB);
}

// Takes the bar-position posts waiting for the dialog and handles them; how many there were.
int HandleBarPosts(pw::HWND dialog) {
  int posts = 0;
  pw::MSG msg;
  while (pw::PeekMessage(&msg, dialog, CProgressDlg::UM_BAR_POSITION, CProgressDlg::UM_BAR_POSITION, pw::PM_REMOVE)) {
    ++posts;
    pw::DispatchMessage(&msg);
  }
  return posts;
}

TEST_F(UploadTest, WhileTheBarIsStillToTakeAPositionTheWorkerPostsNoMore) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("slow.bin", 12 * kMiB)});
  pw::ManualClock clock;  // the frame opened by the first position shown ends only when the test says
  std::thread driver([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pw::AdvanceClock(20);
  });
  int before = -1, posts = -1, after = -1;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (posts >= 0) return;
    PumpFor(100);
    before = DialogWatcher::BarPos(dialog);
    // For a second and a half the position moves on while the frame's end is still to show it; the
    // posts are handled as they come (each finds the frame's end due).
    posts = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (std::chrono::steady_clock::now() < until) {
      posts += HandleBarPosts(dialog);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    posts += HandleBarPosts(dialog);
    pw::AdvanceClock(CProgressDlg::kBarFrameMs);
    PumpFor(100);
    after = DialogWatcher::BarPos(dialog);
  });

  EXPECT_TRUE(UploadFiles());
  driver.join();

  EXPECT_GE(after - before, 4) << "the position moved on several times";
  EXPECT_LT(after, 100);
  EXPECT_LE(posts, 1) << "a post for each position that followed";
  EXPECT_EQ(LastReply()["files"][0]["size"], 12 * kMiB);
}

// The text is set at the poll and at the end; the bar at most once a frame. When the text
// changes, the bar shows the position of the same moment: here the frame the test holds open
// would otherwise leave the bar where it was when the upload's end set the whole count.
pw::WNDPROC g_textProc = nullptr;
std::vector<std::pair<std::string, int>> g_textsWithBar;

plat::LRESULT RecordTextWithBar(pw::HWND hwnd, plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  plat::LRESULT result = pw::CallWindowProc(g_textProc, hwnd, msg, wParam, lParam);
  if (msg == pw::WM_SETTEXT && lParam != 0)
    g_textsWithBar.emplace_back(reinterpret_cast<const char*>(lParam), DialogWatcher::BarPos(pw::GetParent(hwnd)));
  return result;
}

TEST_F(UploadTest, WhenTheTextShowsTheWholeCountTheBarIsFull) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("slow.bin", 6 * kMiB)});
  pw::ManualClock clock;  // timers run only when the test moves the clock: the frame stays open
  std::thread driver([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    pw::AdvanceClock(20);  // one tick of the watcher, which also ends the bar's first frame
  });
  g_textsWithBar.clear();
  int barWhenWatched = -1;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (g_textProc != nullptr) return;
    g_textProc = pw::SetWindowProc(pw::GetDlgItem(dialog, IDC_PROGRESS_BYTES), &RecordTextWithBar);
    PumpFor(100);
    barWhenWatched = DialogWatcher::BarPos(dialog);
  });
  EXPECT_TRUE(UploadFiles());
  driver.join();
  g_textProc = nullptr;

  EXPECT_LT(barWhenWatched, 100) << "the upload ended before the test could hold the bar";
  ASSERT_FALSE(g_textsWithBar.empty());
  EXPECT_EQ(g_textsWithBar.back().first, " 6.00 MB /  6.00 MB");
  EXPECT_EQ(g_textsWithBar.back().second, 100) << "the bar lagged behind the text";
}

TEST_F(UploadTest, TheTransferNeverWaitsForTheUserInterfaceThread) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("slow.bin", 12 * kMiB)});
  bool blockedMidUpload = false;
  bool bodyArrived = false;
  DialogWatcher watcher([&](pw::HWND) {
    if (blockedMidUpload || bodyArrived) return;
    // The user-interface thread stops handling anything until the receiver has the whole body: a
    // worker that waited for this thread (to move the bar, say) would never get there.
    blockedMidUpload = receiver.Output().find("POST ") == std::string::npos;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!bodyArrived && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      bodyArrived = receiver.Output().find("POST ") != std::string::npos;
    }
  });

  EXPECT_TRUE(UploadFiles());

  EXPECT_TRUE(blockedMidUpload);
  EXPECT_TRUE(bodyArrived);
  EXPECT_EQ(LastReply()["files"][0]["size"], 12 * kMiB);
}

TEST_F(UploadTest, WithoutFilePartsTheDialogRunsButShowsNoProgress) {
  ReceiverProcess receiver(Receiver({"--reply-delay", "700"}));
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("AddParameter", {"mode", "only-fields"}).ok());
  std::string shown;
  int highest = 0;
  DialogWatcher watcher([&](pw::HWND dialog) {
    shown += DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES);
    highest = std::max(highest, DialogWatcher::BarPos(dialog));
  });

  EXPECT_TRUE(UploadFiles());

  EXPECT_GE(watcher.Ticks(), 5);
  EXPECT_EQ(shown, "");
  EXPECT_EQ(highest, 0);
  EXPECT_EQ(EventNames(), (Names{"StartUpload", "ChangeFileList", "OnContentReceived"}));
  nlohmann::json reply = LastReply();
  EXPECT_TRUE(reply["files"].empty());
  ASSERT_EQ(reply["fields"].size(), 3u);
  EXPECT_EQ(reply["fields"][2]["value"], "only-fields");
}

TEST_F(UploadTest, TheCancelButtonStopsTheTransferMidFileAndKeepsTheLists) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("long.bin", 16 * kMiB)});
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{3}, std::int32_t{30}, false}).ok());
  Host().Events().Clear();
  int clickedAt = -1;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (clickedAt >= 0 || DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES).empty()) return;
    clickedAt = DialogWatcher::BarPos(dialog);
    DialogWatcher::ClickCancel(dialog);
  });

  EXPECT_FALSE(UploadFiles());

  EXPECT_GE(clickedAt, 0);
  EXPECT_LT(clickedAt, 100);
  EXPECT_EQ(EventLog(), (Names{"StartUpload()", "CancelUpload()"}));
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  EXPECT_EQ(Count("DELETE_FILE"), 1);
  EXPECT_TRUE(Messages().empty());
}

// A server that takes no more of the body, or one that never answers, holds the worker in a network
// call; the cancel button still ends the upload at once as a cancel, with no time-out box.
class SilentServerTest : public UploadTest {
 protected:
  void CancelWhileHeld(const char* option, std::size_t size) {
    ReceiverProcess receiver(Receiver({option, "60000"}));
    Place(receiver.Address());
    Pick({MakeFile("held.bin", size)});
    Host().Events().Clear();
    int ticksAfterProgress = 0;
    std::chrono::steady_clock::time_point clicked;
    DialogWatcher watcher([&](pw::HWND dialog) {
      if (DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES).empty()) return;
      // About a second after the first report, the worker waits on the network.
      if (++ticksAfterProgress != 50) return;
      clicked = std::chrono::steady_clock::now();
      DialogWatcher::ClickCancel(dialog);
    });

    EXPECT_FALSE(UploadFiles());

    EXPECT_GE(ticksAfterProgress, 50);
    EXPECT_LT(std::chrono::steady_clock::now() - clicked, std::chrono::seconds(5));
    EXPECT_EQ(EventLog(), (Names{"StartUpload()", "CancelUpload()"}));
    EXPECT_EQ(Count("ATTACH_FILE"), 1);
    EXPECT_TRUE(Messages().empty());
  }
};

TEST_F(SilentServerTest, TheCancelButtonEndsAnUploadToAServerThatStoppedReadingAtOnce) {
  CancelWhileHeld("--read-delay", 32 * kMiB);
}

TEST_F(SilentServerTest, TheCancelButtonEndsAnUploadWaitingForAReplyAtOnce) { CancelWhileHeld("--reply-delay", 3000); }

TEST_F(UploadTest, EnterIsIgnoredWhileTheWorkerRunsAndEscapeActsAsTheCancelButton) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("long.bin", 16 * kMiB)});
  int enterAt = -1;
  bool escaped = false;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES).empty() || escaped) return;
    if (enterAt < 0) {
      enterAt = watcher.Ticks();
      DialogWatcher::PressKey(dialog, pw::VK_RETURN);
    } else if (watcher.Ticks() >= enterAt + 3) {
      // Still here three ticks after Enter.
      escaped = true;
      DialogWatcher::PressKey(dialog, pw::VK_ESCAPE);
    }
  });

  EXPECT_FALSE(UploadFiles());

  EXPECT_TRUE(escaped);
  EXPECT_EQ(EventLog(), (Names{"StartUpload()", "CancelUpload()"}));
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
}

TEST_F(UploadTest, AHostQuittingDuringTheUploadStopsTheWorkerBeforeTheDialogGoes) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("long.bin", 16 * kMiB)});
  bool quit = false;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (quit || DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES).empty()) return;
    quit = true;
    pw::PostQuitMessage(0);
  });

  // The modal loop gives up: the dialog goes, and the worker, which reports to it, is stopped and
  // waited for first. The page hears of no end; the lists stay, and the upload did not succeed.
  EXPECT_FALSE(UploadFiles());

  EXPECT_TRUE(quit);
  EXPECT_EQ(EventLog(), (Names{"StartUpload()"}));
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  // The quit is left for the outer loop.
  pw::MSG msg;
  EXPECT_TRUE(pw::PeekMessage(&msg, nullptr, pw::WM_QUIT, pw::WM_QUIT, pw::PM_REMOVE));
}

TEST_F(UploadTest, AfterFiftyMinutesTheDialogRequestsTheKeepAliveImageAndTheUploadGoesOn) {
  ReceiverProcess receiver(SlowReceiver());
  Place(receiver.Address());
  Pick({MakeFile("long.bin", 8 * kMiB)});
  pw::ManualClock clock;
  // The clock moves on by itself, quickly, so that the dialog's poll timer keeps ticking.
  std::atomic<bool> stop{false};
  std::thread driver([&] {
    while (!stop) {
      pw::AdvanceClock(50);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  });
  int jumpedAt = -1;
  DialogWatcher watcher([&](pw::HWND dialog) {
    if (jumpedAt >= 0 || DialogWatcher::Text(dialog, IDC_PROGRESS_BYTES).empty()) return;
    jumpedAt = DialogWatcher::BarPos(dialog);
    pw::AdvanceClock(CProgressDlg::kKeepAliveMs);
  });

  const bool finished = UploadFiles();
  stop = true;
  driver.join();

  EXPECT_TRUE(finished);
  EXPECT_GE(jumpedAt, 0);
  const std::string log = receiver.Output();
  std::size_t get = log.find("GET /bin/Plimtrans.gif");
  ASSERT_NE(get, std::string::npos) << log;
  EXPECT_EQ(log.find("GET /bin/Plimtrans.gif", get + 1), std::string::npos) << log;
  EXPECT_EQ(LastReply()["files"][0]["size"], 8 * kMiB);
  EXPECT_EQ(EventNames(), (Names{"StartUpload", "ChangeFileList", "OnContentReceived"}));
}

TEST_F(UploadTest, TheUploadEndsAsSoonAsTheWorkerIsDoneWithoutWaitingForThePollTimer) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  Pick({MakeFile("small.bin", 1024), MakeFile("second.bin", 3000)});
  // The timers' clock stands still, so the poll timer never fires; should the dialog wait for it
  // all the same, the clock is moved on after 5 s so that the test ends (and fails).
  pw::ManualClock clock;
  std::atomic<bool> ended{false};
  std::atomic<bool> advanced{false};
  std::thread rescue([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!ended && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    while (!ended) {
      advanced = true;
      pw::AdvanceClock(CProgressDlg::kPollMs);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });

  const bool finished = UploadFiles();
  ended = true;
  rescue.join();

  EXPECT_TRUE(finished);
  EXPECT_FALSE(advanced);
  EXPECT_EQ(EventNames(), (Names{"StartUpload", "ChangeFileList", "OnContentReceived"}));
  ASSERT_EQ(LastReply()["files"].size(), 2u);
  EXPECT_EQ(LastReply()["files"][1]["size"], 3000);
}

}  // namespace
}  // namespace drev::testing
