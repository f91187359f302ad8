// The HTTP client against upload-receiver: a multipart upload the way the control sends one.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/text/text.h"
#include "tests/platform/inet/client_helpers.h"
#include "tests/receiver/receiver_process.h"
#include "tests/receiver/tcp_client.h"

namespace {

using namespace inettest;
using drevtest::ReceiverProcess;
using drevtest::ReceiverSetup;
using nlohmann::json;
using plat::kernel::GetLastError;

constexpr unsigned char kAddressBase = 121;  // this program's loopback addresses: 127.121.x.y
const std::string kBoundary = "--Velmora.Boundary0029482318BE";

struct Upload {
  std::string head;  // the text part and the file part's header
  std::string file;
  std::string tail;  // the end of the file part and the closing delimiter
  std::string Body() const { return head + file + tail; }
};

Upload MakeUpload(const std::string& path, std::size_t fileSize) {
  Upload upload;
  upload.head = "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"DELETE_FILE_COUNT\"\r\n\r\n0\r\n" +
                "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"ATTACH_FILES\"; filename=\"" + path +
                "\"\r\nContent-Type: image/jpeg\r\n\r\n";
  upload.file = Pattern(fileSize);
  upload.tail = "\r\n--" + kBoundary + "--\r\n";
  return upload;
}

// Sends the upload as the control does (a line for the type, the declared length, 1024-byte file
// blocks) and returns the status; the request stays open for reading.
std::string SendUpload(HINTERNET session, const ReceiverProcess& receiver, const Upload& upload, Post& post) {
  post = OpenPost(session, receiver.Address().c_str(), receiver.Port(), "/upload.php", "http://page.example/");
  std::string line = "Content-Type: multipart/form-data; boundary=" + kBoundary + "\r\n";
  HttpAddRequestHeadersA(post.request, line.c_str(), static_cast<DWORD>(line.size()), HTTP_ADDREQ_FLAG_ADD_IF_NEW);
  std::string body = upload.Body();
  DWORD error = 0;
  if (!Begin(post.request, static_cast<DWORD>(body.size())) || !WriteInBlocks(post.request, upload.head, 1024, error) ||
      !WriteInBlocks(post.request, upload.file, 1024, error) || !WriteInBlocks(post.request, upload.tail, 1024, error) ||
      !HttpEndRequestA(post.request, nullptr, 0, 0)) {
    ADD_FAILURE() << "upload failed with " << GetLastError();
    return "";
  }
  return QueryText(post.request, HTTP_QUERY_STATUS_CODE);
}

TEST(InetWithReceiver, UploadsAMultipartBodyThatArrivesByteForByte) {
  ReceiverProcess receiver(ReceiverSetup{{}, true, kAddressBase});
  std::string path = plat::text::Utf8ToCp949("C:\\사진\\가족 여행.jpg");
  Upload upload = MakeUpload(path, 300 * 1024 + 17);
  Handle session = OpenSession();
  Post post;
  ASSERT_EQ(SendUpload(session, receiver, upload, post), "200");

  // The reply read the way the control reads it: its Content-Length, then one read of that many bytes.
  DWORD length = 0, size = sizeof length;
  ASSERT_TRUE(HttpQueryInfoA(post.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr));
  std::string reply(length, '\0');
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(post.request, reply.data(), length, &got));
  ASSERT_EQ(got, length);

  json summary = json::parse(reply);
  EXPECT_TRUE(summary["complete"].get<bool>());
  EXPECT_EQ(summary["fields"][0]["value"], "0");
  json file = summary["files"][0];
  EXPECT_EQ(file["filename"], "C:\\사진\\가족 여행.jpg");
  EXPECT_EQ(file["size"], upload.file.size());
  EXPECT_EQ(file["crc32"], drevtest::ReferenceCrc32Hex(upload.file));
  EXPECT_EQ(drevtest::ReadFileBytes(receiver.StoreDir() / file["stored"].get<std::string>()), upload.file);

  std::string raw = drevtest::ReadFileBytes(receiver.RawDir() / summary["raw"].get<std::string>());
  std::size_t headEnd = raw.find("\r\n\r\n");
  ASSERT_NE(headEnd, std::string::npos);
  std::string head = raw.substr(0, headEnd + 2);
  EXPECT_EQ(head.substr(0, head.find("\r\n")), "POST /upload.php HTTP/1.0");
  for (std::string line : {"Host: " + receiver.Address(), std::string("User-Agent: zelk"),
                           std::string("Referer: http://page.example/"),
                           "Content-Type: multipart/form-data; boundary=" + kBoundary,
                           "Content-Length: " + std::to_string(upload.Body().size())}) {
    EXPECT_NE(head.find("\r\n" + line + "\r\n"), std::string::npos) << line;
  }
  EXPECT_TRUE(raw.substr(headEnd + 4) == upload.Body());
}

TEST(InetWithReceiver, TakesRedirectsAndFailuresAsTheirOwnStatus) {
  for (const char* status : {"302", "404", "500"}) {
    ReceiverProcess receiver(ReceiverSetup{{"--status", status}, false, kAddressBase});
    Handle session = OpenSession();
    Post post;
    EXPECT_EQ(SendUpload(session, receiver, MakeUpload("a.txt", 10), post), status);
    post.request.Reset();
    EXPECT_EQ(receiver.Output().find("GET"), std::string::npos);  // nothing followed the redirect
  }
}

TEST(InetWithReceiver, ReadsAReplyWithoutLengthToItsEndAndFetchesTheKeepAliveImage) {
  ReceiverProcess receiver(ReceiverSetup{{"--no-length"}, false, kAddressBase});
  Handle session = OpenSession();
  Post post;
  ASSERT_EQ(SendUpload(session, receiver, MakeUpload("a.txt", 5000), post), "200");
  DWORD length = 0, size = sizeof length;
  EXPECT_FALSE(HttpQueryInfoA(post.request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr));
  json summary = json::parse(ReadToEnd(post.request, 1024));
  EXPECT_EQ(summary["files"][0]["size"], 5000u);

  std::string url = "http://" + receiver.Address() + "/bin/Plimtrans.gif";
  Handle image = InternetOpenUrlA(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_EXISTING_CONNECT, 0);
  ASSERT_NE(image.get(), nullptr) << GetLastError();
  EXPECT_EQ(QueryText(image, HTTP_QUERY_STATUS_CODE), "200");
  EXPECT_EQ(ReadToEnd(image).substr(0, 6), "GIF89a");
}

}  // namespace
