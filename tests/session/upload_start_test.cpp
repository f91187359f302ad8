// When UploadFiles lets an upload start: the size limit a page never set, the image total right at
// its limit, and an upload of rows the server already holds.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/session/upload_fixture.h"

namespace drev::testing {
namespace {

using drevtest::ReceiverProcess;
using nlohmann::json;
using Names = std::vector<std::string>;

const Names kFinished{"StartUpload", "ChangeFileList", "OnContentReceived"};

// The names of the parts the receiver got, in order.
Names NamesOf(const json& parts) {
  Names names;
  for (const json& part : parts) names.push_back(part["name"].get<std::string>());
  return names;
}

int PostsTo(const ReceiverProcess& receiver) {
  const std::string output = receiver.Output();
  int count = 0;
  for (std::size_t at = output.find("POST "); at != std::string::npos; at = output.find("POST ", at + 1)) ++count;
  return count;
}

TEST_F(UploadTest, ALimitNeverSetRefusesRowsWithBytesButNotAnEmptyFile) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{0}}).ok());  // the limit a page starts with

  Pick({MakeFile("empty.txt", 0)});
  EXPECT_TRUE(UploadFiles());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(EventNames(), kFinished);
  EXPECT_EQ(NamesOf(LastReply()["files"]), Names{"ATTACH_FILES"});

  Pick({MakeFile("one byte.txt", 1)});
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), Names{"첨부된 파일이 용량을 초과 하였습니다"});
  EXPECT_EQ(EventNames(), Names{"UploadFailed"});
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
}

TEST_F(UploadTest, ImagesRightAtTheirLimitAreSent) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("AddImage", {"first", MakeFile("first.png", 2'097'151)}).ok());
  ASSERT_TRUE(Host().Call("AddImage", {"second", MakeFile("second.png", 1)}).ok());
  Host().Events().Clear();
  EXPECT_TRUE(UploadFiles());
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(EventNames(), kFinished);
  EXPECT_EQ(NamesOf(LastReply()["files"]), (Names{"first", "second"}));
  EXPECT_EQ(Count("ATTACH_IMAGE"), 0);
}

TEST_F(UploadTest, OnlyRowsTheServerHoldsStillRunTheUploadAndAreGoneAfterIt) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"held.doc", std::int32_t{8}, std::int32_t{300}, false}).ok());
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"kept.hwp", std::int32_t{9}, std::int32_t{400}, false}).ok());
  Host().Events().Clear();
  EXPECT_TRUE(UploadFiles());
  EXPECT_EQ(EventNames(), kFinished);
  EXPECT_EQ(EventLog().at(1), "ChangeFileList(\"0Byte\", \"0Byte\")");
  EXPECT_EQ(PostsTo(receiver), 1);
  EXPECT_TRUE(LastReply()["files"].empty());  // the server's own files are not sent back to it
  EXPECT_EQ(Host().Call("GetUploadSize").value.lVal(), 0);
}

// A page may name the rows' field (PHP keeps one file per plain name, the last; "name[]" makes a
// list of them); images keep the names their page gave them.
TEST_F(UploadTest, APageNamedFileFieldCarriesEveryRowAndImagesKeepTheirOwnNames) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address(), {{"FileFieldName", "ATTACH_FILES[]"}});
  Pick({MakeFile("one.txt", 3), MakeFile("two.txt", 4)});
  ASSERT_TRUE(Host().Call("AddImage", {"photo", MakeFile("face.png", 5)}).ok());
  Host().Events().Clear();
  EXPECT_TRUE(UploadFiles());
  EXPECT_EQ(EventNames(), kFinished);
  EXPECT_EQ(NamesOf(LastReply()["files"]), (Names{"ATTACH_FILES[]", "ATTACH_FILES[]", "photo"}));
}

// Files of 2 GiB and more, or rows whose sizes together pass 2 GiB, must not slip under the limit
// through the 32-bit totals. Sparse files: the upload is refused before any byte is read.
std::string Sparse(const std::string& path, std::uintmax_t size) {
  std::filesystem::resize_file(path, size);
  return path;
}

const Names kRowsTooBig{"첨부된 파일이 용량을 초과 하였습니다"};

TEST_F(UploadTest, AFileOfThreeGibibytesIsHeldToTheLimit) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());  // limit 1 GiB
  Pick({Sparse(MakeFile("three gib.iso", 0), std::uintmax_t{3} << 30)});
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), kRowsTooBig);
  EXPECT_EQ(EventNames(), Names{"UploadFailed"});
  EXPECT_EQ(PostsTo(receiver), 0);
}

// A record keeps the low 32 bits of a file's size, so files of 4 GiB and more read as small ones
// (here 1234 bytes and 0 bytes): the limits must see their whole size.
TEST_F(UploadTest, AFileJustPastFourGibibytesIsHeldToTheLimit) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{0x7FFFFFFF}}).ok());
  Pick({Sparse(MakeFile("wraps small.iso", 0), (std::uintmax_t{1} << 32) + 1234)});
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), kRowsTooBig);
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  EXPECT_EQ(PostsTo(receiver), 0);
}

TEST_F(UploadTest, AFileOfFourGibibytesIsNotTakenForAnEmptyOne) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{0}}).ok());
  Pick({Sparse(MakeFile("wraps to zero.iso", 0), std::uintmax_t{1} << 32)});
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), kRowsTooBig);
  EXPECT_EQ(PostsTo(receiver), 0);
}

TEST_F(UploadTest, AnImagePastFourGibibytesIsHeldToTheImageLimit) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("AddImage", {"photo", Sparse(MakeFile("huge.png", 0), (std::uintmax_t{1} << 32) + 10)}).ok());
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), (Names{"추가된 이미지 파일이 용량을 초과 하였습니다"}));
  EXPECT_EQ(PostsTo(receiver), 0);
}

TEST_F(UploadTest, RowsWhoseSizesTogetherPassTwoGibibytesAreHeldToTheLimit) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{0x7FFFFFFF}}).ok());
  Pick({Sparse(MakeFile("first half.bin", 0), 0x60000000), Sparse(MakeFile("second half.bin", 0), 0x60000000)});
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), kRowsTooBig);
  EXPECT_EQ(PostsTo(receiver), 0);
  EXPECT_EQ(Count("ATTACH_FILE"), 2);
}

}  // namespace
}  // namespace drev::testing
