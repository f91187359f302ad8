// drevhost show: the page in a window of its own with the control inside, here off screen
// (--headless): actions while the window is up, the whole window's picture, and no display.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

using ::testing::HasSubstr;

class ShowTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
  }
  static const std::map<std::string, std::string>& NoDisplay() {
    static const std::map<std::string, std::string> env = {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    return env;
  }
};

TEST_F(ShowTest, WithoutADisplayShowSaysSoAndEndsWithItsOwnStatus) {
  WritePage("page.html", PageOf("<p>text</p>"));
  RunResult r = Host({"show", "page.html"}, NoDisplay());
  EXPECT_EQ(r.status, 7) << r.out << r.err;
  EXPECT_THAT(r.err, HasSubstr("show needs a display"));
  EXPECT_THAT(r.err, HasSubstr("DISPLAY"));
}

TEST_F(ShowTest, ThePageWindowHoldsTheControlAndTheFormAndTheActionsWorkWhileItIsUp) {
  drevtest::ReceiverSetup setup;
  setup.addressBase = 150;
  drevtest::ReceiverProcess receiver(setup);
  WriteFile("a.txt", "first file");
  WritePage("page.html",
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>올리기</title></head><body>\n"
            "<h1>올리기</h1>\n" +
                ControlObject("up", {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/u"}}, 500, 160) +
                "<script>up.SetUploadSize(1000000);</script>\n"
                "<p>제목 <input id=\"title\" value=\"회의록\"> <button id=\"go\" onclick=\"send()\">보내기</button></p>\n"
                "<script>\n"
                "  function send() {\n"
                "    up.AddParameter('title', document.getElementById('title').value);\n"
                "    alert('title ' + document.getElementById('title').value + ', sent ' + up.UploadFiles());\n"
                "  }\n"
                "</script>\n"
                "</body></html>\n");
  RunResult r = Host({"show", "--headless", "page.html", "--choose", "a.txt", "--eval", "up.AttachFiles()",
                      "--eval", "document.getElementById('title').value = '새 제목'; send()", "--page-snapshot",
                      (Dir() / "page.png").string(), "--snapshot", (Dir() / "control.png").string()},
                     NoDisplay());
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_THAT(r.out, HasSubstr("alert title 새 제목, sent true"));
  EXPECT_THAT(receiver.Output(), HasSubstr("POST /u HTTP/1.0 -> 200"));
  // The page's window: 800 wide, with the caption above, the control, the heading and the form.
  auto [width, height] = PngSize((Dir() / "page.png").string());
  EXPECT_GE(width, 800);
  EXPECT_GT(height, 160 + 40);
  EXPECT_EQ(PngSize((Dir() / "control.png").string()), (std::pair<int, int>{500, 160}));
}

TEST_F(ShowTest, AScriptErrorIsToldOnStandardErrorAndCountsInAHeadlessRun) {
  WritePage("page.html", PageOf("<button id=\"b\" onclick=\"nothing(\">x</button>\n"));
  RunResult r = Host({"show", "--headless", "page.html"}, NoDisplay());
  EXPECT_EQ(r.status, 5) << r.out << r.err;
  EXPECT_THAT(r.err, HasSubstr("page.html: script error at line 4"));
  EXPECT_THAT(r.out, HasSubstr("messagebox drevhost: script error at line 4"));
}

// The libraries the dynamic loader loaded during a run (LD_DEBUG=files writes each to standard error).
bool Loaded(const RunResult& r, const std::string& library) { return r.err.find("file=" + library) != std::string::npos; }

// GTK and the ~35 libraries behind it cost every start; only show with a screen needs them.
TEST_F(ShowTest, OnlyShowOnADisplayLoadsGtk) {
  drevtest::ReceiverSetup setup;
  setup.addressBase = 151;
  drevtest::ReceiverProcess receiver(setup);
  const std::string file = WriteFile("a.txt", "first file");
  WritePage("page.html", PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/u"}}) +
                                "<script>up.SetUploadSize(1000000);</script>\n"));
  std::map<std::string, std::string> env = NoDisplay();
  env["LD_DEBUG"] = "files";
  const std::vector<std::vector<std::string>> commands = {
      {"run", "page.html", "--drop", file, "--eval", "up.UploadFiles()"},
      {"show", "--headless", "page.html", "--drop", file, "--eval", "up.UploadFiles()", "--snapshot", "c.png"},
      {"regsvr", ModulePath()},
      {"typelib", ModulePath()},
      {"--help"}};
  for (const auto& command : commands) {
    RunResult r = Host(command, env);
    EXPECT_EQ(r.status, 0) << command.front() << ": " << r.out << r.err.substr(r.err.size() - std::min<std::size_t>(r.err.size(), 2000));
    EXPECT_TRUE(Loaded(r, "libplat_win.so")) << command.front() << ": the loader's trace is missing";
    EXPECT_FALSE(Loaded(r, "libgtk-3.so")) << command.front() << " loaded GTK";
    EXPECT_FALSE(Loaded(r, "libplat_gtk.so")) << command.front() << " loaded the on-screen backend";
  }
  EXPECT_THAT(receiver.Output(), HasSubstr("POST /u HTTP/1.0 -> 200"));

  // With a display named, show loads the backend (here the display is not there).
  env["DISPLAY"] = ":2857";
  RunResult r = Host({"show", "page.html"}, env);
  EXPECT_EQ(r.status, 7) << r.out;
  EXPECT_TRUE(Loaded(r, "libgtk-3.so"));
  EXPECT_THAT(r.err, HasSubstr("cannot open the display :2857"));
}

TEST_F(ShowTest, ShowWithoutItsOnScreenBackendBesideItSaysWhichFileIsMissing) {
  WritePage("page.html", PageOf("<p>text</p>"));
  const std::filesystem::path copy = Dir() / "drevhost";  // finds the platform libraries, not the backend
  std::filesystem::copy_file(DrevhostPath(), copy);
  std::map<std::string, std::string> env = NoDisplay();
  env["DISPLAY"] = ":2857";
  RunResult r = e2e::Run({copy.string(), "show", "page.html"}, env, Dir().string());
  EXPECT_EQ(r.status, 7) << r.out << r.err;
  EXPECT_THAT(r.err, HasSubstr("cannot load the on-screen backend " + (Dir() / "libplat_gtk.so").string()));
  // The page's own command still runs without it.
  EXPECT_EQ(e2e::Run({copy.string(), "run", "page.html"}, NoDisplay(), Dir().string()).status, 0);
}

}  // namespace
}  // namespace drev::e2e
