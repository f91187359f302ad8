// How an upload ends, as the page sees it through the control: the request the receiver got, the
// events in their order, the reply, UploadFiles' answer and what is left in the lists.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/inet/internet_error.h"
#include "platform/kernel/thread.h"
#include "platform/text/text.h"
#include "resources/AppName.h"
#include "tests/session/upload_fixture.h"

namespace drev::testing {
namespace {

using drevtest::ReceiverProcess;
using nlohmann::json;
using Names = std::vector<std::string>;
namespace pw = plat::win;

const Names kFinished{"StartUpload", "ChangeFileList", "OnContentReceived"};

// The receiver's "...Hex" members: the exact bytes it received, as lower-case hex.
std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(UploadTest, AFinishedUploadSendsEveryPartThenThePageHearsTheEmptiedListAndTheReply) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  const std::string first = MakeFile("첫째 파일.txt", 5000);
  const std::string second = MakeFile("second.bin", 70000);
  const std::string photo = MakeFile("photo.png", 3000);
  Pick({first, second});
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"held.doc", std::int32_t{5}, std::int32_t{300}, false}).ok());
  ASSERT_TRUE(Host().Call("AddImage", {"photo", photo}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{7}, std::int32_t{10}, false}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{12}, std::int32_t{20}, false}).ok());
  ASSERT_TRUE(Host().Call("AddParameter", {"subject", "제목"}).ok());
  ASSERT_TRUE(Host().Call("AddParameter", {"subject", "again"}).ok());
  ASSERT_TRUE(Host().Call("SetReferer", {"http://board.example/write"}).ok());
  EXPECT_EQ(Host().Call("GetDeleteFileList").Text(), ",,7,12");
  Host().Events().Clear();

  EXPECT_TRUE(UploadFiles());

  EXPECT_EQ(EventNames(), kFinished);
  EXPECT_EQ(EventLog().at(1), "ChangeFileList(\"0Byte\", \"0Byte\")");
  json reply = LastReply();
  EXPECT_EQ(reply["target"], kUploadPath);
  EXPECT_EQ(reply["headers"]["User-Agent"], "zelk");
  EXPECT_EQ(reply["headers"]["Referer"], "http://board.example/write");
  EXPECT_EQ(reply["complete"], true);
  // Text fields first (the deletions, then the page's pairs in order), then the files; the server's
  // own row is not sent.
  const json& fields = reply["fields"];
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(fields[0]["name"], "DELETE_FILE_COUNT");
  EXPECT_EQ(fields[0]["value"], "2");
  EXPECT_EQ(fields[1]["name"], "DELETE_FILES");
  EXPECT_EQ(fields[1]["value"], "7,12,");
  // The reply is the receiver's UTF-8 text, which the page receives as code page 949 text: the
  // exact bytes are compared through their hex form.
  EXPECT_EQ(fields[2]["valueHex"], Hex(plat::text::Utf8ToCp949("제목")));
  EXPECT_EQ(fields[3]["value"], "again");
  const json& files = reply["files"];
  ASSERT_EQ(files.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> expected{
      {"ATTACH_FILES", first}, {"ATTACH_FILES", second}, {"photo", photo}};
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i]["name"], expected[i].first);
    EXPECT_EQ(files[i]["filenameHex"], Hex(plat::text::Utf8ToCp949(expected[i].second)));
    EXPECT_EQ(drevtest::ReadFileBytes(receiver.StoreDir() / files[i]["stored"].get<std::string>()),
              drevtest::ReadFileBytes(expected[i].second))
        << i;
  }
  // The page can read the same reply again; everything sent is gone from the lists.
  const std::string replyText = plat::text::Utf16ToUtf8(Host().Events().Events().back().args.at(0).bstrVal());
  EXPECT_EQ(Host().Call("GetServerResponse").Text(), replyText);
  EXPECT_EQ(Count("TOTAL_ATTACH_FILE"), 0);
  EXPECT_EQ(Count("DELETE_FILE"), 0);
  EXPECT_EQ(Host().Call("GetDeleteFileList").Text(), ",");
  EXPECT_TRUE(Messages().empty());
  // A short upload never asks for the keep-alive image.
  EXPECT_EQ(CountOf(receiver.Output(), "Plimtrans"), 0);
}

TEST_F(UploadTest, NothingToSendMakesNoRequestDropsTheDeletionsAndHandsBackTheEarlierReply) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  Pick({MakeFile("one.txt", 10)});
  ASSERT_TRUE(UploadFiles());
  const std::string earlier = EventLog().back();
  ASSERT_EQ(earlier.rfind("OnContentReceived(\"{", 0), 0u) << earlier;

  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{1}, std::int32_t{10}, false}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{2}, std::int32_t{20}, false}).ok());
  Host().Events().Clear();
  std::string listDuringStart;
  Host().Events().onEvent = [&](const host::RecordedEvent& event) {
    if (event.name == "StartUpload") listDuringStart = Host().Call("GetDeleteFileList").Text();
  };
  EXPECT_TRUE(UploadFiles());
  Host().Events().onEvent = nullptr;

  EXPECT_EQ(EventLog(), (Names{"StartUpload()", "ChangeFileList(\"0Byte\", \"0Byte\")", earlier}));
  EXPECT_EQ(listDuringStart, ",,1,2");
  EXPECT_EQ(Count("DELETE_FILE"), 0);
  EXPECT_EQ(CountOf(receiver.Output(), "POST "), 1);
}

TEST_F(UploadTest, RefusalsShowTheirMessageStartNothingAndAnswerTrue) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  Pick({MakeFile("rows.txt", 5000)});
  const std::string big = MakeFile("big.png", 2'097'153);
  ASSERT_TRUE(Host().Call("AddImage", {"big", big}).ok());
  const std::string rowsTooBig = "첨부된 파일이 용량을 초과 하였습니다";
  const std::string imagesTooBig = "추가된 이미지 파일이 용량을 초과 하였습니다";

  // Both limits exceeded: only the rows' message, and nothing changes.
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{4999}}).ok());
  Host().Events().Clear();
  pw::ClearMessageBoxLog();
  EXPECT_TRUE(UploadFiles());
  EXPECT_EQ(Messages(), (Names{rowsTooBig}));
  EXPECT_TRUE(EventLog().empty());
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  EXPECT_EQ(Count("ATTACH_IMAGE"), 1);

  // Rows exactly at the limit pass; the images, one byte over theirs, are thrown away.
  ASSERT_TRUE(Host().Call("SetMaxUploadSize", {std::int32_t{5000}}).ok());
  pw::ClearMessageBoxLog();
  EXPECT_TRUE(UploadFiles());
  EXPECT_EQ(Messages(), (Names{imagesTooBig}));
  EXPECT_EQ(EventLog(), (Names{"ChangeFileList(\"4KB\", \"0Byte\")"}));
  EXPECT_EQ(Count("ATTACH_IMAGE"), 0);
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  EXPECT_EQ(pw::MessageBoxLog().at(0).caption, AfxGetAppName());
  EXPECT_EQ(pw::MessageBoxLog().at(0).type, pw::MB_OK | pw::MB_ICONEXCLAMATION);
  EXPECT_EQ(CountOf(receiver.Output(), "POST "), 0);
}

TEST_F(UploadTest, AnotherStatusThan200HandsThePageAnEmptyReplyNotTheEarlierOne) {
  ReceiverProcess good(Receiver());
  ReceiverProcess failing(Receiver({"--status", "500"}));
  Place(good.Address());
  Pick({MakeFile("one.txt", 100)});
  ASSERT_TRUE(UploadFiles());
  ASSERT_FALSE(Host().Call("GetServerResponse").Text().empty());

  ASSERT_TRUE(Host().Put("Normal_ServerName", failing.Address()).ok());
  Pick({MakeFile("two.txt", 100)});
  Host().Events().Clear();
  EXPECT_TRUE(UploadFiles());

  EXPECT_EQ(EventLog(), (Names{"StartUpload()", "ChangeFileList(\"0Byte\", \"0Byte\")", "OnContentReceived(\"\")"}));
  EXPECT_EQ(Host().Call("GetServerResponse").Text(), "");
  EXPECT_EQ(Count("ATTACH_FILE"), 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(CountOf(failing.Output(), "POST "), 1);
}

TEST_F(UploadTest, AFileDeletedAfterItWasListedEndsTheUploadWithNothingShown) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  const std::string kept = MakeFile("kept.txt", 100);
  const std::string gone = MakeFile("gone.txt", 100);
  Pick({kept, gone});
  std::filesystem::remove(gone);
  Host().Events().Clear();

  EXPECT_TRUE(UploadFiles());

  EXPECT_EQ(EventLog(), (Names{"StartUpload()", "ChangeFileList(\"0Byte\", \"0Byte\")", "OnContentReceived(\"\")"}));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(Count("ATTACH_FILE"), 0);
}

TEST_F(UploadTest, AnUnreachableServerIsShownAndTheUploadEndsOnlyAfterTheBoxIsClosed) {
  Place(drevtest::UniqueLoopbackAddress(kAddressBase));  // nothing listens there
  Pick({MakeFile("one.txt", 100)});
  const plat::DWORD uiThread = plat::kernel::GetCurrentThreadId();
  std::atomic<bool> uploadReturned{false};
  std::atomic<bool> boxClosed{false};
  std::atomic<int> ticksWhileOpen{0};
  DialogWatcher watcher([](pw::HWND) {});
  BoxHook boxes;
  boxes.whileOpen = [&] {
    // On the worker thread, with the box open: the dialog keeps running its loop meanwhile.
    const int start = watcher.Ticks();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (watcher.Ticks() < start + 5 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ticksWhileOpen = watcher.Ticks() - start;
    EXPECT_FALSE(uploadReturned.load());
    boxClosed = true;
  };
  Host().Events().onEvent = [&](const host::RecordedEvent& event) {
    if (event.name != "StartUpload") {
      EXPECT_TRUE(boxClosed.load()) << event.name;
    }
  };

  EXPECT_TRUE(UploadFiles());
  uploadReturned = true;
  Host().Events().onEvent = nullptr;

  EXPECT_GE(ticksWhileOpen.load(), 5);
  EXPECT_EQ(EventLog(), (Names{"StartUpload()", "ChangeFileList(\"0Byte\", \"0Byte\")", "OnContentReceived(\"\")"}));
  std::vector<pw::MessageBoxRecord> shown = boxes.Boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, plat::inet::InternetErrorDescription(plat::inet::ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_FALSE(shown[0].text.empty());
  EXPECT_EQ(shown[0].caption, AfxGetAppName());
  EXPECT_EQ(shown[0].type, pw::MB_OK | pw::MB_ICONEXCLAMATION);
  EXPECT_NE(shown[0].threadId, uiThread);
}

}  // namespace
}  // namespace drev::testing
