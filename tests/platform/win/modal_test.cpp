// Modal loops: nesting and the order they end in, serving other threads' sends and timers, and the
// dialog manager's Enter and Escape.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/win/dialog.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

DialogTemplate PopupTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  t.cx = 100;
  t.cy = 50;
  t.faceName = "Baekmuk Gulim";
  t.pointSize = 9;
  t.caption = "modal";
  return t;
}

struct Nesting {
  std::vector<std::string> events;
  HWND outer = nullptr;
  HWND inner = nullptr;
  bool endOuterFromInner = false;
};
Nesting* nesting = nullptr;

INT_PTR InnerProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    nesting->inner = hwnd;
    PostMessage(hwnd, WM_USER, 0, 0);
    return TRUE;
  }
  if (msg == WM_USER) {
    EXPECT_FALSE(IsWindowEnabled(nesting->outer));  // the inner box is modal to the outer one
    if (nesting->endOuterFromInner) EndDialog(nesting->outer, 11);
    EndDialog(hwnd, 22);
    nesting->events.push_back("inner ended");
    return TRUE;
  }
  return FALSE;
}

INT_PTR OuterProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    nesting->outer = hwnd;
    PostMessage(hwnd, WM_USER, 0, 0);
    return TRUE;
  }
  if (msg == WM_USER) {
    DialogTemplate t = PopupTemplate();
    INT_PTR innerResult = DialogBoxIndirectParam(&t, hwnd, InnerProc, 0);
    nesting->events.push_back("inner returned " + std::to_string(innerResult));
    if (!nesting->endOuterFromInner) {
      nesting->events.push_back("outer still running");
      EndDialog(hwnd, 33);
    }
    return TRUE;
  }
  return FALSE;
}

TEST(ModalLoop, InnerEndDialogEndsOnlyTheInnerLoop) {
  Nesting state;
  nesting = &state;
  DialogTemplate t = PopupTemplate();
  INT_PTR result = DialogBoxIndirectParam(&t, nullptr, OuterProc, 0);
  EXPECT_EQ(result, 33);
  EXPECT_EQ(state.events, (std::vector<std::string>{"inner ended", "inner returned 22", "outer still running"}));
  EXPECT_FALSE(IsWindow(state.inner));
  EXPECT_FALSE(IsWindow(state.outer));
  nesting = nullptr;
}

TEST(ModalLoop, OuterEndedFromInsideTheInnerLoopEndsAfterIt) {
  Nesting state;
  state.endOuterFromInner = true;
  nesting = &state;
  DialogTemplate t = PopupTemplate();
  INT_PTR result = DialogBoxIndirectParam(&t, nullptr, OuterProc, 0);
  EXPECT_EQ(result, 11);
  EXPECT_EQ(state.events, (std::vector<std::string>{"inner ended", "inner returned 22"}));
  nesting = nullptr;
}

TEST(ModalLoop, OwnerIsDisabledWhileTheDialogRunsAndEnabledAfter) {
  static HWND owner = nullptr;
  static bool ownerEnabledInside = true;
  owner = testing::CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  DialogTemplate t = PopupTemplate();
  INT_PTR result = DialogBoxIndirectParam(&t, owner, [](HWND hwnd, UINT msg, WPARAM, LPARAM) -> INT_PTR {
    if (msg == WM_INITDIALOG) PostMessage(hwnd, WM_USER, 0, 0);
    if (msg == WM_USER) {
      ownerEnabledInside = IsWindowEnabled(owner);
      EndDialog(hwnd, 5);
    }
    return FALSE;
  }, 0);
  EXPECT_EQ(result, 5);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

struct Serving {
  std::atomic<int> positions{0};
  std::thread worker;
  int timerTicks = 0;
};
Serving* serving = nullptr;

INT_PTR ServingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(hwnd, 1526, 200, nullptr);
      serving->worker = std::thread([hwnd] {
        for (int i = 1; i <= 100; ++i) SendMessage(hwnd, WM_USER + 2, static_cast<WPARAM>(i), 0);
        // Only now may the poll timer see the work done.
        AdvanceClock(200);
      });
      return TRUE;
    case WM_USER + 2:
      EXPECT_EQ(static_cast<int>(wParam), serving->positions + 1);  // in the order sent
      ++serving->positions;
      return TRUE;
    case WM_TIMER:
      ++serving->timerTicks;
      if (serving->positions == 100) EndDialog(hwnd, IDOK);
      return TRUE;
    default: return FALSE;
  }
}

TEST(ModalLoop, ServesOtherThreadsSendsAndTimersWhileItRuns) {
  ManualClock clock;
  Serving state;
  serving = &state;
  DialogTemplate t = PopupTemplate();
  INT_PTR result = DialogBoxIndirectParam(&t, nullptr, ServingProc, 0);
  state.worker.join();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(state.positions.load(), 100);
  EXPECT_EQ(state.timerTicks, 1);
  serving = nullptr;
}

TEST(ModalLoop, EnterAndEscapeBecomeOkAndCancel) {
  static std::vector<int> commands;
  commands.clear();
  auto proc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM) -> INT_PTR {
    if (msg == WM_INITDIALOG) {
      // Queued as typed input would be (the dialog is not shown yet, so PostKey would refuse it).
      PostMessage(GetDlgItem(hwnd, 5), WM_KEYDOWN, commands.empty() ? VK_RETURN : VK_ESCAPE, 1);
      return TRUE;
    }
    if (msg == WM_COMMAND) {
      commands.push_back(LOWORD(wParam));
      EndDialog(hwnd, LOWORD(wParam));
      return TRUE;
    }
    return FALSE;
  };
  DialogTemplate t = PopupTemplate();
  t.style |= WS_VISIBLE;
  t.items.push_back(DialogItemTemplate{"Static", "label", 5, 1, 1, 20, 8, WS_VISIBLE, 0});
  EXPECT_EQ(DialogBoxIndirectParam(&t, nullptr, proc, 0), IDOK);
  EXPECT_EQ(DialogBoxIndirectParam(&t, nullptr, proc, 0), IDCANCEL);
  EXPECT_EQ(commands, (std::vector<int>{IDOK, IDCANCEL}));
}

TEST(ModalLoop, QuitEndsTheLoopAndIsPostedAgain) {
  DialogTemplate t = PopupTemplate();
  INT_PTR result = DialogBoxIndirectParam(&t, nullptr, [](HWND, UINT msg, WPARAM, LPARAM) -> INT_PTR {
    if (msg == WM_INITDIALOG) PostQuitMessage(4);
    return FALSE;
  }, 0);
  EXPECT_EQ(result, -1);
  MSG msg;
  EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.wParam, 4u);
}

}  // namespace
}  // namespace plat::win
