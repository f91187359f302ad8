// upload-receiver as the tests, the demo and the benchmarks use it: a process on its own loopback address.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "platform/text/text.h"
#include "tests/receiver/receiver_process.h"
#include "tests/receiver/tcp_client.h"

namespace {

using drevtest::ReceiverProcess;
using drevtest::ReceiverSetup;
using drevtest::Hex;
using nlohmann::json;

constexpr const char* kBoundary = "--Velmora.Boundary0029482318BE";

std::string TextPart(const std::string& name, const std::string& value) {
  return std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value +
         "\r\n";
}

std::string FilePart(const std::string& name, const std::string& path, const std::string& content) {
  return std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" +
         path + "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n";
}

std::string Closing() { return std::string("--") + kBoundary + "--\r\n"; }

std::string Post(const std::string& body) {
  return std::string("POST /upload.php HTTP/1.0\r\nHost: h\r\nUser-Agent: zelk\r\n") +
         "Content-Type: multipart/form-data; boundary=" + kBoundary + "\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
  return bytes;
}

// The receiver prints its line for a dropped connection after the client may have seen the reset.
bool WaitForOutput(const ReceiverProcess& receiver, const std::string& text) {
  for (int tick = 0; tick < 200; ++tick) {
    if (receiver.Output().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

drevtest::HttpReply Send(const ReceiverProcess& receiver, const std::string& request) {
  drevtest::Exchanged exchanged = drevtest::TcpExchange(receiver.Address(), receiver.Port(), request);
  EXPECT_TRUE(exchanged.connected);
  return drevtest::ParseHttpReply(exchanged.received);
}

TEST(UploadReceiver, StoresFilePartsUnderItsOwnNamesAndReportsKoreanPathsByteForByte) {
  ReceiverProcess receiver;
  std::string path = plat::text::Utf8ToCp949("C:\\문서\\사진 파일.jpg");
  std::string traversal = "../../escape.txt";
  std::string content = Pattern(70000);
  std::string body = TextPart("DELETE_FILE_COUNT", "0") + TextPart(plat::text::Utf8ToCp949("이름"), "") +
                     FilePart("ATTACH_FILES", path, content) + FilePart("photo", traversal, "tiny") + Closing();
  drevtest::HttpReply reply = Send(receiver, Post(body));
  ASSERT_TRUE(reply.valid);
  EXPECT_EQ(reply.status, 200);
  json summary = json::parse(reply.body);
  EXPECT_TRUE(summary["complete"].get<bool>());
  EXPECT_EQ(summary["bodyBytes"], body.size());
  EXPECT_EQ(summary["bodyCrc32"], drevtest::ReferenceCrc32Hex(body));
  EXPECT_EQ(summary["headers"]["User-Agent"], "zelk");

  ASSERT_EQ(summary["fields"].size(), 2u);
  EXPECT_EQ(summary["fields"][0]["name"], "DELETE_FILE_COUNT");
  EXPECT_EQ(summary["fields"][0]["value"], "0");
  EXPECT_EQ(summary["fields"][1]["name"], "이름");
  EXPECT_EQ(summary["fields"][1]["value"], "");

  ASSERT_EQ(summary["files"].size(), 2u);
  json file = summary["files"][0];
  EXPECT_EQ(file["filename"], "C:\\문서\\사진 파일.jpg");
  EXPECT_EQ(file["filenameHex"], Hex(path));
  EXPECT_EQ(file["size"], content.size());
  EXPECT_EQ(file["crc32"], drevtest::ReferenceCrc32Hex(content));
  std::filesystem::path stored = receiver.StoreDir() / file["stored"].get<std::string>();
  EXPECT_EQ(drevtest::ReadFileBytes(stored), content);

  // The second file's name tries to climb out of the store: it is stored inside all the same.
  EXPECT_EQ(summary["files"][1]["filename"], traversal);
  EXPECT_EQ(drevtest::ReadFileBytes(receiver.StoreDir() / summary["files"][1]["stored"].get<std::string>()), "tiny");
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(receiver.StoreDir())) {
    EXPECT_EQ(entry.path().extension(), ".part");
    ++entries;
  }
  EXPECT_EQ(entries, 2);
  EXPECT_FALSE(std::filesystem::exists(receiver.StoreDir().parent_path().parent_path() / "escape.txt"));
  EXPECT_NE(receiver.Output().find("POST /upload.php HTTP/1.0 -> 200"), std::string::npos);
}

TEST(UploadReceiver, SaysWhenABodyIsCutShortOrNotMultipart) {
  ReceiverProcess receiver;
  std::string body = TextPart("a", "b") + FilePart("f", "p", "0123456789");  // no closing delimiter
  json summary = json::parse(Send(receiver, Post(body)).body);
  EXPECT_FALSE(summary["complete"].get<bool>());
  EXPECT_FALSE(summary["error"].get<std::string>().empty());
  ASSERT_EQ(summary["files"].size(), 1u);
  EXPECT_EQ(summary["files"][0]["size"], 10u);

  std::string plain = "POST /x HTTP/1.0\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n\r\nhello";
  drevtest::HttpReply reply = Send(receiver, plain);
  EXPECT_EQ(reply.status, 200);
  json other = json::parse(reply.body);
  EXPECT_FALSE(other["multipart"].get<bool>());
  EXPECT_EQ(other["bodyCrc32"], drevtest::ReferenceCrc32Hex("hello"));
}

TEST(UploadReceiver, AnswersAFixedStatusWhenToldTo) {
  for (int status : {404, 500, 302}) {
    SCOPED_TRACE(status);
    ReceiverProcess receiver(ReceiverSetup{{"--status", std::to_string(status)}});
    drevtest::HttpReply reply = Send(receiver, Post(TextPart("a", "b") + Closing()));
    EXPECT_EQ(reply.status, status);
    EXPECT_EQ(reply.fields.count("location"), status == 302 ? 1u : 0u);
    EXPECT_EQ(json::parse(reply.body)["fields"][0]["value"], "b");  // the body was still read and parsed
  }
}

TEST(UploadReceiver, RepliesWithoutLengthAndWithChosenBytes) {
  std::filesystem::path replyFile = std::filesystem::temp_directory_path() / ("drev-reply-" + std::to_string(getpid()));
  std::string bytes = std::string("ok\0after-zero", 13) + Pattern(5000);
  {
    std::FILE* out = std::fopen(replyFile.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }
  ReceiverProcess chosen(ReceiverSetup{{"--reply-file", replyFile.string(), "--no-length"}});
  drevtest::HttpReply reply = Send(chosen, Post(Closing()));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.fields.count("content-length"), 0u);
  EXPECT_EQ(reply.body, bytes);

  ReceiverProcess sized(ReceiverSetup{{"--reply-file", replyFile.string()}});
  reply = Send(sized, Post(Closing()));
  EXPECT_EQ(reply.fields["content-length"], std::to_string(bytes.size()));
  EXPECT_EQ(reply.body, bytes);
  std::filesystem::remove(replyFile);
}

TEST(UploadReceiver, ResetsTheConnectionMidBodyInDropMode) {
  ReceiverProcess receiver(ReceiverSetup{{"--drop-after", "1000"}});
  std::string body = FilePart("f", "big.bin", Pattern(4 * 1024 * 1024)) + Closing();
  drevtest::Exchanged exchanged = drevtest::TcpExchange(receiver.Address(), receiver.Port(), Post(body));
  ASSERT_TRUE(exchanged.connected);
  EXPECT_EQ(exchanged.received.find("HTTP/"), std::string::npos);  // no answer of any kind
  EXPECT_TRUE(WaitForOutput(receiver, "connection reset after"));
}

TEST(UploadReceiver, CountsButNeitherParsesNorStoresInDiscardMode) {
  ReceiverProcess receiver(ReceiverSetup{{"--discard"}});
  std::string body = FilePart("f", "x.bin", Pattern(300000)) + Closing();
  drevtest::HttpReply reply = Send(receiver, Post(body));
  EXPECT_EQ(reply.status, 200);
  json summary = json::parse(reply.body);
  EXPECT_EQ(summary["bodyBytes"], body.size());
  EXPECT_FALSE(summary.contains("files"));
  EXPECT_TRUE(std::filesystem::is_empty(receiver.StoreDir()));
}

TEST(UploadReceiver, SavesTheExactRequestBytesWhenAsked) {
  ReceiverProcess receiver(ReceiverSetup{{}, true});
  // Header values the server library would decode or drop are kept exactly in the raw file.
  std::string body = TextPart("a", "%41") + FilePart("f", "p", Pattern(100000)) + Closing();
  std::string request = Post(body);
  request.insert(request.find("\r\n") + 2, "Referer: http://x/a%20b\r\nX-Empty:\r\n");
  drevtest::HttpReply reply = Send(receiver, request);
  ASSERT_EQ(reply.status, 200);
  json summary = json::parse(reply.body);
  ASSERT_TRUE(summary.contains("raw"));
  EXPECT_EQ(drevtest::ReadFileBytes(receiver.RawDir() / summary["raw"].get<std::string>()), request);
  EXPECT_TRUE(summary["complete"].get<bool>());
}

TEST(UploadReceiver, ServesTheKeepAliveImage) {
  ReceiverProcess receiver;
  drevtest::HttpReply gif = Send(receiver, "GET /bin/Plimtrans.gif HTTP/1.0\r\nHost: h\r\n\r\n");
  EXPECT_EQ(gif.status, 200);
  EXPECT_EQ(gif.fields["content-type"], "image/gif");
  EXPECT_EQ(gif.body.size(), 43u);
  EXPECT_EQ(gif.body.substr(0, 6), "GIF89a");
  EXPECT_EQ(Send(receiver, "GET /other HTTP/1.0\r\n\r\n").status, 404);
}

TEST(UploadReceiver, AnswersLateAndReadsSlowlyInItsSlowModes) {
  using Clock = std::chrono::steady_clock;
  ReceiverProcess late(ReceiverSetup{{"--reply-delay", "300"}});
  Clock::time_point start = Clock::now();
  drevtest::HttpReply reply = Send(late, Post(TextPart("a", "b") + Closing()));
  EXPECT_EQ(reply.status, 200);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));

  ReceiverProcess slow(ReceiverSetup{{"--read-delay", "20"}});
  std::string content = Pattern(60000);  // fifteen pieces or more at the library's 4 KiB reads
  start = Clock::now();
  reply = Send(slow, Post(FilePart("f", "p", content) + Closing()));
  ASSERT_EQ(reply.status, 200);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));
  json summary = json::parse(reply.body);
  EXPECT_EQ(summary["files"][0]["crc32"], drevtest::ReferenceCrc32Hex(content));

  // 400,000 bytes at 1,000,000 a second: the last piece is read no sooner than 0.4 s in.
  ReceiverProcess link(ReceiverSetup{{"--read-rate", "1000000"}});
  content = Pattern(400000);
  start = Clock::now();
  reply = Send(link, Post(FilePart("f", "p", content) + Closing()));
  ASSERT_EQ(reply.status, 200);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(390));
  EXPECT_EQ(json::parse(reply.body)["files"][0]["crc32"], drevtest::ReferenceCrc32Hex(content));
}

// The summary less every member whose name ends in "Hex", at any depth.
json WithoutHexMembers(const json& value) {
  if (value.is_array()) {
    json out = json::array();
    for (const json& item : value) out.push_back(WithoutHexMembers(item));
    return out;
  }
  if (!value.is_object()) return value;
  json out = json::object();
  for (const auto& [key, item] : value.items())
    if (!key.ends_with("Hex")) out[key] = WithoutHexMembers(item);
  return out;
}

// What examples/without-hex (the demo's view of a reply) makes of `text`.
std::string DemoViewOf(const std::string& text) {
  const std::filesystem::path input = std::filesystem::temp_directory_path() / ("drev-summary-" + std::to_string(getpid()));
  std::ofstream(input, std::ios::binary) << text;
  const std::string command = std::string("'" DREV_SOURCE_DIR "/examples/without-hex' < '") + input.string() + "'";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  std::filesystem::remove(input);
  return out;
}

// The demo prints replies without their hex copies; what it prints must still be the same JSON.
// A text part's last member is its "valueHex", so leaving it out must take the comma before it too.
TEST(UploadReceiver, TheDemosViewOfASummaryIsValidJsonLessTheHexCopies) {
  ReceiverProcess receiver;
  std::string body = TextPart("title", plat::text::Utf8ToCp949("주간 회의록")) + TextPart("DELETE_FILES", "") +
                     FilePart("ATTACH_FILES", "C:\\a \"b\".txt", "abc") + FilePart("EDITOR_IMAGE_1", "d.png", "") +
                     Closing();
  drevtest::HttpReply reply = Send(receiver, Post(body));
  ASSERT_EQ(reply.status, 200);
  const json summary = json::parse(reply.body);
  ASSERT_EQ(summary["fields"].size(), 2u);
  const std::string view = DemoViewOf(reply.body);
  const json shown = json::parse(view, nullptr, false);
  ASSERT_FALSE(shown.is_discarded()) << view;
  EXPECT_EQ(shown, WithoutHexMembers(summary));
  EXPECT_EQ(view.find("Hex\""), std::string::npos);
}

}  // namespace
