// The multipart body on the wire: exact bytes, declared length, boundary and Content-Type line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>

#include "http/CBasicHttp.h"
#include "http/CBasicHttpException.h"
#include "platform/text/text.h"
#include "tests/http/http_test_support.h"

namespace {

using namespace drev;
using namespace drev::httptest;
using drevtest::ReceiverProcess;
using nlohmann::json;

std::string TextPart(const std::string& boundary, const std::string& name, const std::string& value) {
  return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string FilePart(const std::string& boundary, const std::string& name, const std::string& path,
                     const std::string& type, const std::string& content) {
  return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" + path +
         "\"\r\nContent-Type: " + type + "\r\n\r\n" + content + "\r\n";
}

std::string Closing(const std::string& boundary) { return "--" + boundary + "--\r\n"; }

// A multipart POST to the receiver, as the upload makes it.
void PreparePost(CBasicHttp& http) {
  http.SetVerb(CBasicHttp::Verb::Post);
  http.SetFormType(CBasicHttp::FormType::Multipart);
  http.SetObjectName("/upload.php");
}

// The body on the wire is the expected one, its declared length is its size, and the receiver's own
// parser found it whole.
void ExpectBody(const Exchange& exchange, const CBasicHttp& http, const std::string& expected) {
  EXPECT_EQ(exchange.status, 200u);
  EXPECT_EQ(exchange.body, expected);
  EXPECT_EQ(exchange.ContentLength(), std::to_string(expected.size()));
  EXPECT_EQ(http.GetContentLength(), expected.size());
  EXPECT_EQ(exchange.ContentType(), "multipart/form-data; boundary=" + http.GetBoundary());
  ASSERT_TRUE(exchange.summary.is_object());
  EXPECT_TRUE(exchange.summary["complete"].get<bool>()) << exchange.summary.dump(2);
  EXPECT_EQ(exchange.summary["epilogueBytes"], 0);
}

class FormBody : public ::testing::Test {
 protected:
  ReceiverProcess receiver_{WithOptions()};
  Session session_;
  TempDir dir_;
};

TEST_F(FormBody, TheDocumentedExampleIs274BytesOnAFreshThread) {
  // The path is the text "C:\a.txt", a file of that name in the current folder here.
  std::string previous = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  dir_.Write("C:\\a.txt", "xyz");
  OnFreshThread([&] {
    CBasicHttp http(session_.Get());
    PreparePost(http);
    http.AddItem("DELETE_FILE_COUNT", "0", "", "", 0);
    http.AddItem("ATTACH_FILES", "", "C:\\a.txt", "text/plain", 3);
    Exchange exchange = SendThrough(http, receiver_);
    EXPECT_EQ(http.GetBoundary(), kFirstBoundary);
    EXPECT_EQ(http.GetHeaders(), "Content-Type: multipart/form-data; boundary=" + kFirstBoundary + "\r\n");
    std::string expected =
        "----Velmora.Boundary0029482318BE\r\n"
        "Content-Disposition: form-data; name=\"DELETE_FILE_COUNT\"\r\n"
        "\r\n"
        "0\r\n"
        "----Velmora.Boundary0029482318BE\r\n"
        "Content-Disposition: form-data; name=\"ATTACH_FILES\"; filename=\"C:\\a.txt\"\r\n"
        "Content-Type: text/plain\r\n"
        "\r\n"
        "xyz\r\n"
        "----Velmora.Boundary0029482318BE--\r\n";
    ASSERT_EQ(expected.size(), 274u);
    ExpectBody(exchange, http, expected);
    ASSERT_EQ(exchange.summary["files"].size(), 1u);
    EXPECT_EQ(exchange.summary["files"][0]["filename"], "C:\\a.txt");
    EXPECT_EQ(exchange.summary["files"][0]["size"], 3);
    EXPECT_EQ(exchange.summary["fields"][0]["value"], "0");
  });
  ASSERT_EQ(chdir(previous.c_str()), 0);
}

TEST_F(FormBody, NoFieldsSendsTheClosingDelimiterAloneAndOneTextFieldIs117Bytes) {
  OnFreshThread([&] {
    CBasicHttp http(session_.Get());
    PreparePost(http);
    Exchange exchange = SendThrough(http, receiver_);
    EXPECT_EQ(exchange.body.size(), 36u);
    ExpectBody(exchange, http, Closing(kFirstBoundary));
  });
  OnFreshThread([&] {
    CBasicHttp http(session_.Get());
    PreparePost(http);
    http.AddItem("a", "b", "", "", 0);
    Exchange exchange = SendThrough(http, receiver_);
    EXPECT_EQ(exchange.body.size(), 117u);
    ExpectBody(exchange, http, TextPart(kFirstBoundary, "a", "b") + Closing(kFirstBoundary));
  });
}

TEST_F(FormBody, AnEmptyValueLeavesThreeLineEndsInARow) {
  CBasicHttp http(session_.Get());
  PreparePost(http);
  http.AddItem("empty", "", "", "", 0);
  Exchange exchange = SendThrough(http, receiver_);
  ExpectBody(exchange, http, TextPart(http.GetBoundary(), "empty", "") + Closing(http.GetBoundary()));
  EXPECT_NE(exchange.body.find("name=\"empty\"\r\n\r\n\r\n--"), std::string::npos);
  EXPECT_EQ(exchange.summary["fields"][0]["value"], "");
}

TEST_F(FormBody, TextFieldsComeFirstAndThePathAloneDecidesWhatIsAFile) {
  std::string first = dir_.Write("first.bin", Pattern(1500));
  std::string second = dir_.Write("second.txt", "");
  CBasicHttp http(session_.Get());
  PreparePost(http);
  http.AddItem("f1", "value is not sent", first, "application/octet-stream", 1500);
  http.AddItem("t", "text", "", "image/png", 999);  // no path: a text field, its size not counted
  http.AddItem("f2", "", second, "", 0);             // an empty type is still sent
  Exchange exchange = SendThrough(http, receiver_);
  const std::string& b = http.GetBoundary();
  ExpectBody(exchange, http,
             TextPart(b, "t", "text") + FilePart(b, "f1", first, "application/octet-stream", Pattern(1500)) +
                 FilePart(b, "f2", second, "", "") + Closing(b));
  ASSERT_EQ(exchange.summary["fields"].size(), 1u);
  ASSERT_EQ(exchange.summary["files"].size(), 2u);
  EXPECT_EQ(exchange.summary["files"][0]["name"], "f1");
  EXPECT_EQ(exchange.summary["files"][1]["name"], "f2");
  EXPECT_EQ(exchange.summary["files"][1]["size"], 0);
}

TEST_F(FormBody, QuotesAndLineBreaksInNamesAndPathsAreEscapedAndValuesGoOutUnchanged) {
  std::string path = dir_.Write("we\"ird\r\n name.txt", "data");
  std::string name = "na\"me\r\n x";
  std::string value = "line1\r\nline2 \"quoted\"";
  CBasicHttp http(session_.Get());
  PreparePost(http);
  http.AddItem(name, value, "", "", 0);
  http.AddItem("file\"", "", path, "text/plain", 4);
  Exchange exchange = SendThrough(http, receiver_);
  const std::string& b = http.GetBoundary();
  const std::string escapedPath = path.substr(0, path.rfind('/') + 1) + "we%22ird%0D%0A name.txt";
  ExpectBody(exchange, http,
             TextPart(b, "na%22me%0D%0A x", value) + FilePart(b, "file%22", escapedPath, "text/plain", "data") +
                 Closing(b));
  EXPECT_EQ(exchange.summary["fields"][0]["name"], "na%22me%0D%0A x");
  EXPECT_EQ(exchange.summary["fields"][0]["value"], value);
  EXPECT_EQ(exchange.summary["files"][0]["filename"], escapedPath);
}

// File names that would end their parameter or their part header: each arrives as the file it is,
// under ATTACH_FILES, and brings in no field of its own.
TEST_F(FormBody, FileNamesCannotInjectFieldsOrEndThePartHeader) {
  std::string injecting = dir_.Write("q\"; name=\"INJ", "first");
  std::string headerEnd = dir_.Write("a\r\n\r\nContent-Type: evil", "second");
  CBasicHttp http(session_.Get());
  PreparePost(http);
  http.AddItem("DELETE_FILE_COUNT", "0", "", "", 0);
  http.AddItem("ATTACH_FILES", "", injecting, "text/plain", 5);
  http.AddItem("ATTACH_FILES", "", headerEnd, "text/plain", 6);
  Exchange exchange = SendThrough(http, receiver_);
  EXPECT_EQ(exchange.ContentLength(), std::to_string(exchange.body.size()));
  EXPECT_EQ(exchange.summary["complete"], true);
  const json& fields = exchange.summary["fields"];
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0]["name"], "DELETE_FILE_COUNT");
  const json& files = exchange.summary["files"];
  ASSERT_EQ(files.size(), 2u);
  const std::string folder = injecting.substr(0, injecting.rfind('/') + 1);
  EXPECT_EQ(files[0]["name"], "ATTACH_FILES");
  EXPECT_EQ(files[0]["filename"], folder + "q%22; name=%22INJ");
  EXPECT_EQ(files[0]["size"], 5);
  EXPECT_EQ(files[1]["name"], "ATTACH_FILES");
  EXPECT_EQ(files[1]["filename"], folder + "a%0D%0A%0D%0AContent-Type: evil");
  EXPECT_EQ(files[1]["contentType"], "text/plain");
  EXPECT_EQ(files[1]["size"], 6);
  EXPECT_EQ(exchange.body.find("name=\"INJ"), std::string::npos);
}

TEST_F(FormBody, AKoreanPathIsSentAsItsCodePage949Bytes) {
  std::filesystem::create_directories(dir_.Path() / "사진 폴더");
  std::string path = dir_.Write("사진 폴더/가족 여행.jpg", Pattern(2048, 7));
  ASSERT_NE(path, plat::text::Cp949ToUtf8(path));  // really CP949, not UTF-8
  CBasicHttp http(session_.Get());
  PreparePost(http);
  http.AddItem("ATTACH_FILES", "", path, "image/jpeg", 2048);
  Exchange exchange = SendThrough(http, receiver_);
  const std::string& b = http.GetBoundary();
  ExpectBody(exchange, http, FilePart(b, "ATTACH_FILES", path, "image/jpeg", Pattern(2048, 7)) + Closing(b));
  std::string hex;
  for (unsigned char c : path) hex += "0123456789abcdef"[c >> 4], hex += "0123456789abcdef"[c & 0xF];
  EXPECT_EQ(exchange.summary["files"][0]["filenameHex"], hex);
}

TEST_F(FormBody, EachRequestDrawsANewBoundaryOfTheSameForm) {
  OnFreshThread([&] {
    CBasicHttp first(session_.Get());
    PreparePost(first);
    Exchange one = SendThrough(first, receiver_);
    CBasicHttp second(session_.Get());
    PreparePost(second);
    Exchange two = SendThrough(second, receiver_);
    EXPECT_EQ(first.GetBoundary(), kFirstBoundary);
    EXPECT_NE(second.GetBoundary(), kFirstBoundary);
    EXPECT_TRUE(std::regex_match(second.GetBoundary(), std::regex("--Velmora\\.Boundary[0-9A-F]{12}")));
    ExpectBody(two, second, Closing(second.GetBoundary()));
  });
}

TEST_F(FormBody, AUrlEncodedPostSendsTheTextFieldsAsPairs) {
  CBasicHttp http(session_.Get());
  http.SetVerb(CBasicHttp::Verb::Post);
  http.SetFormType(CBasicHttp::FormType::UrlEncoded);
  http.AddItem("a b", "c&d=\"e\"", "", "", 0);
  http.AddItem("file", "", dir_.Write("x", "x"), "text/plain", 1);
  http.AddItem(plat::text::Utf8ToCp949("이름"), "~ok-_.", "", "", 0);
  Exchange exchange = SendThrough(http, receiver_);
  EXPECT_EQ(exchange.status, 200u);
  EXPECT_EQ(exchange.ContentType(), "application/x-www-form-urlencoded");
  EXPECT_EQ(exchange.body, "a+b=c%26d%3D%22e%22&%C0%CC%B8%A7=~ok-_.");
  EXPECT_EQ(exchange.ContentLength(), std::to_string(exchange.body.size()));
}

TEST_F(FormBody, APostOfAnUnknownBodyKindSendsNothing) {
  CBasicHttp http(session_.Get());
  http.SetVerb(CBasicHttp::Verb::Post);  // body kind left unset
  http.AddItem("a", "b", "", "", 0);
  http.SetServerName(receiver_.Address());
  http.OpenRequest();
  try {
    http.SendRequest();
    ADD_FAILURE() << "no exception";
  } catch (const CBasicHttpException& e) {
    EXPECT_EQ(e.m_nCode, HTTPERR_POST_FORMAT);
    EXPECT_EQ(e.m_strMessage, plat::text::Ansi("POST 형식이 잘못 되었습니다!!!"));
  }
  http.Close();
  EXPECT_EQ(receiver_.Output().find("POST"), std::string::npos);
}

}  // namespace
