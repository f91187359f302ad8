// The control on a real X server: real pointer and key input from xdotool, the GTK file chooser, an
// XDND drag from a second X client, the progress dialog's 취소 and a message box, with the results
// read from the control's events and the pixels from the X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/base/types.h"
#include "platform/text/text.h"
#include "tests/receiver/receiver_process.h"
#include "tests/screen/screen_support.h"

namespace drev::screentest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using plat::GetBValue;
using plat::GetGValue;
using plat::GetRValue;

std::string Bin(const std::string& name) { return std::string(DREV_BINARY_DIR) + "/bin/" + name; }

std::vector<int> Numbers(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  std::vector<int> numbers;
  for (int n; in >> n;) numbers.push_back(n);
  return numbers;
}

void Xdo(const std::string& args) {
  int status = 0;
  Shell("xdotool " + args + " 2>&1", &status);
  EXPECT_EQ(status, 0) << "xdotool " << args;
}

// Where screenshots for the documentation go, when asked for (DREV_SCREENSHOT_DIR).
std::string ShotPath(const std::string& name) {
  const char* dir = std::getenv("DREV_SCREENSHOT_DIR");
  return dir && *dir ? std::string(dir) + "/" + name : std::string();
}

bool Dark(plat::COLORREF c) { return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80; }

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (Display(&why).empty()) GTEST_SKIP() << why;
    dir_ = fs::temp_directory_path() / ("drev-screen-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override {
    host_.reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string File(const std::string& name, std::size_t size) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    return path;
  }

  // screen-host with the control placed (its properties first) and its window on screen.
  Child& Host(const std::vector<std::pair<std::string, std::string>>& props = {}) {
    host_ = std::make_unique<Child>(std::vector<std::string>{Bin("screen-host")},
                                    std::map<std::string, std::string>{{"GSETTINGS_BACKEND", "memory"},
                                                                       {"NO_AT_BRIDGE", "1"}});
    EXPECT_TRUE(host_->WaitFor("ready")) << "screen-host did not start";
    for (const auto& [name, value] : props) {
      host_->Send("prop " + name + " " + value);
      host_->WaitFor("ok");
    }
    host_->Send("place 600 200");
    EXPECT_TRUE(host_->WaitFor("placed"));
    window_ = FindXWindow("^DREV screen test$");
    EXPECT_NE(window_, 0u) << "the control's window is not on the screen";
    return *host_;
  }

  // Adds local files through the queued answer of the open-file dialog.
  void Attach(const std::vector<std::string>& paths) {
    std::string line = "queue";
    for (const auto& p : paths) line += " " + p;
    host_->Send(line);
    host_->WaitFor("ok");
    host_->Send("call AttachFiles");
    ASSERT_TRUE(host_->WaitFor("result AttachFiles"));
  }

  // A control pointed at the receiver, a 16 MB file in its list and UploadFiles called: with a
  // receiver that reads slowly, the progress dialog stays up for the test to act on.
  void StartSlowUpload(const drevtest::ReceiverProcess& receiver) {
    Host({{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/upload"}});
    Attach({File("big.bin", 16 * 1024 * 1024)});
    host_->Send("call SetMaxUploadSize 100000000");
    ASSERT_TRUE(host_->WaitFor("result SetMaxUploadSize"));
    host_->Send("call UploadFiles");
  }

  int CountSeen(const std::string& prefix) const {
    int n = 0;
    for (const auto& line : host_->Seen()) n += line.rfind(prefix, 0) == 0;
    return n;
  }

  fs::path dir_;
  std::unique_ptr<Child> host_;
  unsigned long window_ = 0;
};

// Dark pixels of a check-box cell as the X server shows it: the box's edges, and the tick when set.
int DarkPixels(const plat::gdi::Surface& shot, const std::vector<int>& cell) {
  int dark = 0;
  for (int y = std::max(0, cell[3] - 2); y < cell[5] + 2; ++y)
    for (int x = 0; x < cell[4] + 4; ++x) dark += Dark(shot.GetPixel(x, y));
  return dark;
}

TEST_F(ScreenTest, PointerClickTicksRowBoxAndTickedRowIsRemoved) {
  Host();
  Attach({File("first.txt", 3), File("second.txt", 5)});
  host_->Send("cell 1 0");
  auto cell = Numbers(*host_->WaitFor("cell"));
  ASSERT_EQ(cell.size(), 6u);
  auto before = Snapshot(window_);
  ASSERT_TRUE(before);
  int edges = DarkPixels(*before, cell);
  EXPECT_GT(edges, 20) << "no check box on the screen";

  Xdo("mousemove --window " + std::to_string(window_) + " " + std::to_string(cell[0]) + " " +
      std::to_string(cell[1]) + " click 1");
  std::this_thread::sleep_for(500ms);
  auto after = Snapshot(window_, ShotPath("screen-list.png"));
  ASSERT_TRUE(after);
  // The tick is seven strokes of three pixels.
  EXPECT_GE(DarkPixels(*after, cell) - edges, 15) << "no tick drawn on the screen after the click";

  // Only the ticked second row goes.
  host_->Send("call DeleteSelectedItem");
  ASSERT_TRUE(host_->WaitFor("result DeleteSelectedItem"));
  EXPECT_EQ(CountSeen("event OnFileDeleted(5, 3)"), 1);
  EXPECT_EQ(CountSeen("event OnFileDeleted"), 1);
}

// Opens the file chooser through AttachFiles and types `path` into its location bar, as a person would.
void ChooseByTyping(Child& host, const std::string& path) {
  host.Send("call AttachFiles");
  unsigned long chooser = FindXWindow("^열기$");
  ASSERT_NE(chooser, 0u) << "no file chooser on the screen";
  Xdo("windowfocus --sync " + std::to_string(chooser));
  Xdo("key --clearmodifiers ctrl+l");
  std::this_thread::sleep_for(300ms);
  Xdo("type --delay 20 '" + path + "'");
  std::this_thread::sleep_for(300ms);
  Xdo("key Return");
  ASSERT_TRUE(host.WaitFor("result AttachFiles"));
}

TEST_F(ScreenTest, FileChooserTakesTypedPath) {
  ASSERT_NO_FATAL_FAILURE(ChooseByTyping(Host(), File("picked.txt", 11)));
  EXPECT_EQ(CountSeen("event OnFileAppended(11, 11)"), 1);
}

// A Korean path typed into the chooser (GTK gives it in UTF-8) comes back to the control as the
// same file, its row named as on disk.
TEST_F(ScreenTest, FileChooserTakesATypedKoreanPath) {
  fs::create_directories(dir_ / "사진 폴더");
  ASSERT_NO_FATAL_FAILURE(ChooseByTyping(Host(), File("사진 폴더/가족 여행.txt", 23)));
  EXPECT_EQ(CountSeen("event OnFileAppended(23, 23)"), 1);
  host_->Send("row 0 1");
  EXPECT_EQ(host_->WaitFor("row"), "row 가족 여행.txt");
}

TEST_F(ScreenTest, FileChooserCancelAddsNothing) {
  Host();
  host_->Send("call AttachFiles");
  unsigned long chooser = FindXWindow("^열기$");
  ASSERT_NE(chooser, 0u);
  Xdo("windowfocus --sync " + std::to_string(chooser));
  Xdo("key Escape");
  ASSERT_TRUE(host_->WaitFor("result AttachFiles"));
  EXPECT_EQ(CountSeen("event OnFileAppended"), 0);
}

// Drags from drag-source (at the right of the screen) onto the list, as a person would.
void DragOnto(unsigned long source, int toX, int toY) {
  Xdo("mousemove --window " + std::to_string(source) + " 80 50");
  Xdo("mousedown 1");
  auto geometry = Shell("xdotool getmouselocation --shell");
  int fromX = 0, fromY = 0;
  std::sscanf(geometry.c_str(), "X=%d\nY=%d", &fromX, &fromY);
  for (int i = 1; i <= 20; ++i) {
    Xdo("mousemove " + std::to_string(fromX + (toX - fromX) * i / 20) + " " + std::to_string(fromY + (toY - fromY) * i / 20));
    std::this_thread::sleep_for(50ms);
  }
  Xdo("mouseup 1");
}

TEST_F(ScreenTest, FilesDraggedFromAnotherClientArriveInOrderAndOtherUrisAreRefused) {
  Host();
  std::string one = File("one.txt", 3), two = File("two.txt", 7);
  {
    Child source({Bin("drag-source"), "file://" + one, "file://" + two}, {{"GSETTINGS_BACKEND", "memory"}, {"NO_AT_BRIDGE", "1"}});
    ASSERT_TRUE(source.WaitFor("ready", 15s));
    unsigned long sourceWindow = FindXWindow("^drag source$");
    ASSERT_NE(sourceWindow, 0u);
    DragOnto(sourceWindow, 300, 100);
    ASSERT_TRUE(host_->WaitFor("event OnFileAppended(7, 10)", 10s)) << "the drop did not arrive";
    auto seen = host_->Seen();
    auto first = std::find(seen.begin(), seen.end(), "event OnFileAppended(3, 3)");
    EXPECT_NE(first, seen.end()) << "the first dropped file is missing or out of order";
  }
  {
    Child source({Bin("drag-source"), "http://example.com/page.html"}, {{"GSETTINGS_BACKEND", "memory"}, {"NO_AT_BRIDGE", "1"}});
    ASSERT_TRUE(source.WaitFor("ready", 15s));
    unsigned long sourceWindow = FindXWindow("^drag source$");
    DragOnto(sourceWindow, 300, 100);
    EXPECT_TRUE(source.WaitFor("finished", 10s));
    host_->Send("call GetUploadSize");
    ASSERT_TRUE(host_->WaitFor("result GetUploadSize"));
    EXPECT_EQ(CountSeen("event OnFileAppended"), 2) << "a web address was taken as a file";
  }
}

// A file:// URI of a path, every byte but the unreserved ones and '/' percent-encoded.
std::string FileUri(const std::string& path) {
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      uri += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      uri += hex;
    }
  }
  return uri;
}

// Every request's bytes the receiver recorded (--save-raw), one after the other.
std::string RawRecord(const drevtest::ReceiverProcess& receiver) {
  std::string all;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(receiver.RawDir(), ignored)) all += drevtest::ReadFileBytes(entry.path());
  return all;
}

TEST_F(ScreenTest, KoreanNamesDroppedAreRowsAndGoOutAsCp949) {
  drevtest::ReceiverProcess receiver(drevtest::ReceiverSetup{{}, true, 133});
  Host({{"Normal_ServerName", receiver.Address()}, {"Normal_UploadURL", "/upload"}});
  const std::string minutes = File("회의록 2026.txt", 13);
  const std::string photos = File("사진 목록.txt", 6);

  // Dragged from another client: the URIs carry the names percent-encoded, as file managers send
  // them. A name that CP949 cannot hold is left out of the drop with a box naming it; the Korean one
  // arrives once the box is answered.
  const std::string smiley = File("\xF0\x9F\x99\x82 메모.txt", 2);
  {
    Child source({Bin("drag-source"), FileUri(smiley), FileUri(minutes), FileUri(photos)}, {{"GSETTINGS_BACKEND", "memory"}, {"NO_AT_BRIDGE", "1"}});
    ASSERT_TRUE(source.WaitFor("ready", 15s));
    unsigned long sourceWindow = FindXWindow("^drag source$");
    ASSERT_NE(sourceWindow, 0u);
    DragOnto(sourceWindow, 300, 100);
    unsigned long box = FindXWindow("^파일 끌어 놓기$");
    ASSERT_NE(box, 0u) << "no box for the name CP949 cannot hold";
    Xdo("windowfocus --sync " + std::to_string(box));
    Xdo("key Return");
    ASSERT_TRUE(host_->WaitFor("event OnFileAppended(13, 13)", 10s)) << "the first dropped Korean name did not arrive";
    ASSERT_TRUE(host_->WaitFor("event OnFileAppended(6, 19)", 10s)) << "the second dropped Korean name did not arrive";
  }
  EXPECT_EQ(CountSeen("event OnFileAppended"), 2) << "a name CP949 cannot hold was taken";

  // The rows name the files as they are called on disk.
  host_->Send("row 0 1");
  EXPECT_EQ(host_->WaitFor("row"), "row 회의록 2026.txt");
  host_->Send("row 1 1");
  EXPECT_EQ(host_->WaitFor("row"), "row 사진 목록.txt");

  // The upload names each file by its path in the control's code page (CP949), byte for byte.
  host_->Send("call SetMaxUploadSize 100000000");
  ASSERT_TRUE(host_->WaitFor("result SetMaxUploadSize"));
  host_->Send("call UploadFiles");
  ASSERT_TRUE(host_->WaitFor("result UploadFiles", 20s)) << Shell("xdotool search --onlyvisible --name . getwindowname %@") << receiver.Output();
  const std::string sent = RawRecord(receiver);
  for (const std::string& path : {minutes, photos}) {
    const std::string cp949 = plat::text::Utf8ToCp949(path);
    ASSERT_NE(cp949, path);
    EXPECT_NE(sent.find("filename=\"" + cp949 + "\""), std::string::npos) << "not sent in CP949: " << path;
    EXPECT_EQ(sent.find(path), std::string::npos) << "sent in UTF-8: " << path;
  }
}

// The receiver's record once it has a line for the upload's request (it writes that line when the
// body has ended, whole or cut short); what it has after 30 s otherwise.
std::string ReceiverRecordOfRequest(const drevtest::ReceiverProcess& receiver) {
  std::string record = receiver.Output();
  for (int i = 0; i < 300 && record.find("POST ") == std::string::npos; ++i) {
    std::this_thread::sleep_for(100ms);
    record = receiver.Output();
  }
  return record;
}

TEST_F(ScreenTest, CancelPressedWithPointerEndsSlowUpload) {
  // 16 MB at 1 MB a second (more than the loopback's socket buffers hold): some fifteen seconds, of
  // which the test waits a few.
  drevtest::ReceiverProcess receiver(drevtest::ReceiverSetup{{"--read-rate", "1000000"}, false, 131});
  StartSlowUpload(receiver);
  unsigned long dialog = FindXWindow("^Drev Upload$");
  ASSERT_NE(dialog, 0u) << "no progress dialog on the screen";
  std::this_thread::sleep_for(2500ms);
  host_->Send("button Drev Upload 204");
  auto bar = Numbers(*host_->WaitFor("button"));
  host_->Send("button Drev Upload 202");
  auto cancel = Numbers(*host_->WaitFor("button"));
  ASSERT_EQ(bar.size(), 6u);
  ASSERT_EQ(cancel.size(), 6u);
  auto shot = Snapshot(dialog, ShotPath("screen-progress.png"));
  ASSERT_TRUE(shot);
  // The bar's start is the gradient's first colour (pure blue).
  plat::COLORREF start = shot->GetPixel(bar[2] + 3, (bar[3] + bar[5]) / 2);
  EXPECT_GT(GetBValue(start), 150);
  EXPECT_LT(GetRValue(start), 100);
  EXPECT_EQ(CountSeen("result UploadFiles"), 0);

  Xdo("mousemove " + std::to_string(cancel[0]) + " " + std::to_string(cancel[1]) + " click 1");
  auto result = host_->WaitFor("result UploadFiles", 10s);
  ASSERT_TRUE(result) << "취소 did not end the upload";
  EXPECT_EQ(*result, "result UploadFiles 0");
  EXPECT_EQ(CountSeen("event CancelUpload()"), 1);
  EXPECT_TRUE(XWindowGone("^Drev Upload$")) << "the progress dialog stayed on the screen";

  // The receiver, once it has read what was on the way, records the request as cut short, not as
  // an upload it took whole.
  const std::string record = ReceiverRecordOfRequest(receiver);
  ASSERT_NE(record.find("POST /upload"), std::string::npos) << "the receiver recorded no end of the request";
  EXPECT_EQ(record.find("-> 200"), std::string::npos) << "a cancelled upload was taken whole:\n" << record;
}

TEST_F(ScreenTest, EscapeInProgressDialogCancelsUpload) {
  drevtest::ReceiverProcess receiver(drevtest::ReceiverSetup{{"--read-rate", "1000000"}, false, 132});
  StartSlowUpload(receiver);
  unsigned long dialog = FindXWindow("^Drev Upload$");
  ASSERT_NE(dialog, 0u);
  std::this_thread::sleep_for(1000ms);
  Xdo("windowfocus --sync " + std::to_string(dialog));
  Xdo("key Escape");
  auto result = host_->WaitFor("result UploadFiles", 10s);
  ASSERT_TRUE(result) << "Escape did not end the upload";
  EXPECT_EQ(*result, "result UploadFiles 0");
  EXPECT_EQ(CountSeen("event CancelUpload()"), 1);
  const std::string record = ReceiverRecordOfRequest(receiver);
  ASSERT_NE(record.find("POST /upload"), std::string::npos) << "the receiver recorded no end of the request";
  EXPECT_EQ(record.find("-> 200"), std::string::npos) << "a cancelled upload was taken whole:\n" << record;
}

TEST_F(ScreenTest, WorkerMessageBoxWaitsForEnter) {
  // Nobody listens there: the worker's connection fails and it asks for a message box.
  std::string nobody = drevtest::UniqueLoopbackAddress(151);
  Host({{"Normal_ServerName", nobody}, {"Normal_UploadURL", "/upload"}});
  Attach({File("lonely.txt", 4)});
  host_->Send("call UploadFiles");
  unsigned long box = FindXWindow("^zelk$");
  ASSERT_NE(box, 0u) << "no message box on the screen";
  // The upload waits for the user.
  EXPECT_FALSE(host_->WaitFor("result UploadFiles", 1500ms));
  Xdo("windowfocus --sync " + std::to_string(box));
  Xdo("key Return");
  ASSERT_TRUE(host_->WaitFor("result UploadFiles", 15s)) << "Enter did not answer the box";
  EXPECT_TRUE(XWindowGone("^zelk$"));
}

}  // namespace
}  // namespace drev::screentest
