// The UTF-8 form a page asks for with <param name="Utf8Form" value="1">, against a server that reads
// part headers as strictly as Werkzeug does, and the request as it has always been without it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/text/text.h"
#include "tests/session/upload_fixture.h"

namespace drev::testing {
namespace {

using drevtest::ReceiverProcess;
using drevtest::Hex;
using nlohmann::json;
using Names = std::vector<std::string>;

// tests/session/data/strict_form_server.py on port 80 of a fresh loopback address, for the life of
// the object.
class StrictFormServer {
 public:
  StrictFormServer() : address_(drevtest::UniqueLoopbackAddress(kAddressBase)) {
    int out[2];
    EXPECT_EQ(::pipe(out), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      const std::string script = DREV_SOURCE_DIR "/tests/session/data/strict_form_server.py";
      ::execlp("python3", "python3", script.c_str(), address_.c_str(), "80", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(out[1]);
    FILE* lines = ::fdopen(out[0], "r");
    char line[64] = {};
    ready_ = std::fgets(line, sizeof line, lines) != nullptr && std::string(line) == "ready\n";
    std::fclose(lines);
    EXPECT_TRUE(ready_) << "the strict form server did not start";
  }
  ~StrictFormServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Address() const { return address_; }

 private:
  std::string address_;
  pid_t pid_ = -1;
  bool ready_ = false;
};

// A Korean folder, a Korean file in it, a Korean image field and parameter.
class Utf8FormTest : public UploadTest {
 protected:
  void Fill() {
    std::filesystem::create_directories(dir_ / "사진 폴더");
    file_ = MakeFile("사진 폴더/가족 여행.txt", 300);
    image_ = MakeFile("사진 폴더/얼굴.png", 200);
    Pick({file_});
    ASSERT_TRUE(Host().Call("AddImage", {"사진", image_}).ok());
    ASSERT_TRUE(Host().Call("AddParameter", {"제목", "회의록"}).ok());
    Host().Events().Clear();
  }
  std::string file_;
  std::string image_;
};

TEST_F(Utf8FormTest, AStrictServerReadsEveryPartWithTheFilesOwnNamesAndThePageReadsItsUtf8Reply) {
  StrictFormServer server;
  Place(server.Address(), {{"Utf8Form", "1"}});
  Fill();

  EXPECT_TRUE(UploadFiles());

  EXPECT_EQ(EventNames(), (Names{"StartUpload", "ChangeFileList", "OnContentReceived"}));
  json reply = LastReply();
  EXPECT_EQ(reply["note"], "받았습니다");
  const json& parts = reply["parts"];
  ASSERT_EQ(parts.size(), 5u) << reply.dump();
  EXPECT_EQ(parts[0]["name"], "DELETE_FILE_COUNT");
  EXPECT_EQ(parts[1]["name"], "DELETE_FILES");
  EXPECT_EQ(parts[2]["name"], "제목");
  EXPECT_TRUE(parts[2]["filename"].is_null());
  // One ATTACH_FILES per file, named by the file's own name: the user's folders stay at home.
  EXPECT_EQ(parts[3]["name"], "ATTACH_FILES");
  EXPECT_EQ(parts[3]["filename"], "가족 여행.txt");
  EXPECT_EQ(parts[3]["size"], 300);
  EXPECT_EQ(parts[4]["name"], "사진");
  EXPECT_EQ(parts[4]["filename"], "얼굴.png");
  EXPECT_EQ(parts[4]["size"], 200);
}

TEST_F(Utf8FormTest, WithoutTheParamTheRequestIsAsAlwaysAndAStrictServerRefusesIt) {
  StrictFormServer server;
  Place(server.Address(), {{"Utf8Form", "0"}});
  Fill();

  EXPECT_FALSE(UploadFiles());
  EXPECT_EQ(EventNames(), (Names{"StartUpload", "UploadFailed"}));
  EXPECT_EQ(Messages(), (Names{"서버가 오류를 돌려주었습니다(상태 400)."}));

  // The receiver shows the bytes: code page 949, the whole local path.
  ReceiverProcess receiver(Receiver());
  ASSERT_TRUE(Host().Put("Normal_ServerName", receiver.Address()).ok());
  EXPECT_TRUE(UploadFiles());
  json reply = LastReply();
  const json& files = reply["files"];
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0]["filenameHex"], Hex(plat::text::Utf8ToCp949(file_)));
}

TEST_F(Utf8FormTest, TheParamTakesTrueInAnyCaseAndTheReceiverSeesUtf8Bytes) {
  ReceiverProcess receiver(Receiver());
  Place(receiver.Address(), {{"Utf8Form", "True"}});
  Fill();
  EXPECT_TRUE(UploadFiles());
  json reply = LastReply();
  const json& files = reply["files"];
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0]["filenameHex"], Hex("가족 여행.txt"));
  EXPECT_EQ(files[1]["nameHex"], Hex("사진"));
  EXPECT_EQ(reply["fields"][2]["nameHex"], Hex("제목"));
  EXPECT_EQ(reply["fields"][2]["valueHex"], Hex("회의록"));
}

}  // namespace
}  // namespace drev::testing
