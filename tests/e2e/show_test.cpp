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
  static std::pair<int, int> PngSize(const std::string& path) {
    std::string bytes = drevtest::ReadFileBytes(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    const auto be = [&](std::size_t at) {
      return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
             (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    return {be(16), be(20)};
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

}  // namespace
}  // namespace drev::e2e
