// drevhost show on a real X server: a pointer click on the page's own button runs its onclick,
// which opens the real file chooser; the file picked there reaches the page's events; a click on the
// page's close button ends the run with status 0.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/types.h"
#include "platform/gdi/surface.h"
#include "tests/receiver/receiver_process.h"
#include "tests/screen/screen_support.h"

namespace drev::screentest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Bin(const std::string& name) { return std::string(DREV_BINARY_DIR) + "/bin/" + name; }

void Xdo(const std::string& args) {
  int status = 0;
  Shell("xdotool " + args + " 2>&1", &status);
  EXPECT_EQ(status, 0) << "xdotool " << args;
}

// The page's layout puts its first button at the top-left corner, inside the 8-pixel margin; the
// second follows on the same line.
constexpr const char* kPage = R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>DREV page on screen</title></head><body>
<button id="pick" onclick="up.AttachFiles(); document.getElementById('count').value = up.GetFileCount('ATTACH_FILE');">Pick files</button><button id="close" onclick="window.close()">Close</button>
<p><input id="count" value="none"></p>
<object id="up" classid="clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11" width="500" height="150"></object>
</body></html>
)html";

// The exit status of child `pid` once it has ended within `bound`; -1 when it is still running.
int ExitStatusWithin(pid_t pid, std::chrono::milliseconds bound) {
  int status = 0;
  for (auto deadline = std::chrono::steady_clock::now() + bound;; std::this_thread::sleep_for(100ms)) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    if (std::chrono::steady_clock::now() >= deadline) return -1;
  }
}

// A window manager's close button, as the X server delivers it: WM_DELETE_WINDOW.
void CloseAsWindowManager(unsigned long window) {
  int status = 0;
  Shell("'" + Bin("wm-close") + "' " + std::to_string(window) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << "wm-close " << window;
}

class PageShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    display_ = Display(&why);
    if (display_.empty()) GTEST_SKIP() << why;
    dir_ = fs::temp_directory_path() / ("drev-page-show-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    registry_ = (dir_ / "registry.json").string();
    int status = 0;
    Shell("DREV_REGISTRY='" + registry_ + "' '" + Bin("drevhost") + "' regsvr '" + Bin("zelk.ocx") + "' 2>&1", &status);
    ASSERT_EQ(status, 0);
    std::ofstream(dir_ / "page.html") << kPage;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // What `drevhost show` runs with: this display, the test's registry, no desktop settings.
  std::map<std::string, std::string> ShowEnv() const {
    return {{"DISPLAY", display_}, {"DREV_REGISTRY", registry_}, {"GSETTINGS_BACKEND", "memory"}, {"NO_AT_BRIDGE", "1"}};
  }

  // `drevhost show` of a page titled `title`: a "Send files" button that uploads to the receiver,
  // then the button `second` (its whole element), then the control, with a 16 MB file dropped into
  // the list; the run prints "eval 1" once the file is in.
  std::vector<std::string> ShowSlowPage(const std::string& name, const std::string& title, const std::string& second,
                                        const drevtest::ReceiverProcess& receiver) {
    const std::string big = (dir_ / "big.bin").string();
    std::ofstream(big, std::ios::binary) << std::string(16 * 1024 * 1024, 'x');
    std::ofstream(dir_ / name) << R"html(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>)html" << title << R"html(</title></head><body>
<button id="send" onclick="up.SetMaxUploadSize(100000000); up.UploadFiles()">Send files</button>)html" << second << R"html(
<p><object id="up" classid="clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11" width="500" height="150">
<param name="Normal_ServerName" value=")html" << receiver.Address() << R"html(">
<param name="Normal_UploadURL" value="/upload">
</object></p>
</body></html>
)html";
    return {Bin("drevhost"), "show", (dir_ / name).string(), "--drop", big, "--eval", "up.GetFileCount('ATTACH_FILE')"};
  }

  std::string display_;
  fs::path dir_;
  std::string registry_;
};

TEST_F(PageShowTest, AClickOnThePagesButtonPicksAFileInTheChooserAndTheCloseButtonEndsWithZero) {
  const std::string picked = (dir_ / "picked.txt").string();
  std::ofstream(picked) << "eleven byte";
  Child show({Bin("drevhost"), "show", (dir_ / "page.html").string(), "--eval", "document.getElementById('count').value"},
             ShowEnv());
  ASSERT_TRUE(show.WaitFor("eval none")) << "the page's scripts did not run";
  const unsigned long window = FindXWindow("^DREV page on screen$");
  ASSERT_NE(window, 0u) << "the page's window is not on the screen";

  Xdo("mousemove --window " + std::to_string(window) + " 20 16 click 1");
  const unsigned long chooser = FindXWindow("^열기$");
  ASSERT_NE(chooser, 0u) << "the button's click opened no file chooser";
  Xdo("windowfocus --sync " + std::to_string(chooser));
  Xdo("key --clearmodifiers ctrl+l");
  std::this_thread::sleep_for(300ms);
  Xdo("type --delay 20 '" + picked + "'");
  std::this_thread::sleep_for(300ms);
  Xdo("key Return");
  ASSERT_TRUE(show.WaitFor("event OnFileAppended(11, 11)")) << "the picked file did not reach the page";

  // The page's text box shows what its onclick wrote, and the list shows the row: read back from
  // the X server after the chooser has gone.
  std::this_thread::sleep_for(500ms);
  auto shot = Snapshot(window, [] {
    const char* dir = std::getenv("DREV_SCREENSHOT_DIR");
    return dir && *dir ? std::string(dir) + "/screen-page.png" : std::string();
  }());
  ASSERT_TRUE(shot);
  int dark = 0;
  for (int y = 0; y < shot->Height(); ++y)
    for (int x = 0; x < shot->Width(); ++x) dark += (shot->GetPixel(x, y) & 0xFFFFFF) == 0;
  EXPECT_GT(dark, 100) << "the window shows no text";

  // The second button, right of the first: window.close().
  Xdo("mousemove --window " + std::to_string(window) + " 120 16 click 1");
  int status = -1;
  for (int i = 0; i < 100 && waitpid(show.Pid(), &status, WNOHANG) != show.Pid(); ++i) std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(WIFEXITED(status)) << "drevhost show did not end after its window was closed";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(PageShowTest, TheWindowManagersCloseEndsTheRunWithZeroButNotWhileABoxOrTheProgressDialogIsUp) {
  // 16 MB read at 1 MB a second: the progress dialog stays up while the test closes around it.
  drevtest::ReceiverProcess receiver(drevtest::ReceiverSetup{{"--read-rate", "1000000"}, false, 134});
  Child show(ShowSlowPage("close.html", "DREV close test",
                          R"b(<button id="bad" onclick="noSuchFunction()">Broken one</button>)b", receiver),
             ShowEnv());
  ASSERT_TRUE(show.WaitFor("eval 1")) << "the file was not dropped";
  const unsigned long window = FindXWindow("^DREV close test$");
  ASSERT_NE(window, 0u);

  // A script error's box holds the page: the window manager's close is ignored until it is answered.
  Xdo("mousemove --window " + std::to_string(window) + " 130 16 click 1");
  const unsigned long box = FindXWindow("^drevhost$");
  ASSERT_NE(box, 0u) << "the script error showed no box";
  CloseAsWindowManager(window);
  EXPECT_EQ(ExitStatusWithin(show.Pid(), 1500ms), -1) << "the page closed under its message box";
  EXPECT_NE(FindXWindow("^drevhost$", 1s), 0u);
  Xdo("windowfocus --sync " + std::to_string(box));
  Xdo("key Return");
  std::this_thread::sleep_for(500ms);

  // So does the progress dialog of an upload; its own close cancels the upload.
  Xdo("mousemove --window " + std::to_string(window) + " 40 16 click 1");
  const unsigned long dialog = FindXWindow("^Drev Upload$");
  ASSERT_NE(dialog, 0u) << "no progress dialog";
  // The page under the dialog takes no clicks: its broken button shows no box while the dialog is up.
  Xdo("mousemove --window " + std::to_string(window) + " 130 16 click 1");
  EXPECT_EQ(FindXWindow("^drevhost$", 1s), 0u) << "the page under the progress dialog took a click";
  CloseAsWindowManager(window);
  EXPECT_EQ(ExitStatusWithin(show.Pid(), 1500ms), -1) << "the page closed under its progress dialog";
  EXPECT_NE(FindXWindow("^Drev Upload$", 1s), 0u) << "the progress dialog went with the page's close";
  CloseAsWindowManager(dialog);
  EXPECT_TRUE(show.WaitFor("event CancelUpload()", 10s)) << "the dialog's close did not cancel the upload";
  EXPECT_TRUE(XWindowGone("^Drev Upload$"));

  // Now the close ends the run, with status 0.
  CloseAsWindowManager(window);
  EXPECT_EQ(ExitStatusWithin(show.Pid(), 10s), 0) << "drevhost show did not end with 0 on the window manager's close";
}

// Pixels of `r` that differ between two pictures of the same window.
int Differing(const plat::gdi::Surface& a, const plat::gdi::Surface& b, const plat::RECT& r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += (a.GetPixel(x, y) & 0xFFFFFF) != (b.GetPixel(x, y) & 0xFFFFFF);
  return n;
}

TEST_F(PageShowTest, ByKeyboardAloneTabMovesTheFocusMarkEnterSendsEscapeCancelsAndSpaceCloses) {
  drevtest::ReceiverProcess receiver(drevtest::ReceiverSetup{{"--read-rate", "1000000"}, false, 135});
  Child show(ShowSlowPage("keys.html", "DREV keys", R"b(<button id="close" onclick="window.close()">Close page</button>)b",
                          receiver),
             ShowEnv());
  ASSERT_TRUE(show.WaitFor("eval 1"));
  const unsigned long window = FindXWindow("^DREV keys$");
  ASSERT_NE(window, 0u);
  std::this_thread::sleep_for(300ms);
  auto unfocused = Snapshot(window);
  ASSERT_TRUE(unfocused);
  // The insides of the two buttons of the first line (8 pixels of margin, then the buttons).
  const plat::RECT send{11, 10, 80, 28}, close{92, 10, 166, 28};
  auto marked = [&](const plat::RECT& focused, const plat::RECT& other) {
    std::this_thread::sleep_for(400ms);
    auto shot = Snapshot(window);
    ASSERT_TRUE(shot);
    EXPECT_GT(Differing(*shot, *unfocused, focused), 20) << "no focus mark on the focused button";
    EXPECT_EQ(Differing(*shot, *unfocused, other), 0) << "the other button changed";
  };

  Xdo("windowfocus --sync " + std::to_string(window));
  Xdo("key Tab");
  marked(send, close);
  Xdo("key Tab");
  marked(close, send);
  Xdo("key shift+Tab");
  marked(send, close);

  // Enter on the focused button runs its onclick: the upload starts; Escape in its dialog cancels.
  Xdo("key Return");
  const unsigned long dialog = FindXWindow("^Drev Upload$");
  ASSERT_NE(dialog, 0u) << "Enter did not press the focused button";
  ASSERT_TRUE(show.WaitFor("event StartUpload()"));
  std::this_thread::sleep_for(1s);
  Xdo("windowfocus --sync " + std::to_string(dialog));
  Xdo("key Escape");
  EXPECT_TRUE(show.WaitFor("event CancelUpload()", 10s)) << "Escape did not cancel the upload";
  EXPECT_TRUE(XWindowGone("^Drev Upload$")) << "the progress dialog stayed";
  for (int i = 0; i < 300 && receiver.Output().find("POST ") == std::string::npos; ++i) std::this_thread::sleep_for(100ms);
  EXPECT_EQ(receiver.Output().find("-> 200"), std::string::npos) << "the cancelled upload was taken whole";

  // The focus goes on into the control: Down there selects the first row, drawn in the colours of a
  // list with the focus. Shift+Tab comes back to the page's button.
  Xdo("windowfocus --sync " + std::to_string(window));
  Xdo("key Tab");
  marked(close, send);
  const plat::RECT list{8, 40, 508, 190};
  Xdo("key Tab");
  Xdo("key Down");
  std::this_thread::sleep_for(400ms);
  auto selected = Snapshot(window);
  ASSERT_TRUE(selected);
  EXPECT_GT(Differing(*selected, *unfocused, list), 500) << "the list's row shows no selection after Tab and Down";
  EXPECT_EQ(Differing(*selected, *unfocused, close), 0) << "the button kept its focus mark";
  Xdo("key shift+Tab");
  marked(close, send);

  // Space on that button: window.close() ends the run with 0.
  Xdo("key space");
  EXPECT_EQ(ExitStatusWithin(show.Pid(), 10s), 0) << "space did not press the focused button";
}

}  // namespace
}  // namespace drev::screentest
