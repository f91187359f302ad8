// How an upload ends, as the page sees it through the control: the request the receiver got, the
// events in their order, the reply, UploadFiles' answer, the message shown and what is left in the
// lists; after every kind of failure a retry that succeeds.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/inet/internet_error.h"
#include "platform/kernel/thread.h"
#include "platform/text/text.h"
#include "resources/AppName.h"
#include "tests/session/upload_fixture.h"

namespace drev::testing {
namespace {

using drevtest::ReceiverProcess;
using drevtest::Hex;
using nlohmann::json;
using Names = std::vector<std::string>;
namespace pw = plat::win;

const Names kFinished{"StartUpload", "ChangeFileList", "OnContentReceived"};

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

// The page's event for a failed upload, as the recorder prints it.
std::string Failed(int status, const std::string& reason) {
  return "UploadFailed(" + std::to_string(status) + ", \"" + reason + "\")";
}

// The text the user is shown for a status other than 200.
std::string StatusText(int status) { return "서버가 오류를 돌려주었습니다(상태 " + std::to_string(status) + ")."; }

TEST_F(UploadTest, RefusalsShowTheirMessageStartNothingAndFailWithTheirReason) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  Pick({MakeFile("earlier.txt", 10)});
  ASSERT_TRUE(UploadFiles());
  ASSERT_FALSE(Host().Call("GetServerResponse").Text().empty());
  const std::string rows = MakeFile("rows.txt", 5000);
  Pick({rows});
  const std::string big = MakeFile("big.png", 2'097'153);
  ASSERT_TRUE(Host().Call("AddImage", {"big", big}).ok());
  ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{7}, std::int32_t{10}, false}).ok());
  const std::string rowsTooBig = "첨부된 파일이 용량을 초과 하였습니다";
  const std::string imagesTooBig = "추가된 이미지 파일이 용량을 초과 하였습니다";

  // Both limits exceeded: only the rows' message, and nothing changes.
  ASSERT_TRUE(Host().Call("SetUploadSize", {std::int32_t{4999}}).ok());
  Host().Events().Clear();
  pw::ClearMessageBoxLog();
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), (Names{rowsTooBig}));
  EXPECT_EQ(EventLog(), (Names{Failed(0, rowsTooBig)}));
  EXPECT_EQ(Host().Call("GetServerResponse").Text(), "");
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  EXPECT_EQ(Count("ATTACH_IMAGE"), 1);
  EXPECT_EQ(Count("DELETE_FILE"), 1);

  // Rows exactly at the limit pass; the images, one byte over theirs, are thrown away, the rows and
  // the deletion stay.
  ASSERT_TRUE(Host().Call("SetMaxUploadSize", {std::int32_t{5000}}).ok());
  Host().Events().Clear();
  pw::ClearMessageBoxLog();
  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(Messages(), (Names{imagesTooBig}));
  EXPECT_EQ(EventLog(), (Names{"ChangeFileList(\"4KB\", \"0Byte\")", Failed(0, imagesTooBig)}));
  EXPECT_EQ(Count("ATTACH_IMAGE"), 0);
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  EXPECT_EQ(Count("DELETE_FILE"), 1);
  EXPECT_EQ(pw::MessageBoxLog().at(0).caption, AfxGetAppName());
  EXPECT_EQ(pw::MessageBoxLog().at(0).type, pw::MB_OK | pw::MB_ICONEXCLAMATION);
  EXPECT_EQ(CountOf(receiver.Output(), "POST "), 1);

  // Within the limits the same rows go.
  ExpectRetrySucceeds(receiver, {rows});
  EXPECT_EQ(LastReply()["fields"][1]["value"], "7,");
}

TEST_F(UploadTest, AnotherStatusThan200IsShownFailsTheUploadAndKeepsTheLists) {
  ReceiverProcess good(Receiver());
  Place(good.Address());
  Pick({MakeFile("one.txt", 100)});
  ASSERT_TRUE(UploadFiles());
  ASSERT_FALSE(Host().Call("GetServerResponse").Text().empty());

  for (const char* status : {"500", "404"}) {
    ReceiverProcess failing(Receiver({"--status", status}));
    ASSERT_TRUE(Host().Put("Normal_ServerName", failing.Address()).ok());
    const std::string file = MakeFile(std::string("two ") + status + ".txt", 100);
    Pick({file});
    ASSERT_TRUE(Host().Call("AddDeleteFile", {std::int32_t{3}, std::int32_t{10}, false}).ok());
    Host().Events().Clear();
    pw::ClearMessageBoxLog();

    EXPECT_FALSE(UploadFiles());

    const int code = std::stoi(status);
    EXPECT_EQ(EventLog(), (Names{"StartUpload()", Failed(code, StatusText(code))}));
    EXPECT_EQ(Messages(), (Names{StatusText(code)}));
    EXPECT_EQ(Host().Call("GetServerResponse").Text(), "");
    EXPECT_EQ(Count("ATTACH_FILE"), 1);
    EXPECT_EQ(Count("DELETE_FILE"), 1);
    EXPECT_EQ(CountOf(failing.Output(), "POST "), 1);

    ExpectRetrySucceeds(good, {file});
    EXPECT_EQ(LastReply()["fields"][1]["value"], "3,");
  }
}

TEST_F(UploadTest, AFileDeletedAfterItWasListedIsShownAndTheRetryWithTheFileBackSucceeds) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address());
  const std::string kept = MakeFile("kept.txt", 100);
  const std::string gone = MakeFile("gone.txt", 100);
  Pick({kept, gone});
  const std::string bytes = drevtest::ReadFileBytes(gone);
  std::filesystem::remove(gone);
  Host().Events().Clear();

  EXPECT_FALSE(UploadFiles());

  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(Messages()[0].empty());
  EXPECT_EQ(EventLog(), (Names{"StartUpload()", Failed(0, Messages()[0])}));
  EXPECT_EQ(Count("ATTACH_FILE"), 2);

  std::ofstream(gone, std::ios::binary) << bytes;
  ExpectRetrySucceeds(receiver, {kept, gone});
}

TEST_F(UploadTest, AConnectionResetDuringTheBodyIsShownAndFails) {
  ReceiverProcess dropping(Receiver({"--drop-after", "20000"}));
  ReceiverProcess good(Receiver());
  Place(dropping.Address());
  const std::string file = MakeFile("long.bin", 400000);
  Pick({file});

  EXPECT_FALSE(UploadFiles());

  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_FALSE(Messages()[0].empty());
  EXPECT_EQ(EventLog(), (Names{"StartUpload()", Failed(0, Messages()[0])}));
  EXPECT_EQ(Host().Call("GetServerResponse").Text(), "");
  EXPECT_EQ(Count("ATTACH_FILE"), 1);
  ExpectRetrySucceeds(good, {file});
}

// A server of the test's own on port 80 of a fresh loopback address: it reads the request's head and,
// when `readBody`, the body its Content-Length declares, then writes `answer` (perhaps nothing) and
// closes the connection.
class RawServer {
 public:
  RawServer(std::string answer, bool readBody) : address_(drevtest::UniqueLoopbackAddress(kAddressBase)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(80);
    ::inet_pton(AF_INET, address_.c_str(), &at.sin_addr);
    EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at), 0) << std::strerror(errno);
    EXPECT_EQ(::listen(listener_, 4), 0);
    thread_ = std::thread([this, answer = std::move(answer), readBody] { Serve(answer, readBody); });
  }
  ~RawServer() {
    ::shutdown(listener_, SHUT_RDWR);
    thread_.join();
    ::close(listener_);
  }
  const std::string& Address() const { return address_; }
  int Requests() const { return requests_.load(); }

 private:
  void Serve(const std::string& answer, bool readBody) {
    for (;;) {
      const int connection = ::accept(listener_, nullptr, nullptr);
      if (connection < 0) return;
      ++requests_;
      std::string received;
      char piece[4096];
      std::size_t headEnd = std::string::npos;
      std::size_t bodyBytes = 0;
      while (headEnd == std::string::npos || received.size() < headEnd + 4 + bodyBytes) {
        const ssize_t got = ::recv(connection, piece, sizeof piece, 0);
        if (got <= 0) break;
        received.append(piece, static_cast<std::size_t>(got));
        if (headEnd != std::string::npos) continue;
        headEnd = received.find("\r\n\r\n");
        const std::size_t length = received.find("Content-Length: ");
        if (readBody && headEnd != std::string::npos && length < headEnd) {
          bodyBytes = std::stoul(received.substr(length + 16));
        }
      }
      if (!answer.empty()) (void)::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
      ::close(connection);
    }
  }

  std::string address_;
  int listener_ = -1;
  std::thread thread_;
  std::atomic<int> requests_{0};
};

TEST_F(UploadTest, ARawServerThatClosesAnswersGarbageOrAnErrorStatusFailsTheUploadEachTime) {
  ReceiverProcess good(Receiver());
  Place(good.Address());
  const std::string file = MakeFile("one.txt", 3000);
  Pick({file});
  struct Case {
    std::string answer;
    bool readBody;
    int status;                   // the status the page is given
    std::string reason;           // the box's text when the test knows it (UTF-8), else any text
  };
  const Case cases[] = {
      {"", false, 0, ""},                                       // closed after the head
      {"", true, 0, ""},                                        // closed after the body
      {"this is no HTTP\r\n\r\n", true, 0, ""},                 // not an answer
      {"HTTP/1.0 404 Not Found\r\nContent-Length: 2\r\n\r\nno", true, 404, StatusText(404)},
      {"HTTP/1.0 302 Found\r\nLocation: /elsewhere\r\n\r\n", true, 302, StatusText(302)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    RawServer raw(c.answer, c.readBody);
    ASSERT_TRUE(Host().Put("Normal_ServerName", raw.Address()).ok());
    Host().Events().Clear();
    pw::ClearMessageBoxLog();

    EXPECT_FALSE(UploadFiles());

    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(Messages()[0].empty());
    if (!c.reason.empty()) {
      EXPECT_EQ(Messages()[0], c.reason);
    }
    EXPECT_EQ(EventLog(), (Names{"StartUpload()", Failed(c.status, Messages()[0])}));
    EXPECT_EQ(Host().Call("GetServerResponse").Text(), "");
    EXPECT_EQ(Count("ATTACH_FILE"), 1);
    EXPECT_GE(raw.Requests(), 1);
  }
  ExpectRetrySucceeds(good, {file});
}

TEST_F(UploadTest, AnUnreachableServerIsShownAndTheUploadEndsOnlyAfterTheBoxIsClosed) {
  Place(drevtest::UniqueLoopbackAddress(kAddressBase));  // nothing listens there
  const std::string file = MakeFile("one.txt", 100);
  Pick({file});
  const plat::DWORD uiThread = plat::kernel::GetCurrentThreadId();
  std::atomic<bool> uploadReturned{false};
  std::atomic<bool> boxClosed{false};
  std::atomic<int> ticksWhileOpen{0};
  DialogWatcher watcher([](pw::HWND) {});
  {
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

    EXPECT_FALSE(UploadFiles());
    uploadReturned = true;
    Host().Events().onEvent = nullptr;

    EXPECT_GE(ticksWhileOpen.load(), 5);
    const std::string refused = plat::inet::InternetErrorDescription(plat::inet::ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_EQ(EventLog(), (Names{"StartUpload()", Failed(0, plat::text::Cp949ToUtf8(refused))}));
    std::vector<pw::MessageBoxRecord> shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, refused);
    EXPECT_FALSE(shown[0].text.empty());
    EXPECT_EQ(shown[0].caption, AfxGetAppName());
    EXPECT_EQ(shown[0].type, pw::MB_OK | pw::MB_ICONEXCLAMATION);
    EXPECT_NE(shown[0].threadId, uiThread);
    EXPECT_EQ(Count("ATTACH_FILE"), 1);
  }
  ReceiverProcess good(Receiver());
  ExpectRetrySucceeds(good, {file});
}

}  // namespace
}  // namespace drev::testing
