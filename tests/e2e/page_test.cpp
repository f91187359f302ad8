// Pages that embed the control, run by drevhost against upload-receiver: the property set, events
// reaching the page's handlers, Korean text both ways, user actions, cancellation and saved state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/text/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/receiver/receiver_process.h"

namespace drev::e2e {
namespace {

using ::testing::HasSubstr;

class PageTest : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    RegisterModule();
  }
  // Index of the first line equal to `line`, or -1.
  static int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == line) return static_cast<int>(i);
    return -1;
  }
  static drevtest::ReceiverSetup Setup(std::vector<std::string> options = {}, bool saveRaw = false) {
    drevtest::ReceiverSetup setup;
    setup.options = std::move(options);
    setup.saveRaw = saveRaw;
    setup.addressBase = 140;
    return setup;
  }
};

TEST_F(PageTest, ThePropertySetChoosesTheUploadHostAndPathThatScriptReadsBack) {
  drevtest::ReceiverProcess receiver(Setup());
  WritePage("page.html",
            PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()},
                                        {"Normal_UploadURL", "/posts/7/files?x=1&amp;y=2"},
                                        {"MaxFileCount", "3"}}) +
                   "<script>\n"
                   "  alert('host=' + up.Normal_ServerName + ' path=' + up.Normal_UploadURL +\n"
                   "        ' count=' + up.MaxFileCount + ' size=' + up.MaxNormalSize);\n"
                   "  up.AddParameter('k', 'v');\n"
                   "</script>\n"));
  RunResult r = Host({"run", "page.html", "--eval", "up.UploadFiles()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  EXPECT_GE(IndexOf(lines, "alert host=" + receiver.Address() + " path=/posts/7/files?x=1&y=2 count=3 size=20480000"),
            0)
      << r.out;
  EXPECT_GE(IndexOf(lines, "eval true"), 0) << r.out;
  EXPECT_THAT(receiver.Output(), HasSubstr("POST /posts/7/files?x=1&y=2 HTTP/1.0 -> 200"));
}

TEST_F(PageTest, EventsReachTheirHandlersInOrderRightAfterTheyAreFired) {
  drevtest::ReceiverProcess receiver(Setup());
  WritePage("page.html",
            PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/u"}}) +
                   "<script for=\"up\" event=\"ChangeFileList(normalSize, bigSize)\">\n"
                   "  alert('for ChangeFileList ' + normalSize + ' ' + bigSize);\n"
                   "</script>\n"
                   "<script for=\"up\" event=\"OnFileAppended(size, total)\">alert('for OnFileAppended ' + (size + total));</script>\n"
                   "<script for=\"up\" event=\"StartUpload()\">alert('for StartUpload');</script>\n"
                   "<script for=\"up\" event=\"OnContentReceived(content)\">alert('for OnContentReceived ' + typeof content);</script>\n"
                   "<script>\n"
                   "  up.attachEvent('ChangeFileList', function (n) { alert('attached ChangeFileList ' + n); });\n"
                   "  up.SetUploadSize(100000);\n"
                   "  up.AddPreUploadFile('서버.txt', 9, 2048, false);\n"
                   "</script>\n"));
  RunResult r = Host({"run", "page.html", "--eval", "up.UploadFiles()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  std::vector<std::string> lines = r.Lines();
  // From the server file's row on, each event line is followed by what its handlers said.
  const std::vector<std::string> expected = {
      "event ChangeFileList(\"2KB\", \"0Byte\")", "alert for ChangeFileList 2KB 0Byte",
      "alert attached ChangeFileList 2KB",
      "event OnFileAppended(2048, 2048)", "alert for OnFileAppended 4096",
      "event ChangeFileList(\"2KB\", \"0Byte\")", "alert for ChangeFileList 2KB 0Byte",
      "alert attached ChangeFileList 2KB",
      "event StartUpload()", "alert for StartUpload",
      "event ChangeFileList(\"0Byte\", \"0Byte\")", "alert for ChangeFileList 0Byte 0Byte",
      "alert attached ChangeFileList 0Byte"};
  const int from = IndexOf(lines, expected.front());
  ASSERT_GE(from, 0) << r.out;
  ASSERT_GE(lines.size(), from + expected.size() + 3) << r.out;
  EXPECT_EQ(std::vector<std::string>(lines.begin() + from, lines.begin() + from + expected.size()), expected) << r.out;
  EXPECT_EQ(lines[from + expected.size()].rfind("event OnContentReceived(\"{", 0), 0u) << r.out;
  EXPECT_EQ(lines[from + expected.size() + 1], "alert for OnContentReceived string");
  EXPECT_EQ(lines.back(), "eval true");
}

TEST_F(PageTest, KoreanTextCrossesTheScriptBoundaryBothWays) {
  const std::string reply = plat::text::Utf8ToCp949("업로드 완료: 회의록.hwp");
  const std::string replyFile = WriteFile("reply.txt", reply);
  drevtest::ReceiverProcess receiver(Setup({"--reply-file", replyFile}, true));
  WritePage("page.html",
            PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/한글/올리기"}}) +
                   "<script for=\"up\" event=\"OnContentReceived(content)\">alert('reply ' + content);</script>\n"
                   "<script>\n"
                   "  up.ActionTime = '한글\\uD83D\\uDE00';\n"
                   "  alert(up.ActionTime + ' ' + up.ActionTime.length);\n"
                   "  up.AddParameter('제목', '주간 회의록 \xF0\x9F\x98\x80');\n"
                   "  up.test('아무 말');\n"
                   "</script>\n"));
  RunResult r = Host({"run", "page.html", "--eval", "up.UploadFiles()", "--eval", "up.GetServerResponse()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  // The control keeps code page 949 text: a character beyond it becomes one '?'.
  EXPECT_GE(IndexOf(lines, "alert 한글? 3"), 0) << r.out;
  EXPECT_GE(IndexOf(lines, "messagebox zelk: 무조건 테스트버전13"), 0) << r.out;
  EXPECT_GE(IndexOf(lines, "event OnContentReceived(\"업로드 완료: 회의록.hwp\")"), 0) << r.out;
  EXPECT_GE(IndexOf(lines, "alert reply 업로드 완료: 회의록.hwp"), 0) << r.out;
  EXPECT_EQ(lines.back(), "eval 업로드 완료: 회의록.hwp");

  std::string raw;
  for (const auto& file : std::filesystem::directory_iterator(receiver.RawDir())) raw += drevtest::ReadFileBytes(file.path());
  EXPECT_THAT(raw, HasSubstr("POST " + plat::text::Utf8ToCp949("/한글/올리기") + " HTTP/1.0"));
  EXPECT_THAT(raw, HasSubstr("name=\"" + plat::text::Utf8ToCp949("제목") + "\"\r\n\r\n" +
                             plat::text::Utf8ToCp949("주간 회의록 ?") + "\r\n"));
}

TEST_F(PageTest, PickedDroppedTickedAndClickedFilesAsTheUserWouldHandleThem) {
  WriteFile("a.txt", std::string(100, 'a'));
  WriteFile("b.txt", std::string(200, 'b'));
  WriteFile("c.txt", std::string(300, 'c'));
  WritePage("page.html", PageOf(ControlObject("up", {}, 500, 160) +
                                "<script>function rows() { return up.GetFileCount('ATTACH_FILE'); }</script>\n"));
  const std::string snapshot = (Dir() / "control.png").string();
  RunResult r = Host({"run", "page.html", "--choose", "a.txt", "b.txt", "--eval", "up.AttachFiles()",
                      "--drop", "c.txt", "--eval", "rows()", "--snapshot", snapshot,
                      // row 1 (b.txt) by its check box cell, then row 0 (a.txt) by a click at its box
                      "--tick", "1", "--eval", "up.DeleteSelectedItem()", "--click", "20,9", "--eval",
                      "up.DeleteSelectedItem()", "--eval", "rows()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  EXPECT_GE(IndexOf(lines, "event OnFileAppended(300, 600)"), 0) << r.out;
  EXPECT_GE(IndexOf(lines, "eval 3"), 0) << r.out;
  int first = IndexOf(lines, "event OnFileDeleted(200, 400)");
  int second = IndexOf(lines, "event OnFileDeleted(100, 300)");
  EXPECT_GE(first, 0) << r.out;
  EXPECT_GT(second, first) << r.out;
  EXPECT_EQ(lines.back(), "eval 1");
  EXPECT_EQ(PngSize(snapshot), (std::pair<int, int>{500, 160}));
}

TEST_F(PageTest, AFailedUploadReachesThePagesUploadFailedHandlersAndTheRetrySucceeds) {
  drevtest::ReceiverProcess failing(Setup({"--status", "503"}));
  drevtest::ReceiverProcess good(Setup());
  const std::string file = WriteFile("note.txt", "hello");
  WritePage("page.html",
            PageOf(ControlObject("up", {{"Normal_ServerName", failing.Address()}, {"Normal_UploadURL", "/u"}}) +
                   "<script for=\"up\" event=\"UploadFailed(status, reason)\">\n"
                   "  alert('for UploadFailed ' + status + ' ' + typeof status + ' ' + reason);\n"
                   "</script>\n"
                   "<script>\n"
                   "  up.attachEvent('UploadFailed', function (s) { alert('attached UploadFailed ' + s); });\n"
                   "  up.SetUploadSize(100000);\n"
                   "</script>\n"));
  RunResult r = Host({"run", "page.html", "--choose", file, "--eval", "up.AttachFiles()", "--eval", "up.UploadFiles()", "--eval",
                      "up.GetFileCount('ATTACH_FILE') + ' [' + up.GetServerResponse() + ']'", "--eval",
                      "up.Normal_ServerName = '" + good.Address() + "'", "--eval", "up.UploadFiles()"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  const std::string reason = "서버가 오류를 돌려주었습니다(상태 503).";
  std::vector<std::string> lines = r.Lines();
  const std::vector<std::string> expected = {
      "event StartUpload()",
      "messagebox zelk: " + reason,
      "event UploadFailed(503, \"" + reason + "\")",
      "alert for UploadFailed 503 number " + reason,
      "alert attached UploadFailed 503",
      "eval false",
      "eval 1 []"};
  const int from = IndexOf(lines, expected.front());
  ASSERT_GE(from, 0) << r.out;
  ASSERT_GE(lines.size(), from + expected.size()) << r.out;
  EXPECT_EQ(std::vector<std::string>(lines.begin() + from, lines.begin() + from + expected.size()), expected) << r.out;
  EXPECT_EQ(lines.back(), "eval true") << r.out;
  EXPECT_THAT(good.Output(), HasSubstr("POST /u HTTP/1.0 -> 200"));
}

TEST_F(PageTest, CancellingDuringTheTransferKeepsTheListAndReturnsFalse) {
  drevtest::ReceiverProcess receiver(Setup());
  std::filesystem::resize_file(WriteFile("big.bin", ""), 256u << 20);  // sparse: no disk space taken
  WritePage("page.html",
            PageOf(ControlObject("up", {{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/u"}}) +
                   "<script>up.SetUploadSize(512 * 1024 * 1024);</script>\n"));
  const std::string snapshot = (Dir() / "progress.png").string();
  RunResult r = Host({"run", "page.html", "--drop", "big.bin", "--cancel-after-bytes", "1", "--progress-snapshot",
                      snapshot, "--eval", "up.UploadFiles()", "--eval", "up.GetFileCount('ATTACH_FILE')"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  auto lines = r.Lines();
  int start = IndexOf(lines, "event StartUpload()");
  int cancel = IndexOf(lines, "event CancelUpload()");
  EXPECT_GE(start, 0) << r.out;
  EXPECT_GT(cancel, start) << r.out;
  EXPECT_EQ(r.out.find("OnContentReceived"), std::string::npos) << r.out;
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "eval false");
  EXPECT_EQ(lines.back(), "eval 1");
  EXPECT_GT(PngSize(snapshot).first, 0);
}

TEST_F(PageTest, SavedStateComesBackInANewRun) {
  WritePage("page.html", PageOf(ControlObject("up", {})));
  const std::string state = (Dir() / "state.bin").string();
  RunResult saved = Host({"run", "page.html", "--eval", "up.ActionTime = '20200102030405'; up.MaxNormalSize = 777",
                          "--save-state", state});
  ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
  RunResult loaded = Host({"run", "page.html", "--load-state", state, "--eval", "up.ActionTime + ' ' + up.MaxNormalSize"});
  ASSERT_EQ(loaded.status, 0) << loaded.out << loaded.err;
  EXPECT_EQ(loaded.Lines().back(), "eval 20200102030405 777");
}

}  // namespace
// A page may name for upload files of its own folder, of the system's temporary folder and of the
// folders given with --allow-files; any other file is refused as one that cannot be opened.
TEST_F(PageTest, APageNamesFilesOnlyInItsFolderTheTemporaryFolderAndTheFoldersAllowed) {
  for (const char* folder : {"site", "site/pics", "tmp", "extra", "home"}) std::filesystem::create_directories(Dir() / folder);
  WriteFile("site/pics/a.png", "aaaa");
  WriteFile("tmp/b.png", "bb");
  WriteFile("extra/c.png", "c");
  WriteFile("home/id_rsa", "secret");
  WritePage("site/page.html", PageOf(ControlObject("up", {}) +
                                     "<script>\n"
                                     "  up.AddImage('a', '" + (Dir() / "site/pics/a.png").string() + "');\n"
                                     "  up.AddImage('b', '" + (Dir() / "tmp/b.png").string() + "');\n"
                                     "  up.AddImage('c', '" + (Dir() / "extra/c.png").string() + "');\n"
                                     "  up.AddImage('d', '" + (Dir() / "site/pics/../../home/id_rsa").string() + "');\n"
                                     "</script>\n"));
  const std::map<std::string, std::string> env{{"TMPDIR", (Dir() / "tmp").string()}};
  const std::string count = "up.GetFileCount('ATTACH_IMAGE')";
  RunResult r = Host({"run", "site/page.html", "--eval", count}, env);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_GE(IndexOf(r.Lines(), "eval 2"), 0) << r.out;  // a and b
  EXPECT_THAT(r.out, HasSubstr("messagebox zelk: "));

  r = Host({"run", "site/page.html", "--allow-files", (Dir() / "extra").string(), "--eval", count}, env);
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_GE(IndexOf(r.Lines(), "eval 3"), 0) << r.out;  // the home folder's key stays out
  EXPECT_EQ(Host({"run", "site/page.html", "--allow-files"}, env).status, 2);
}

}  // namespace drev::e2e
