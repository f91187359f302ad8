// Pages whose upload event handlers call back into the control: while the upload's lists are handed
// out (StartUpload) nothing may change them and no second upload may start; once the upload has
// ended (CancelUpload, OnContentReceived) the page may change the lists and upload again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

class PageReentryTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
  }
  static drevtest::ReceiverSetup ReceiverOptions() {
    drevtest::ReceiverSetup setup;
    setup.addressBase = 140;
    return setup;
  }
  // The receiver's lines for the requests it answered.
  static std::vector<std::string> Requests(const drevtest::ReceiverProcess& receiver) {
    std::vector<std::string> requests;
    std::istringstream in(receiver.Output());
    for (std::string line; std::getline(in, line);)
      if (line.rfind("POST ", 0) == 0) requests.push_back(line);
    return requests;
  }
  // A page with the control aimed at `receiver` and `script` after it.
  void WriteUploadPage(const drevtest::ReceiverProcess& receiver, const std::string& script) {
    WritePage("page.html",
              PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/u"}}) +
                     "<script>\n"
                     "  up.SetUploadSize(512 * 1024 * 1024);\n"
                     "  function counts() {\n"
                     "    return [up.GetFileCount('ATTACH_FILE'), up.GetFileCount('ATTACH_IMAGE'),\n"
                     "            up.GetFileCount('DELETE_FILE'), up.GetUploadSize()].join(',');\n"
                     "  }\n" +
                     script + "</script>\n"));
  }
};

TEST_F(PageReentryTest, AStartHandlerCanNeitherChangeTheListsBeingSentNorStartASecondUpload) {
  drevtest::ReceiverProcess receiver(ReceiverOptions());
  WriteFile("a.txt", std::string(100, 'a'));
  WriteFile("b.txt", std::string(200, 'b'));
  WriteFile("c.txt", std::string(300, 'c'));
  WriteUploadPage(receiver,
                  "  var starts = 0;\n"
                  "  up.attachEvent('StartUpload', function () {\n"
                  "    if (++starts > 1) return;\n"
                  "    var before = counts();\n"
                  "    up.DeleteSelectedItem();\n"
                  "    up.DeleteAllItem(0);\n"
                  "    up.AddPreUploadFile('late.hwp', 5, 10, false);\n"
                  "    up.AddPreUploadFile('late.png', 6, 10, true);\n"
                  "    up.AddImage('late', 'c.txt');\n"
                  "    up.AddDeleteFile(4, 10, false);\n"
                  "    alert('nested ' + up.UploadFiles());\n"
                  "    alert('during the start ' + before + ' then ' + counts());\n"
                  "  });\n");
  // Both rows ticked: a removal inside the handler would destroy the records the upload holds.
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "b.txt", "--eval", "up.AttachFiles()", "--tick", "0",
                      "--tick", "1", "--eval", "up.UploadFiles()", "--eval", "counts()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  EXPECT_THAT(lines, Contains("alert nested true")) << r.out;
  EXPECT_THAT(lines, Contains("alert during the start 2,0,0,300 then 2,0,0,300")) << r.out;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "event StartUpload()"), 1) << r.out;
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "eval true");
  EXPECT_EQ(lines.back(), "eval 0,0,0,0");
  // One request, with the two files listed when the upload was asked for.
  std::vector<std::string> requests = Requests(receiver);
  ASSERT_EQ(requests.size(), 1u) << receiver.Output();
  EXPECT_THAT(requests[0], HasSubstr("-> 200 body="));
  EXPECT_THAT(requests[0], HasSubstr(" fields=2 files=2"));
}

TEST_F(PageReentryTest, AReplyHandlerMayFillTheListAgainAndStartTheNextUpload) {
  drevtest::ReceiverProcess receiver(ReceiverOptions());
  WriteFile("a.txt", std::string(100, 'a'));
  WriteUploadPage(receiver,
                  "  var replies = 0;\n"
                  "  up.attachEvent('OnContentReceived', function () {\n"
                  "    if (++replies > 1) return;\n"
                  "    up.AddPreUploadFile('stored.hwp', 1, 10, false);\n"
                  "    up.AddParameter('round', '2');\n"
                  "    alert('after the first ' + counts());\n"
                  "    alert('second upload ' + up.UploadFiles());\n"
                  "  });\n");
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "--eval", "up.AttachFiles()", "--eval",
                      "up.UploadFiles()", "--eval", "replies + ' ' + counts()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  EXPECT_THAT(lines, Contains("alert after the first 0,0,0,10")) << r.out;
  EXPECT_THAT(lines, Contains("alert second upload true")) << r.out;
  EXPECT_EQ(lines.back(), "eval 2 0,0,0,0");
  std::vector<std::string> requests = Requests(receiver);
  ASSERT_EQ(requests.size(), 2u) << receiver.Output();
  EXPECT_THAT(requests[0], HasSubstr(" fields=2 files=1"));
  // The server's own file is not sent again; the new field is.
  EXPECT_THAT(requests[1], HasSubstr(" fields=3 files=0"));
}

TEST_F(PageReentryTest, EachUploadHandsOutItsOwnReplyWhenAListHandlerStartsTheNext) {
  drevtest::ReceiverProcess receiver(ReceiverOptions());
  WriteFile("a.txt", std::string(100, 'a'));
  // The first upload's emptied list starts the second upload from inside the first one's end.
  WriteUploadPage(receiver,
                  "  var chained = false;\n"
                  "  up.attachEvent('ChangeFileList', function () {\n"
                  "    if (chained || up.GetFileCount('ATTACH_FILE') != 0) return;\n"
                  "    chained = true;\n"
                  "    up.AddParameter('round', '2');\n"
                  "    up.UploadFiles();\n"
                  "  });\n"
                  "  up.attachEvent('OnContentReceived', function (reply) {\n"
                  "    alert('reply to request ' + JSON.parse(reply).request);\n"
                  "  });\n");
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "--eval", "up.AttachFiles()", "--eval",
                      "up.UploadFiles()", "--eval", "JSON.parse(up.GetServerResponse()).request"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  std::vector<std::string> replies;
  for (const std::string& line : r.Lines())
    if (line.rfind("alert reply", 0) == 0) replies.push_back(line);
  // The inner upload ends first; then the outer one hands out its own reply, not the inner one's.
  EXPECT_EQ(replies, (std::vector<std::string>{"alert reply to request 2", "alert reply to request 1"})) << r.out;
  EXPECT_EQ(r.Lines().back(), "eval 2");
  EXPECT_EQ(Requests(receiver).size(), 2u) << receiver.Output();
}

TEST_F(PageReentryTest, ACancelHandlerMayChangeTheListsItKeeps) {
  drevtest::ReceiverProcess receiver(ReceiverOptions());
  std::filesystem::resize_file(WriteFile("big.bin", ""), 256u << 20);  // sparse: no disk space taken
  WriteFile("a.txt", std::string(100, 'a'));
  WriteUploadPage(receiver,
                  "  up.attachEvent('CancelUpload', function () {\n"
                  "    up.DeleteSelectedItem();\n"
                  "    alert('after the cancel ' + counts());\n"
                  "  });\n");
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "--eval", "up.AttachFiles()", "--drop", "big.bin",
                      "--tick", "0", "--cancel-after-bytes", "1", "--eval", "up.UploadFiles()", "--eval", "counts()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  EXPECT_THAT(lines, Contains("alert after the cancel 1,0,0,268435456")) << r.out;
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "eval false");
  EXPECT_EQ(lines.back(), "eval 1,0,0,268435456");
}

}  // namespace
}  // namespace drev::e2e
