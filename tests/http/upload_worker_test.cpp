// The upload request made from the settings and the lists, its status and its reply.
#include <gtest/gtest.h>

#include <fstream>

#include "http/UploadWorker.h"
#include "platform/text/text.h"
#include "tests/http/http_test_support.h"
#include "tests/http/worker_fixture.h"

namespace {

using namespace drev;
using namespace drev::httptest;
using drevtest::ReceiverProcess;
using nlohmann::json;
using plat::DWORD;

TEST_F(WorkerFixture, TheRequestCarriesDeletionsParametersRowFilesAndImagesInThatOrder) {
  ReceiverProcess receiver(WithOptions());
  std::string a = dir_.Write("a.txt", Pattern(100));
  std::string korean = dir_.Write("한글 폴더 파일.bin", Pattern(2000, 3));
  std::string photo = dir_.Write("b.jpg", Pattern(1500, 5));
  AddRow(a, "text/plain", 100);
  AddRow("server-held.doc", "application/msword", 5000, /*server=*/1);
  AddRow(korean, "application/octet-stream", 2000);
  AddImage(photo, "image/jpeg", 1500, "photo");
  AddImage("server.png", "image/png", 10, "old", /*server=*/1);
  AddDeletion(7);
  AddDeletion(12);
  AddDeletion(-1);
  settings_.Parameters = {{"k", "v1"}, {"k", "v2"}, {plat::text::Utf8ToCp949("제목"), ""}};
  settings_.Referer = "http://page.example/write.asp";
  settings_.Normal_UploadURL = "/upload.php?board=7&x=1";
  Connect(receiver);

  EXPECT_EQ(worker_.Upload(), plat::TRUE);

  ASSERT_EQ(control_.Responses().size(), 1u);
  json summary = json::parse(control_.Responses()[0]);
  EXPECT_EQ(summary["target"], "/upload.php?board=7&x=1");
  EXPECT_EQ(summary["headers"]["Referer"], "http://page.example/write.asp");
  EXPECT_TRUE(summary["complete"].get<bool>());
  std::vector<std::pair<std::string, std::string>> fields;
  for (auto& field : summary["fields"]) fields.emplace_back(field["name"], field["value"]);
  std::vector<std::pair<std::string, std::string>> expectedFields{
      {"DELETE_FILE_COUNT", "3"}, {"DELETE_FILES", "7,12,-1,"}, {"k", "v1"}, {"k", "v2"}, {"제목", ""}};
  EXPECT_EQ(fields, expectedFields);
  ASSERT_EQ(summary["files"].size(), 3u);
  EXPECT_EQ(summary["files"][0]["name"], "ATTACH_FILES");
  EXPECT_EQ(summary["files"][0]["filename"], plat::text::Cp949ToUtf8(a));
  EXPECT_EQ(summary["files"][1]["name"], "ATTACH_FILES");
  EXPECT_EQ(summary["files"][1]["filename"], plat::text::Cp949ToUtf8(korean));
  EXPECT_EQ(summary["files"][2]["name"], "photo");
  EXPECT_EQ(summary["files"][2]["contentType"], "image/jpeg");
  EXPECT_EQ(drevtest::ReadFileBytes(receiver.StoreDir() / summary["files"][1]["stored"].get<std::string>()),
            Pattern(2000, 3));

  EXPECT_EQ(worker_.TotalBytes(), 3600u);
  EXPECT_EQ(worker_.SentBytes(), 3600u);
  ASSERT_FALSE(progress_.calls.empty());
  EXPECT_EQ(progress_.calls.size(), 1u + 2u + 2u);  // blocks of 100, 2000 and 1500 bytes
  EXPECT_EQ(progress_.calls.back(), (std::pair<DWORD, DWORD>{3600, 3600}));
  EXPECT_EQ(progress_.contexts, std::set<void*>{&progress_});
}

TEST_F(WorkerFixture, OnlyServerRowsAndNoDeletionsSendTheTwoDeletionFieldsAndNoProgress) {
  ReceiverProcess receiver(WithOptions());
  AddRow("held.doc", "application/msword", 5000, /*server=*/1);
  Connect(receiver);
  EXPECT_EQ(worker_.Upload(), plat::TRUE);
  json summary = json::parse(control_.Responses().at(0));
  ASSERT_EQ(summary["fields"].size(), 2u);
  EXPECT_EQ(summary["fields"][0]["value"], "0");
  EXPECT_EQ(summary["fields"][1]["name"], "DELETE_FILES");
  EXPECT_EQ(summary["fields"][1]["value"], "");
  EXPECT_TRUE(summary["files"].empty());
  EXPECT_EQ(worker_.TotalBytes(), 0u);
  EXPECT_TRUE(progress_.calls.empty());
}

TEST_F(WorkerFixture, WithoutADeletionListOrImageListThoseFieldsAreLeftOut) {
  ReceiverProcess receiver(WithOptions());
  settings_.Parameters = {{"only", "this"}};
  Connect(receiver);
  UploadWorker rowsOnly(&settings_, UploadLists{&rows_, nullptr, nullptr}, session_.Get(), &control_);
  EXPECT_EQ(rowsOnly.Upload(), plat::TRUE);
  json summary = json::parse(control_.Responses().at(0));
  ASSERT_EQ(summary["fields"].size(), 1u);
  EXPECT_EQ(summary["fields"][0]["name"], "only");
}

TEST_F(WorkerFixture, AnotherStatusThan200KeepsTheEarlierReplyAndSaysWhy) {
  ReceiverProcess receiver(WithOptions({"--status", "404"}));
  Connect(receiver);
  EXPECT_EQ(worker_.Upload(), plat::FALSE);
  EXPECT_EQ(worker_.Error(), "Error Precheck return status = 404\n");
  EXPECT_TRUE(control_.Responses().empty());
}

class WorkerReply : public WorkerFixture {
 protected:
  // Uploads to a receiver answering with `reply` (without a Content-Length when `noLength`) and
  // returns the stored ServerResponse.
  std::string ReplyOf(const std::string& reply, bool noLength) {
    std::string file = dir_.Write("reply.bin", reply);
    std::vector<std::string> options{"--reply-file", plat::text::Cp949ToUtf8(file)};
    if (noLength) options.push_back("--no-length");
    ReceiverProcess receiver(WithOptions(options, false));
    Connect(receiver);
    EXPECT_EQ(worker_.Upload(), plat::TRUE);
    std::vector<std::string> responses = control_.Responses();
    return responses.empty() ? "<none>" : responses.back();
  }
};

TEST_F(WorkerReply, AReplyIsReadWholeWithOrWithoutContentLength) {
  std::string text = Pattern(5000);
  for (char& c : text) c = static_cast<char>('a' + static_cast<unsigned char>(c) % 26);
  EXPECT_EQ(ReplyOf(text, false), text);
  EXPECT_EQ(ReplyOf(text, true), text);  // not cut after 1024 bytes
  EXPECT_EQ(ReplyOf("", false), "");
}

TEST_F(WorkerReply, AReplyIsCutBeforeItsFirstZeroByte) {
  EXPECT_EQ(ReplyOf(std::string("<ok>\0hidden", 11), false), "<ok>");
  EXPECT_EQ(ReplyOf(std::string("\0", 1), true), "");
}

TEST_F(WorkerReply, AReplyIsKeptUpTo16MiB) {
  std::string text(UploadWorker::kMaxReplyBytes + 100000, 'r');
  std::string stored = ReplyOf(text, true);
  EXPECT_EQ(stored.size(), UploadWorker::kMaxReplyBytes);
  stored = ReplyOf(text, false);
  EXPECT_EQ(stored.size(), UploadWorker::kMaxReplyBytes);
}

}  // namespace
