// Windows: creation and destruction order, the tree, geometry, text and styles, registered
// messages and message boxes.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/kernel/thread.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/window.h"
#include "test_window.h"

namespace plat::win {
namespace {

using testing::CreateTestWindow;
using Log = std::vector<std::pair<HWND, UINT>>;

testing::Handler Recorder(Log& log) {
  return [&log](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_NCCREATE || msg == WM_CREATE || msg == WM_DESTROY || msg == WM_NCDESTROY) log.emplace_back(hwnd, msg);
    return std::nullopt;
  };
}

TEST(Windows, DestroyTellsTheParentFirstWhileItsChildrenStillExistAndFreesThemFirst) {
  Log log;
  bool childAliveAtParentDestroy = false;
  HWND child = nullptr;
  HWND parent = CreateTestWindow([&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (msg == WM_DESTROY) childAliveAtParentDestroy = IsWindow(child) && GetDlgItem(hwnd, 9) == child;
    return Recorder(log)(hwnd, msg, w, l);
  });
  child = CreateTestWindow(Recorder(log), WS_CHILD | WS_VISIBLE, {5, 5, 50, 50}, parent, 9);
  log.clear();
  ASSERT_TRUE(DestroyWindow(parent));
  EXPECT_TRUE(childAliveAtParentDestroy);
  EXPECT_EQ(log, (Log{{parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(SendMessage(parent, WM_USER, 0, 0), 0);
}

TEST(Windows, CreateFailsWhenWmCreateAnswersMinusOne) {
  Log log;
  HWND made = CreateTestWindow([&](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    Recorder(log)(hwnd, msg, w, l);
    if (msg == WM_CREATE) return -1;
    return std::nullopt;
  });
  EXPECT_EQ(made, nullptr);
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[2].second, WM_DESTROY);
  EXPECT_FALSE(IsWindow(log[0].first));
}

TEST(Windows, HandlesAreNeverReusedAndUnknownClassesFail) {
  HWND first = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  DestroyWindow(first);
  HWND second = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsWindow(first));
  DestroyWindow(second);
  EXPECT_EQ(CreateWindowEx(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(CreateWindowEx(0, "Static", "", WS_CHILD, 0, 0, 1, 1, nullptr, 0, nullptr), nullptr);
}

TEST(Windows, OnlyTheOwnerThreadMayDestroyAWindow) {
  HWND mine = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  BOOL destroyed = TRUE;
  std::thread([&] { destroyed = DestroyWindow(mine); }).join();
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(IsWindow(mine));
  DestroyWindow(mine);
}

TEST(Windows, ChildGeometryIsInTheParentsClientAreaWithFramesInset) {
  HWND parent = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); },
                                 WS_POPUP | WS_VISIBLE | WS_BORDER, {100, 50, 300, 250});
  std::vector<LPARAM> sizes;
  HWND child = CreateTestWindow([&](HWND, UINT msg, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (msg == WM_SIZE) sizes.push_back(l);
    return std::nullopt;
  }, WS_CHILD | WS_VISIBLE, {10, 20, 70, 60}, parent, 1);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(child, &r));
  EXPECT_EQ(r, (RECT{111, 71, 171, 111}));  // 1-pixel border of the parent
  GetClientRect(parent, &r);
  EXPECT_EQ(r, (RECT{0, 0, 198, 198}));
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p, (POINT{111, 71}));
  ScreenToClient(parent, &p);
  EXPECT_EQ(p, (POINT{10, 20}));
  MoveWindow(child, 0, 0, 30, 40, TRUE);
  ASSERT_EQ(sizes.size(), 2u);
  EXPECT_EQ(sizes.back(), MAKELPARAM(30, 40));
  EXPECT_EQ(ChildWindowFromPointDeep(parent, POINT{5, 5}), child);
  EXPECT_EQ(ChildWindowFromPointDeep(parent, POINT{50, 50}), parent);
  EXPECT_EQ(WindowFromPoint(POINT{111, 71}), child);
  DestroyWindow(parent);
}

TEST(Windows, TextStylesPropsAndVisibility) {
  HWND parent = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  HWND label = CreateWindowEx(0, "Static", "x", WS_CHILD, 0, 0, 10, 10, parent, 207, nullptr);
  const std::string korean = text::Ansi("전체 파일 : ");
  EXPECT_TRUE(SetWindowText(label, korean));
  EXPECT_EQ(GetWindowText(label), korean);
  char small[4];
  EXPECT_EQ(GetWindowText(label, small, sizeof small), 3);
  EXPECT_EQ(std::string(small), korean.substr(0, 3));
  EXPECT_EQ(GetClassName(label), "Static");
  EXPECT_EQ(GetDlgCtrlID(label), 207);
  EXPECT_EQ(GetParent(label), parent);
  EXPECT_FALSE(IsWindowVisible(label));
  EXPECT_FALSE(ShowWindow(label, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(label));
  ShowWindow(parent, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(label));
  int value = 0;
  SetProp(label, "key", &value);
  EXPECT_EQ(GetProp(label, "key"), &value);
  EXPECT_EQ(RemoveProp(label, "key"), &value);
  EXPECT_EQ(GetProp(label, "key"), nullptr);
  EXPECT_FALSE(EnableWindow(label, FALSE));
  EXPECT_TRUE(EnableWindow(label, TRUE));
  DestroyWindow(parent);
}

TEST(Windows, SubclassingChainsToThePreviousProcedure) {
  static WNDPROC previous = nullptr;
  static int seen = 0;
  HWND hwnd = CreateTestWindow([](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_USER) return 10;
    return std::nullopt;
  });
  previous = SetWindowProc(hwnd, [](HWND h, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
    if (msg == WM_USER) ++seen;
    return CallWindowProc(previous, h, msg, w, l) + (msg == WM_USER ? 1 : 0);
  });
  EXPECT_EQ(SendMessage(hwnd, WM_USER, 0, 0), 11);
  EXPECT_EQ(seen, 1);
  SetWindowProc(hwnd, previous);
  EXPECT_EQ(SendMessage(hwnd, WM_USER, 0, 0), 10);
  DestroyWindow(hwnd);
}

TEST(RegisteredMessages, SameNameSameNumberInTheRegisteredRange) {
  UINT a = RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED");
  UINT b = RegisterWindowMessageA("wm_xlistctrl_checkbox_clicked");
  UINT c = RegisterWindowMessageA("SOMETHING_ELSE");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  UINT fromThread = 0;
  std::thread([&] { fromThread = RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED"); }).join();
  EXPECT_EQ(fromThread, a);
  EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST(MessageBoxes, HeadlessBoxWritesUtf8ToStandardErrorRecordsAndAnswersOk) {
  ClearMessageBoxLog();
  const std::string caption = "zelk";
  const std::string text = text::Ansi("업로드 크기를 초과했습니다.");
  ::testing::internal::CaptureStderr();
  int answer = MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
  std::string written = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(written, "zelk: 업로드 크기를 초과했습니다.\n");
  auto log = MessageBoxLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].caption, caption);
  EXPECT_EQ(log[0].text, text);
  EXPECT_EQ(log[0].type, MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(log[0].threadId, kernel::GetCurrentThreadId());
}

TEST(MessageBoxes, HookAnswersInsteadWhileTheOwnerIsDisabled) {
  ClearMessageBoxLog();
  HWND owner = CreateTestWindow([](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); });
  HWND child = CreateWindowEx(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 5, 5, owner, 1, nullptr);
  bool ownerEnabledInHook = true;
  auto previous = SetMessageBoxHook([&](const MessageBoxRecord& r) {
    ownerEnabledInHook = IsWindowEnabled(owner);
    EXPECT_EQ(r.text, "text");
    return IDCANCEL;
  });
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(child, "text", "caption", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  SetMessageBoxHook(previous);
  EXPECT_FALSE(ownerEnabledInHook);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(MessageBoxLog().size(), 1u);
  DestroyWindow(owner);
}

TEST(Backend, OpenFileAnswersComeOutInOrderAndAnEmptyQueueMeansCancel) {
  QueueOpenFileAnswer(std::vector<std::string>{"/tmp/a.txt", "/tmp/b.txt"});
  QueueOpenFileAnswer(std::nullopt);
  auto first = TakeOpenFileAnswer();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->size(), 2u);
  EXPECT_FALSE(TakeOpenFileAnswer().has_value());
  EXPECT_FALSE(TakeOpenFileAnswer().has_value());
}

}  // namespace
}  // namespace plat::win
