// The receiver's streaming multipart parser and its command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/text.h"
#include "receiver/multipart_parser.h"
#include "receiver/options.h"

namespace {

using receiver::MultipartParser;
using receiver::PartHeader;

constexpr const char* kBoundary = "--Velmora.Boundary0029482318BE";

struct SeenPart {
  PartHeader header;
  std::string data;
  bool ended = false;
};

class Recorder : public receiver::MultipartEvents {
 public:
  void OnPartBegin(const PartHeader& header) override { parts.push_back({header, "", false}); }
  void OnPartData(const char* data, std::size_t size) override { parts.back().data.append(data, size); }
  void OnPartEnd() override { parts.back().ended = true; }
  std::vector<SeenPart> parts;
};

std::string TextPart(const std::string& name, const std::string& value) {
  return std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value +
         "\r\n";
}

std::string FilePart(const std::string& name, const std::string& path, const std::string& type,
                     const std::string& content) {
  return std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" +
         path + "\"\r\nContent-Type: " + type + "\r\n\r\n" + content + "\r\n";
}

std::string Closing() { return std::string("--") + kBoundary + "--\r\n"; }

// Feeds `body` in pieces of `piece` bytes and finishes.
struct Outcome {
  Recorder recorder;
  bool finished = false;
  std::string error;
  std::size_t epilogue = 0;
};
Outcome Parse(const std::string& body, std::size_t piece) {
  Outcome outcome;
  MultipartParser parser(kBoundary, outcome.recorder);
  for (std::size_t at = 0; at < body.size(); at += piece) {
    parser.Feed(body.data() + at, std::min(piece, body.size() - at));
  }
  outcome.finished = parser.Finish();
  outcome.error = parser.Error();
  outcome.epilogue = parser.EpilogueBytes();
  return outcome;
}

TEST(MultipartParser, ReadsTextAndFilePartsWhateverThePiecesTheBodyArrivesIn) {
  std::string body = TextPart("DELETE_FILE_COUNT", "0") + FilePart("ATTACH_FILES", "C:\\a.txt", "text/plain", "xyz") +
                     Closing();
  ASSERT_EQ(body.size(), 274u);  // the control's example upload
  for (std::size_t piece : {1u, 2u, 3u, 5u, 31u, 33u, 64u, 1000u}) {
    SCOPED_TRACE(piece);
    Outcome outcome = Parse(body, piece);
    EXPECT_TRUE(outcome.finished) << outcome.error;
    EXPECT_EQ(outcome.epilogue, 0u);
    auto& parts = outcome.recorder.parts;
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].header.name, "DELETE_FILE_COUNT");
    EXPECT_FALSE(parts[0].header.hasFilename);
    EXPECT_EQ(parts[0].data, "0");
    EXPECT_TRUE(parts[0].ended);
    EXPECT_EQ(parts[1].header.name, "ATTACH_FILES");
    EXPECT_TRUE(parts[1].header.hasFilename);
    EXPECT_EQ(parts[1].header.filename, "C:\\a.txt");
    EXPECT_EQ(parts[1].header.contentType, "text/plain");
    EXPECT_EQ(parts[1].data, "xyz");
    EXPECT_TRUE(parts[1].ended);
  }
}

TEST(MultipartParser, KeepsContentThatOnlyResemblesADelimiter) {
  // A delimiter is CR LF, "--" and the boundary: without the CR LF, or cut short, it is content.
  std::string tricky = std::string("a\r\n--Velmora.Boundary0029482318B\r\nx--") + kBoundary + "\r\n-\r\n\r\n--";
  std::string binary("\0\r\n\xff\r", 5);
  std::string body = FilePart("f", "/tmp/t", "application/octet-stream", tricky) + FilePart("g", "b", "", binary) +
                     FilePart("h", "empty", "x/y", "") + Closing();
  for (std::size_t piece : {1u, 7u, 4096u}) {
    Outcome outcome = Parse(body, piece);
    ASSERT_TRUE(outcome.finished) << outcome.error;
    auto& parts = outcome.recorder.parts;
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].data, tricky);
    EXPECT_EQ(parts[1].data, binary);
    EXPECT_TRUE(parts[1].header.hasContentType);
    EXPECT_EQ(parts[1].header.contentType, "");
    EXPECT_EQ(parts[2].data, "");
  }
}

TEST(MultipartParser, TakesNamesAndPathsAsSentWithQuotesLineBreaksAndKoreanBytes) {
  std::string koreanPath = plat::text::Utf8ToCp949("C:\\자료\\\"따옴표\".txt");
  std::string body = TextPart("a\"b", "") + TextPart("line\r\nbreak", "v\r\n") +
                     FilePart(plat::text::Utf8ToCp949("사진"), koreanPath, "image/jpeg", "JPG") + Closing();
  Outcome outcome = Parse(body, 3);
  ASSERT_TRUE(outcome.finished) << outcome.error;
  auto& parts = outcome.recorder.parts;
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].header.name, "a\"b");
  EXPECT_EQ(parts[0].data, "");
  EXPECT_EQ(parts[1].header.name, "line\r\nbreak");
  EXPECT_EQ(parts[1].data, "v\r\n");
  EXPECT_EQ(parts[2].header.name, plat::text::Utf8ToCp949("사진"));
  EXPECT_EQ(parts[2].header.filename, koreanPath);
  EXPECT_EQ(parts[2].data, "JPG");
}

TEST(MultipartParser, ReportsBodiesThatAreCutShortOrMalformed) {
  std::string whole = TextPart("a", "b") + FilePart("f", "p", "t", "0123456789") + Closing();

  Outcome cut = Parse(whole.substr(0, whole.size() - Closing().size() - 4), 5);
  EXPECT_FALSE(cut.finished);
  EXPECT_FALSE(cut.error.empty());
  ASSERT_EQ(cut.recorder.parts.size(), 2u);
  EXPECT_TRUE(cut.recorder.parts[1].ended);  // the open part is closed off
  EXPECT_EQ(cut.recorder.parts[1].data, "01234567");  // what arrived of it is handed over

  // A cut right before the closing delimiter leaves the part's content whole.
  Outcome beforeClose = Parse(whole.substr(0, whole.size() - Closing().size()), 4);
  EXPECT_FALSE(beforeClose.finished);
  EXPECT_EQ(beforeClose.recorder.parts[1].data, "0123456789");

  Outcome none = Parse("just some text", 4);
  EXPECT_FALSE(none.finished);
  EXPECT_TRUE(none.recorder.parts.empty());

  std::string noDisposition = std::string("--") + kBoundary + "\r\nContent-Type: text/plain\r\n\r\nx\r\n" + Closing();
  Outcome bad = Parse(noDisposition, 64);
  EXPECT_FALSE(bad.finished);
  EXPECT_TRUE(bad.recorder.parts.empty());

  Outcome trailing = Parse(whole + "epilogue", 16);
  EXPECT_TRUE(trailing.finished);
  EXPECT_EQ(trailing.epilogue, 8u);

  Outcome bare = Parse(std::string("--") + kBoundary + "--", 2);  // no fields at all, no final CR LF
  EXPECT_TRUE(bare.finished);
  EXPECT_TRUE(bare.recorder.parts.empty());
}

TEST(MultipartParser, ReadsHeaderFieldsWhateverTheirCaseAndFolding) {
  PartHeader header;
  ASSERT_TRUE(receiver::ParsePartHeader(
      "content-disposition: form-data; name=\"n\"; filename=\"a\r\nb\"\r\nCONTENT-TYPE:  text/x  ", header));
  EXPECT_EQ(header.name, "n");
  EXPECT_EQ(header.filename, "a\r\nb");
  EXPECT_EQ(header.contentType, "text/x");
  ASSERT_TRUE(receiver::ParsePartHeader("Content-Disposition: form-data; name=bare; x=y", header));
  EXPECT_EQ(header.name, "bare");
  EXPECT_FALSE(header.hasFilename);
  EXPECT_FALSE(receiver::ParsePartHeader("Content-Disposition: attachment; name=\"n\"", header));
  EXPECT_FALSE(receiver::ParsePartHeader("", header));
}

TEST(ReceiverOptions, RequiresAnAddressAndAStoreUnlessDiscardingAndChecksNumbers) {
  receiver::ReceiverOptions options;
  std::string error;
  const char* full[] = {"--listen", "127.0.0.9", "--dir", "/tmp/x", "--status", "404", "--drop-after", "0",
                        "--no-length"};
  ASSERT_TRUE(receiver::ParseOptions(9, full, options, error)) << error;
  EXPECT_EQ(options.status, 404);
  EXPECT_EQ(options.dropAfter, 0u);
  EXPECT_TRUE(options.noLength);
  EXPECT_EQ(options.port, 80);

  const char* discard[] = {"--listen", "127.0.0.9", "--discard"};
  EXPECT_TRUE(receiver::ParseOptions(3, discard, options, error));
  const char* noDir[] = {"--listen", "127.0.0.9"};
  EXPECT_FALSE(receiver::ParseOptions(2, noDir, options, error));
  const char* badStatus[] = {"--listen", "a", "--dir", "d", "--status", "20x"};
  EXPECT_FALSE(receiver::ParseOptions(6, badStatus, options, error));
  const char* missingValue[] = {"--listen", "a", "--dir"};
  EXPECT_FALSE(receiver::ParseOptions(3, missingValue, options, error));
  const char* unknown[] = {"--listen", "a", "--dir", "d", "--frobnicate", "1"};
  EXPECT_FALSE(receiver::ParseOptions(6, unknown, options, error));
}

}  // namespace
