// drevhost show on a real X server: a pointer click on the page's own button runs its onclick,
// which opens the real file chooser; the file picked there reaches the page's events; a click on the
// page's close button ends the run with status 0.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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

  std::string display_;
  fs::path dir_;
  std::string registry_;
};

TEST_F(PageShowTest, AClickOnThePagesButtonPicksAFileInTheChooserAndTheCloseButtonEndsWithZero) {
  const std::string picked = (dir_ / "picked.txt").string();
  std::ofstream(picked) << "eleven byte";
  Child show({Bin("drevhost"), "show", (dir_ / "page.html").string(), "--eval", "document.getElementById('count').value"},
             {{"DISPLAY", display_}, {"DREV_REGISTRY", registry_}, {"GSETTINGS_BACKEND", "memory"}, {"NO_AT_BRIDGE", "1"}});
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

}  // namespace
}  // namespace drev::screentest
