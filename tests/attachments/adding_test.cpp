// Adding files through the control: picked and dropped files with the count limit, files the server
// holds, images, the rows they become, and the failures of reading a file.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "control/CurrentControl.h"
#include "model/PrivateMessages.h"
#include "model/SystemErrorText.h"
#include "platform/gdi/syscolor.h"
#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "platform/registry/registry.h"
#include "platform/shell/system_icons.h"
#include "tests/attachments/attach_fixture.h"

namespace drev::testing {
namespace {

using Log = std::vector<std::string>;
namespace shell = plat::shell;

const char* const kLimitMessage = "10개 이상 파일을 추가 할 수 없습니다.";

// The system's text for an error, as a page's user reads it (UTF-8).
std::string SystemText(plat::DWORD error) {
  char buffer[512] = {};
  plat::DWORD capacity = sizeof buffer;
  EXPECT_TRUE(GetSystemErrorText(error, buffer, &capacity));
  return plat::text::Cp949ToUtf8(buffer);
}

void SetContentType(const std::string& key, const std::string& type) {
  namespace reg = plat::registry;
  reg::HKEY handle = nullptr;
  ASSERT_EQ(reg::RegCreateKeyExA(reg::HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, reg::KEY_ALL_ACCESS, nullptr,
                                 &handle, nullptr),
            0);
  ASSERT_EQ(reg::RegSetValueExA(handle, "Content Type", 0, reg::REG_SZ, reinterpret_cast<const plat::BYTE*>(type.c_str()),
                                static_cast<plat::DWORD>(type.size() + 1)),
            0);
  reg::RegCloseKey(handle);
}

using AddingTest = AttachTest;

TEST_F(AddingTest, PickedFilesStopAtTheCountLimitWithOneMessage) {
  Pick(MakeFiles("first", 8));
  ASSERT_EQ(Rows(), 8);
  EXPECT_TRUE(Messages().empty());
  Host().Events().Clear();

  std::vector<std::string> more = MakeFiles("more", 5);
  Pick(more);
  EXPECT_EQ(Rows(), 10);
  EXPECT_EQ(Row(8).m_strPath, more[0]);
  EXPECT_EQ(Row(9).m_strPath, more[1]);
  EXPECT_EQ(Messages(), Log{kLimitMessage});
  auto box = plat::win::MessageBoxLog().front();
  EXPECT_EQ(box.caption, "zelk");
  EXPECT_EQ(box.type, plat::win::MB_OK | plat::win::MB_ICONEXCLAMATION);
  // Each added row is recounted, then announced with the new total.
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"900Byte\", \"0Byte\")", "OnFileAppended(100, 900)",
                             "ChangeFileList(\"1000Byte\", \"0Byte\")", "OnFileAppended(100, 1000)"}));
}

TEST_F(AddingTest, DroppedFilesStopAtTheCountLimitWithOneMessage) {
  Drop(MakeFiles("first", 8));
  ASSERT_EQ(Rows(), 8);
  Drop(MakeFiles("more", 5));
  EXPECT_EQ(Rows(), 10);
  EXPECT_EQ(Messages(), Log{kLimitMessage});
}

TEST_F(AddingTest, ServerRowsCountAgainstTheLimitWhileImagesAreStillTaken) {
  for (int i = 0; i < 10; ++i)
    ASSERT_TRUE(Host().Call("AddPreUploadFile", {"server" + std::to_string(i) + ".doc", i, 10, false}).ok());
  ASSERT_EQ(Rows(), 10);
  Host().Events().Clear();

  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"eleventh.doc", 11, 10, false}).ok());
  EXPECT_EQ(Rows(), 10);
  EXPECT_EQ(Messages(), Log{kLimitMessage});
  // No row and no OnFileAppended; only the recount that every AddPreUploadFile ends with.
  EXPECT_EQ(EventLog(), Log{"ChangeFileList(\"100Byte\", \"0Byte\")"});

  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"photo.jpg", 12, 2048, true}).ok());
  EXPECT_EQ(EventLog(), Log{"ChangeFileList(\"100Byte\", \"2KB\")"});
  ASSERT_EQ(Frame().GetImageRecords().size(), 1u);

  Pick({MakeFile("local.txt")});
  EXPECT_EQ(Rows(), 10);
  EXPECT_EQ(Messages(), (Log{kLimitMessage, kLimitMessage}));
}

TEST_F(AddingTest, ALocalRowAndAServerRowLookAsTheirKindsDo) {
  Pick({MakeFile("notes.txt", 2048)});
  Host().Events().Clear();
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"보고서.pdf", 77, 3 * 1048576, false}).ok());
  // A listed server file is counted twice: once by its row, once at the end of AddPreUploadFile.
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"3MB\", \"0Byte\")", "OnFileAppended(3145728, 3147776)",
                             "ChangeFileList(\"3MB\", \"0Byte\")"}));
  ASSERT_EQ(Rows(), 2);

  CXListCtrl& list = Frame().GetListCtrl();
  const CAttachFile& local = Row(0);
  EXPECT_EQ(local.m_strPath, (dir_ / "notes.txt").string());
  EXPECT_EQ(local.m_strName, "notes.txt");
  EXPECT_EQ(local.m_strExt, ".txt");
  EXPECT_EQ(local.m_strContentType, "text/plain");
  EXPECT_EQ(local.m_nSize, 2048);
  EXPECT_EQ(local.m_bServer, 0);
  EXPECT_EQ(local.m_nFileId, -1);
  EXPECT_EQ(local.m_nKind, -1);
  EXPECT_EQ(list.GetItemText(0, 0), "");
  EXPECT_EQ(list.GetItemText(0, 1), "notes.txt");
  EXPECT_EQ(list.GetItemText(0, 2), "2KB");
  XListRowData* cells = list.GetRowData(0);
  ASSERT_NE(cells, nullptr);
  EXPECT_EQ(cells->Cell(0)->check, 0);
  EXPECT_EQ(cells->Cell(1)->image, shell::kIconText);
  for (int column : {1, 2}) {
    EXPECT_EQ(cells->Cell(column)->textColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOWTEXT));
    EXPECT_EQ(cells->Cell(column)->backColor, plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOW));
  }

  const CAttachFile& server = Row(1);
  EXPECT_EQ(server.m_strName, Ansi("보고서.pdf"));
  EXPECT_EQ(server.m_strPath, Ansi("보고서.pdf"));
  EXPECT_EQ(server.m_strExt, "");
  EXPECT_EQ(server.m_strContentType, "application/octet-stream");
  EXPECT_EQ(server.m_bServer, 1);
  EXPECT_EQ(server.m_nFileId, 77);
  EXPECT_EQ(list.GetItemText(1, 1), Ansi("보고서.pdf"));
  EXPECT_EQ(list.GetItemText(1, 2), "3MB");
  cells = list.GetRowData(1);
  ASSERT_NE(cells, nullptr);
  EXPECT_EQ(cells->Cell(0)->check, 0);
  EXPECT_EQ(cells->Cell(1)->image, shell::kIconPdf);
  for (int column : {1, 2}) {
    EXPECT_EQ(cells->Cell(column)->textColor, 0x787878u);
    EXPECT_EQ(cells->Cell(column)->backColor, 0xFFFFFFu);
  }
}

TEST_F(AddingTest, NamesWithoutADotAndKoreanNamesGetTheirExtensionsAndTypes) {
  SetContentType("LICENSE", "text/x-license");
  Pick({MakeFile("README"), MakeFile("LICENSE"), MakeFile("한글 보고서.hwp"), MakeFile("archive.tar.GZ")});
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(Row(0).m_strExt, "README");  // no dot: the whole name
  EXPECT_EQ(Row(0).m_strContentType, "application/octet-stream");
  EXPECT_EQ(Row(1).m_strContentType, "text/x-license");
  EXPECT_EQ(Row(2).m_strName, Ansi("한글 보고서.hwp"));
  EXPECT_EQ(Row(2).m_strExt, ".hwp");
  EXPECT_EQ(Row(2).m_strContentType, "application/x-hwp");
  EXPECT_EQ(Row(3).m_strExt, ".GZ");
  EXPECT_EQ(Row(3).m_strContentType, "application/gzip");
  // A value that does not fit the 512-byte read leaves the default.
  SetContentType(".long", std::string(600, 'a'));
  Pick({MakeFile("x.long")});
  EXPECT_EQ(Row(4).m_strContentType, "application/octet-stream");
}

TEST_F(AddingTest, EachFileOfABatchGetsTheTypeAndIconOfItsOwnExtension) {
  SetContentType(".kind", "image/x-kind");
  SetContentType("NOTES", "text/x-notes");
  Drop({MakeFile("a.kind"), MakeFile("b.txt"), MakeFile("c.kind"), MakeFile("d.pdf"), MakeFile("NOTES"),
        MakeFile("README"), MakeFile("e."), MakeFile("f.KIND"), MakeFile("g.txt")});
  ASSERT_EQ(Rows(), 9);
  const struct {
    const char* type;
    int icon;
  } expected[] = {{"image/x-kind", shell::kIconImage},         {"text/plain", shell::kIconText},
                  {"image/x-kind", shell::kIconImage},         {"application/pdf", shell::kIconPdf},
                  {"text/x-notes", shell::kIconDocument},      {"application/octet-stream", shell::kIconDocument},
                  {"application/octet-stream", shell::kIconDocument}, {"image/x-kind", shell::kIconImage},
                  {"text/plain", shell::kIconText}};
  for (int row = 0; row < 9; ++row) {
    SCOPED_TRACE(Row(row).m_strName);
    EXPECT_EQ(Row(row).m_strContentType, expected[row].type);
    EXPECT_EQ(Frame().GetListCtrl().GetRowData(row)->Cell(1)->image, expected[row].icon);
  }
}

TEST_F(AddingTest, ARegistryChangeBetweenTwoBatchesReachesTheSecond) {
  SetContentType(".kind", "text/x-kind");
  Drop({MakeFile("a.kind"), MakeFile("b.kind")});
  SetContentType(".kind", "image/x-kind");
  Pick({MakeFile("c.kind")});
  Drop({MakeFile("d.kind")});
  ASSERT_EQ(Rows(), 4);
  for (int row = 0; row < 4; ++row) {
    const bool before = row < 2;
    EXPECT_EQ(Row(row).m_strContentType, before ? "text/x-kind" : "image/x-kind");
    EXPECT_EQ(Frame().GetListCtrl().GetRowData(row)->Cell(1)->image, before ? shell::kIconText : shell::kIconImage);
  }
}

TEST_F(AddingTest, TheResetAfterAnUploadLetsGoOfEveryRowAndItsRecord) {
  Drop(MakeFiles("row", 4));
  ASSERT_EQ(Rows(), 4);
  Host().Events().Clear();
  GetCurrentControl()->SendToControl(UM_UPLOAD_FINISH, 0, 0);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(Count("ATTACH_FILE"), 0);
  EXPECT_EQ(Call32("GetUploadSize"), 0);
  EXPECT_EQ(EventLog(), (Log{"ChangeFileList(\"0Byte\", \"0Byte\")", "OnContentReceived(\"\")"}));
  // The list takes rows again, counted from nothing (the sanitizer finds no record left behind).
  Drop(MakeFiles("again", 2));
  EXPECT_EQ(Count("ATTACH_FILE"), 2);
  EXPECT_EQ(Call32("GetUploadSize"), 200);
}

TEST_F(AddingTest, TemporaryInternetFilesAreSkippedOnlyInTheirExactCase) {
  std::string cached = MakeFile("Temporary Internet Files/cached.png");
  std::string other = MakeFile("temporary internet files/kept.png");
  std::string plain = MakeFile("plain.png");
  Drop({cached, other, plain});
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Row(0).m_strPath, other);
  EXPECT_EQ(Row(1).m_strPath, plain);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AddingTest, ADroppedPathLongerThanThePathBufferIsRefusedAndTheOthersGoOn) {
  // 260 characters fill the path buffer; one more would have been cut to another path.
  const std::size_t nameFor260 = 260 - (dir_.string().size() + 1);
  std::string fits = MakeFile(std::string(nameFor260, 'a'));
  std::string tooLong = MakeFile(std::string(nameFor260 + 1, 'b'));
  ASSERT_EQ(fits.size(), 260u);
  std::string after = MakeFile("after.txt");
  Drop({tooLong, fits, after});
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(Row(0).m_strPath, fits);
  EXPECT_EQ(Row(1).m_strPath, after);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].rfind(tooLong + "\r\n", 0), 0u);  // named whole, not cut short
}

TEST_F(AddingTest, AnImageThatCannotBeReadShowsTheSystemsReasonAndAddsNothing) {
  ASSERT_TRUE(Host().Call("AddImage", {"photo", Dir("missing.png")}).ok());
  EXPECT_EQ(Messages(), Log{SystemText(plat::kernel::ERROR_FILE_NOT_FOUND)});
  EXPECT_TRUE(Frame().GetImageRecords().empty());
  EXPECT_TRUE(EventLog().empty());

  // Another program holds the file open: no sharing is allowed, so it is refused.
  std::string held = MakeFile("held.png");
  using namespace plat::kernel;
  File other = File::Open(held, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  ASSERT_TRUE(other.IsOpen());
  plat::win::ClearMessageBoxLog();
  ASSERT_TRUE(Host().Call("AddImage", {"photo", held}).ok());
  EXPECT_EQ(Messages(), Log{SystemText(ERROR_SHARING_VIOLATION)});
  EXPECT_TRUE(Frame().GetImageRecords().empty());

  // Among picked files the unreadable one stops the rest.
  plat::win::ClearMessageBoxLog();
  std::string before = MakeFile("before.txt"), after = MakeFile("after.txt");
  Pick({before, held, after});
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Row(0).m_strPath, before);
  EXPECT_EQ(Messages(), Log{SystemText(ERROR_SHARING_VIOLATION)});
}

TEST_F(AddingTest, APipeOrASocketIsRefusedAsNotARegularFileByNameAndStopsTheRest) {
  const std::string kNotAFile = "\r\n일반 파일이 아니어서(파이프, 소켓 또는 장치) 이 파일을 추가할 수 없습니다.";
  std::string pipe = Dir("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string before = MakeFile("before.txt"), after = MakeFile("after.txt");
  Pick({before, pipe, after});
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Row(0).m_strPath, before);
  EXPECT_EQ(Messages(), Log{pipe + kNotAFile});

  std::string socketPath = Dir("socket");
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  plat::win::ClearMessageBoxLog();
  Drop({socketPath});
  close(fd);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Messages(), Log{socketPath + kNotAFile});
}

TEST_F(AddingTest, AnImageKeepsItsWholePathAsNameAndIsNeverARow) {
  std::string path = MakeFile("pics/photo.PNG", 300);
  ASSERT_TRUE(Host().Call("AddImage", {"IMG_FIELD", path}).ok());
  EXPECT_EQ(EventLog(), Log{"ChangeFileList(\"0Byte\", \"300Byte\")"});
  EXPECT_EQ(Rows(), 0);
  ASSERT_EQ(Frame().GetImageRecords().size(), 1u);
  const CAttachFile& image = *Frame().GetImageRecords().front();
  EXPECT_EQ(image.m_strParamName, "IMG_FIELD");
  EXPECT_EQ(image.m_strName, path);
  EXPECT_EQ(image.m_strPath, path);
  EXPECT_EQ(image.m_strExt, ".PNG");
  EXPECT_EQ(image.m_strContentType, "image/png");
  EXPECT_EQ(image.m_bImage, 1);
  EXPECT_EQ(image.m_bServer, 0);
  EXPECT_EQ(Count("ATTACH_IMAGE"), 1);
}

TEST_F(AddingTest, AFileAboveFourGibibytesGetsTheLowThirtyTwoBitsOfItsSize) {
  std::string big = MakeFile("big.iso");
  std::filesystem::resize_file(big, (std::uintmax_t{1} << 32) + 1234);  // sparse: takes no room
  Pick({big});
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Row(0).m_nSize, 1234);
  EXPECT_EQ(Frame().GetListCtrl().GetItemText(0, 2), "1KB");
  EXPECT_EQ(EventLog().back(), "OnFileAppended(1234, 1234)");
}

TEST_F(AddingTest, ScrapModeAddsNoFileByDialogDropOrImage) {
  ASSERT_TRUE(Host().Call("setScrapYn", {true}).ok());
  Host().Events().Clear();
  std::string file = MakeFile("a.txt");
  shell::QueueOpenFileSelection({file});
  ASSERT_TRUE(Host().Call("AttachFiles").ok());
  // The dialog was not even opened: the selection is still waiting for one.
  EXPECT_TRUE(plat::win::TakeOpenFileAnswer().has_value());
  Drop({file});
  ASSERT_TRUE(Host().Call("AddImage", {"photo", file}).ok());
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(Frame().GetImageRecords().empty());
  EXPECT_TRUE(EventLog().empty());
  EXPECT_TRUE(Messages().empty());
}

TEST_F(AddingTest, ADialogThatDoesNotEndWithOkAddsNothing) {
  shell::QueueOpenFileCancel();
  ASSERT_TRUE(Host().Call("AttachFiles").ok());
  // A selected file that is gone by the time the dialog ends.
  Pick({MakeFile("here.txt"), Dir("gone.txt")});
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(EventLog().empty());
  EXPECT_EQ(Messages().size(), 1u);  // only the dialog's own "not found"
}

class LargeSelectionTest : public AttachTest {
 protected:
  // 500 paths to queue as the dialog's answer, each name 40 bytes long: 20.5 KB of selection.
  std::vector<std::string> FiveHundredPaths() {
    std::vector<std::string> paths;
    for (int i = 0; i < 500; ++i) {
      std::string name = std::to_string(i);
      paths.push_back(MakeFile(name + std::string(40 - name.size(), 'n'), 1));
    }
    return paths;
  }
};

TEST_F(LargeSelectionTest, ASelectionLargerThanTheCountLimitCanHoldIsRefusedWithAMessage) {
  // The buffer fits as many names as the limit (10) allows: 500 names do not fit, and the user is
  // told so instead of seeing nothing happen.
  Pick(FiveHundredPaths());
  EXPECT_EQ(Rows(), 0);
  EXPECT_TRUE(EventLog().empty());
  EXPECT_EQ(Messages(), std::vector<std::string>{"선택한 파일이 너무 많습니다. 파일을 나누어 추가해 주십시오."});
}

TEST_F(LargeSelectionTest, ASelectionAsLargeAsTheCountLimitAllowsIsAddedWhole) {
  ASSERT_TRUE(Host().Put("MaxFileCount", std::int32_t{500}).ok());
  const std::vector<std::string> paths = FiveHundredPaths();
  Pick(paths);
  ASSERT_EQ(Rows(), 500);
  EXPECT_EQ(Row(0).m_strPath, paths.front());
  EXPECT_EQ(Row(499).m_strPath, paths.back());
  EXPECT_TRUE(Messages().empty());
  // One name past the limit: the first 500 go in, then the count limit's own message.
  Pick({MakeFile("one more.txt")});
  EXPECT_EQ(Rows(), 500);
  EXPECT_EQ(Messages(), std::vector<std::string>{"500개 이상 파일을 추가 할 수 없습니다."});
}

using WindowlessTest = ControlTest;

TEST_F(WindowlessTest, WithoutItsWindowTheListTakesNoRowAndAnnouncesNone) {
  ASSERT_EQ(Host().LoadProperties({}), plat::com::S_OK);
  ASSERT_TRUE(Host().Call("AddPreUploadFile", {"server.doc", 1, 10, false}).ok());
  for (const auto& event : EventLog()) EXPECT_EQ(event.rfind("OnFileAppended", 0), std::string::npos) << event;
  EXPECT_EQ(Host().Call("GetUploadSize").value.lVal(), 0);
  EXPECT_TRUE(plat::win::MessageBoxLog().empty());  // no limit message about a limit not yet known
}

}  // namespace
}  // namespace drev::testing
