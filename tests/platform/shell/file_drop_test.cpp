// File drops: delivery to a window that accepts files, the drop handle's queries and release, and
// the drop-target registration.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/kernel/error.h"
#include "platform/shell/file_drop.h"
#include "platform/shell/ole_drop_target.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/window.h"
#include "tests/platform/shell/shell_fixture.h"

namespace plat::shell {
namespace {

using testing::ShellTest;

// What the test window saw of each drop, read the way a handler reads it.
struct Seen {
  std::vector<std::vector<std::string>> drops;
  HDROP last = nullptr;
  bool finish = true;
  std::function<void(HDROP)> inspect;  // runs inside the handler, while the drop is alive
};
Seen g_seen;

LRESULT DropWindowProc(win::HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != win::WM_DROPFILES) return win::DefWindowProc(hwnd, msg, wParam, lParam);
  HDROP drop = reinterpret_cast<HDROP>(wParam);
  std::vector<std::string> paths;
  UINT count = DragQueryFileA(drop, kDragQueryCount, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char buffer[261];
    DragQueryFileA(drop, i, buffer, sizeof buffer);
    paths.push_back(buffer);
  }
  g_seen.drops.push_back(paths);
  g_seen.last = drop;
  if (g_seen.inspect) g_seen.inspect(drop);
  if (g_seen.finish) DragFinish(drop);
  return 0;
}

class FileDropTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    static const bool registered = [] {
      win::WNDCLASSA wc;
      wc.lpfnWndProc = DropWindowProc;
      wc.lpszClassName = "ShellDropTestWindow";
      return win::RegisterClass(wc);
    }();
    ASSERT_TRUE(registered);
    g_seen = Seen{};
    frame_ = win::CreateWindowEx(win::WS_EX_ACCEPTFILES, "ShellDropTestWindow", "", win::WS_OVERLAPPED, 0, 0, 200, 100,
                                 nullptr, 0, nullptr);
    child_ = win::CreateWindowEx(0, "ShellDropTestWindow", "", win::WS_CHILD, 0, 0, 50, 50, frame_, 7, nullptr);
    ASSERT_NE(frame_, nullptr);
    ASSERT_NE(child_, nullptr);
  }
  void TearDown() override {
    win::DestroyWindow(frame_);
    ShellTest::TearDown();
  }
  win::HWND frame_ = nullptr;
  win::HWND child_ = nullptr;
};

TEST_F(FileDropTest, TheWindowAcceptingFilesGetsEveryPathInOrder) {
  std::string a = MakeFile("a.txt"), b = MakeFile("보고서.hwp");
  EXPECT_EQ(DropFiles(child_, {a, b}), 2);  // the child does not accept files; its frame does
  ASSERT_EQ(g_seen.drops.size(), 1u);
  EXPECT_EQ(g_seen.drops[0], (std::vector<std::string>{a, text::Utf8ToCp949(b)}));
  // The handler released the drop: its handle is unknown from then on.
  EXPECT_EQ(DragQueryFileA(g_seen.last, kDragQueryCount, nullptr, 0), 0u);
  EXPECT_EQ(kernel::GetLastError(), kernel::ERROR_INVALID_HANDLE);
}

TEST_F(FileDropTest, ADropThatNobodyAcceptsIsNotSent) {
  DragAcceptFiles(frame_, FALSE);
  EXPECT_EQ(DropFiles(child_, {MakeFile("a.txt")}), -1);
  EXPECT_TRUE(g_seen.drops.empty());
  DragAcceptFiles(child_, TRUE);
  EXPECT_EQ(DropFiles(child_, {MakeFile("a.txt")}), 1);
  EXPECT_EQ(g_seen.drops.size(), 1u);
}

TEST_F(FileDropTest, PathsOutsideCp949AreLeftOutAndNamed) {
  std::string a = MakeFile("a.txt");
  std::string thai = MakeFile("\xE0\xB8\x81.txt");  // U+0E01, which CP949 lacks
  EXPECT_EQ(DropFiles(frame_, {thai, a}), 1);
  ASSERT_EQ(g_seen.drops.size(), 1u);
  EXPECT_EQ(g_seen.drops[0], std::vector<std::string>{a});
  auto boxes = win::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(text::Utf8ToCp949(Dir()) + "/?.txt"), std::string::npos);
  EXPECT_EQ(boxes[0].type, win::MB_OK | win::MB_ICONEXCLAMATION);

  // When nothing is left, nothing is sent.
  EXPECT_EQ(DropFiles(frame_, {thai}), 0);
  EXPECT_EQ(g_seen.drops.size(), 1u);
}

TEST_F(FileDropTest, QueriesFollowThePlatform) {
  std::string longName(200, 'n');
  int inspected = 0;
  g_seen.inspect = [&](HDROP drop) {
    ++inspected;
    EXPECT_EQ(DragQueryFileA(drop, kDragQueryCount, nullptr, 0), 3u);
    EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 12u);  // the length without terminator
    EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 205u);
    EXPECT_EQ(DragQueryFileA(drop, 3, nullptr, 0), 0u);   // past the last

    char buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(DragQueryFileA(drop, 0, buffer, 5), 4u);  // cch - 1 bytes and a terminator
    EXPECT_EQ(std::string(buffer, 6), std::string("/tmp\0#", 6));
    EXPECT_EQ(DragQueryFileA(drop, 0, buffer, 13), 12u);
    EXPECT_EQ(std::string(buffer), "/tmp/abc.txt");
    EXPECT_EQ(DragQueryFileA(drop, 0, buffer, 0), 0u);
    // "/tmp/" and two double-byte characters: a cut never leaves half a character.
    EXPECT_EQ(DragQueryFileA(drop, 2, buffer, 9), 7u);
    EXPECT_EQ(std::string(buffer), "/tmp/" + text::Utf8ToCp949("한"));
    EXPECT_EQ(DragQueryFileA(drop, 2, buffer, 10), 9u);
  };
  DropFiles(frame_, {"/tmp/abc.txt", "/tmp/" + longName, "/tmp/한글"});
  EXPECT_EQ(inspected, 1);
  HDROP finished = g_seen.last;
  EXPECT_EQ(DragQueryFileA(finished, 0, nullptr, 0), 0u);
  DragFinish(finished);  // a second release is harmless
}

TEST_F(FileDropTest, ADropTheHandlerKeptIsReleasedAfterDelivery) {
  g_seen.finish = false;
  DropFiles(frame_, {MakeFile("a.txt")});
  ASSERT_NE(g_seen.last, nullptr);
  EXPECT_EQ(DragQueryFileA(g_seen.last, kDragQueryCount, nullptr, 0), 0u);
}

TEST_F(FileDropTest, DropTargetRegistration) {
  auto target = std::make_unique<COleDropTarget>();
  EXPECT_TRUE(target->Register(frame_));
  EXPECT_EQ(GetRegisteredDropTarget(frame_), target.get());
  COleDropTarget other;
  EXPECT_FALSE(other.Register(frame_));  // one target per window
  EXPECT_EQ(RegisterDragDrop(frame_, &other), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(target->OnDragEnter(frame_, 0, POINT{1, 1}), DROPEFFECT_NONE);
  target.reset();  // going away revokes
  EXPECT_EQ(GetRegisteredDropTarget(frame_), nullptr);
  EXPECT_EQ(RevokeDragDrop(frame_), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(RegisterDragDrop(nullptr, &other), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RegisterDragDrop(frame_, nullptr), E_INVALIDARG);
  // File drops still arrive at a registered window.
  EXPECT_TRUE(other.Register(frame_));
  EXPECT_EQ(DropFiles(frame_, {MakeFile("a.txt")}), 1);
}

}  // namespace
}  // namespace plat::shell
