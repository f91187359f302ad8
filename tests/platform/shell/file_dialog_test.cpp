// The open-file dialog: queued selections, the file-name buffer's limit and layout, and the walk
// over the selection as full paths.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/shell/file_dialog.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "tests/platform/shell/shell_fixture.h"

namespace plat::shell {
namespace {

using testing::ShellTest;

constexpr DWORD kAttachFlags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;

// A dialog as the attachment list opens it: the filter text, its options and a 4096-byte buffer.
struct AttachDialog {
  std::vector<char> buffer = std::vector<char>(4096, '\0');
  CFileDialog dialog{TRUE, nullptr, nullptr, kAttachFlags, "모든 파일(*.*)|*.*||"};
  AttachDialog() {
    dialog.m_ofn.lpstrFile = buffer.data();
    dialog.m_ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  }
  std::vector<std::string> Paths() const {
    std::vector<std::string> paths;
    for (POSITION pos = dialog.GetStartPosition(); pos;) paths.push_back(dialog.GetNextPathName(pos));
    return paths;
  }
};

using FileDialogTest = ShellTest;

TEST_F(FileDialogTest, SeveralFilesComeBackAsFullPathsInOrder) {
  std::string b = MakeFile("b.txt"), a = MakeFile("a.txt"), c = MakeFile("사진.png");
  QueueOpenFileSelection({b, a, c});
  AttachDialog d;
  ASSERT_EQ(d.dialog.DoModal(), win::IDOK);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  // The buffer holds the folder and the names, each ending in NUL, and a final NUL.
  std::string folder = text::Utf8ToCp949(Dir());
  std::string layout = folder + '\0' + "b.txt" + '\0' + "a.txt" + '\0' + text::Utf8ToCp949("사진.png") + '\0' + '\0';
  EXPECT_EQ(std::string(d.buffer.data(), layout.size()), layout);
  EXPECT_EQ(d.dialog.m_ofn.nFileOffset, folder.size() + 1);
  EXPECT_EQ(d.Paths(), (std::vector<std::string>{text::Utf8ToCp949(b), text::Utf8ToCp949(a), text::Utf8ToCp949(c)}));
}

TEST_F(FileDialogTest, OneFileIsOneFullPath) {
  std::string a = MakeFile("report.final.pdf");
  QueueOpenFileSelection({a});
  AttachDialog d;
  ASSERT_EQ(d.dialog.DoModal(), win::IDOK);
  EXPECT_EQ(d.Paths(), std::vector<std::string>{a});
  EXPECT_EQ(std::string(d.buffer.data() + d.dialog.m_ofn.nFileOffset), "report.final.pdf");
  EXPECT_EQ(std::string(d.buffer.data() + d.dialog.m_ofn.nFileExtension), "pdf");
}

TEST_F(FileDialogTest, RelativePathsAreMadeAbsolute) {
  MakeFile("rel.txt");
  std::string cwd = std::filesystem::current_path().string();
  std::filesystem::current_path(dir_);
  QueueOpenFileSelection({"rel.txt"});
  AttachDialog d;
  win::INT_PTR result = d.dialog.DoModal();
  std::filesystem::current_path(cwd);
  ASSERT_EQ(result, win::IDOK);
  EXPECT_EQ(d.Paths(), std::vector<std::string>{Dir() + "/rel.txt"});
}

// Names (UTF-8) whose buffer entries, the CP949 name and its NUL, add up to exactly `bytes`: names
// made of a counter and `filler` while there is room for them, then plain ones for the rest.
std::vector<std::string> NamesFilling(std::size_t bytes, const std::string& filler) {
  std::vector<std::string> names;
  const std::size_t fillerBytes = text::Utf8ToCp949(filler).size();
  for (int i = 0; bytes > 0; ++i) {
    std::string name = "f" + std::to_string(i) + "_";
    std::size_t entry = name.size() + fillerBytes + 1;
    if (bytes >= entry + 200) {
      names.push_back(name + filler);
      bytes -= entry;
      continue;
    }
    entry = bytes > 200 ? bytes / 2 : bytes;
    name.resize(entry - 1, 'x');
    names.push_back(name);
    bytes -= entry;
  }
  return names;
}

std::size_t SelectionRoom(const std::string& folder) { return 4096 - (folder.size() + 1) - 1; }

TEST_F(FileDialogTest, ASelectionFillingTheBufferExactlyFitsAndOneByteMoreFails) {
  // folder, NUL, names each with its NUL, final NUL: 4096 bytes in all.
  std::vector<std::string> names = NamesFilling(SelectionRoom(Dir()), std::string(190, 'x'));
  std::vector<std::string> paths;
  for (const auto& name : names) paths.push_back(MakeFile(name));
  QueueOpenFileSelection(paths);
  AttachDialog fits;
  ASSERT_EQ(fits.dialog.DoModal(), win::IDOK);
  EXPECT_EQ(fits.Paths(), paths);

  paths.back() = MakeFile(names.back() + "y");
  QueueOpenFileSelection(paths);
  AttachDialog tooSmall;
  EXPECT_EQ(tooSmall.dialog.DoModal(), win::IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  // The size needed, low byte first.
  EXPECT_EQ(static_cast<unsigned char>(tooSmall.buffer[0]) | (static_cast<unsigned char>(tooSmall.buffer[1]) << 8), 4097);
  EXPECT_TRUE(win::MessageBoxLog().empty());
}

TEST_F(FileDialogTest, KoreanNamesCountInCp949Bytes) {
  // Each syllable takes two bytes in the buffer, not the three of UTF-8: this selection fills the
  // buffer exactly in CP949 and would overflow it by half as much again in UTF-8.
  std::string syllables;
  for (int i = 0; i < 80; ++i) syllables += "가";
  std::vector<std::string> paths;
  for (const auto& name : NamesFilling(SelectionRoom(Dir()), syllables)) paths.push_back(MakeFile(name));
  QueueOpenFileSelection(paths);
  AttachDialog d;
  ASSERT_EQ(d.dialog.DoModal(), win::IDOK);
  std::vector<std::string> expected;
  for (const auto& path : paths) expected.push_back(text::Utf8ToCp949(path));
  EXPECT_EQ(d.Paths(), expected);
}

TEST_F(FileDialogTest, ACancelAndAnEmptyQueueAddNothing) {
  QueueOpenFileCancel();
  AttachDialog d;
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_FALSE(d.dialog.GetStartPosition());
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);  // nothing queued
  EXPECT_TRUE(win::MessageBoxLog().empty());
}

TEST_F(FileDialogTest, AMissingFileEndsTheDialogWithoutOkAndSaysSo) {
  std::string a = MakeFile("a.txt");
  QueueOpenFileSelection({a, Dir() + "/gone.txt"});
  AttachDialog d;
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);
  EXPECT_FALSE(d.dialog.GetStartPosition());
  auto boxes = win::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("gone.txt"), std::string::npos);
  EXPECT_NE(boxes[0].text.find(text::Ansi("파일을 찾을 수 없습니다.")), std::string::npos);
  EXPECT_EQ(boxes[0].caption, text::Ansi("열기"));

  // A folder is not a file either; without OFN_FILEMUSTEXIST nothing is checked.
  QueueOpenFileSelection({Dir()});
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);
  QueueOpenFileSelection({Dir() + "/gone.txt"});
  CFileDialog loose(TRUE, nullptr, nullptr, OFN_HIDEREADONLY);
  EXPECT_EQ(loose.DoModal(), win::IDOK);
}

TEST_F(FileDialogTest, ANameOutsideCp949FailsTheWholeSelectionAndNamesTheFile) {
  std::string a = MakeFile("a.txt");
  std::string emoji = MakeFile("smile\xF0\x9F\x98\x80.txt");
  QueueOpenFileSelection({a, emoji});
  AttachDialog d;
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), FNERR_INVALIDFILENAME);
  EXPECT_FALSE(d.dialog.GetStartPosition());
  auto boxes = win::MessageBoxLog();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("smile?.txt"), std::string::npos);
  EXPECT_EQ(boxes[0].type, win::MB_OK | win::MB_ICONEXCLAMATION);
}

TEST_F(FileDialogTest, SelectionsNoDialogCouldMakeAreRefused) {
  std::string a = MakeFile("a.txt"), b = MakeFile("b.txt");
  std::filesystem::create_directory(dir_ / "sub");
  std::string c = MakeFile("sub/c.txt");
  QueueOpenFileSelection({a, c});  // two folders
  AttachDialog d;
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);
  EXPECT_EQ(CommDlgExtendedError(), FNERR_INVALIDFILENAME);
  QueueOpenFileSelection({});
  EXPECT_EQ(d.dialog.DoModal(), win::IDCANCEL);
  QueueOpenFileSelection({a, b});  // two files for a dialog that takes one
  CFileDialog single(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST);
  EXPECT_EQ(single.DoModal(), win::IDCANCEL);
  EXPECT_EQ(win::MessageBoxLog().size(), 3u);
}

TEST(FileDialogWalk, JoinsNamesWithTheSeparatorTheFolderUses) {
  CFileDialog d(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_EXPLORER);
  auto walk = [&](const std::string& layout) {
    std::vector<char> buffer(layout.begin(), layout.end());
    d.m_ofn.lpstrFile = buffer.data();
    d.m_ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    std::vector<std::string> paths;
    for (POSITION pos = d.GetStartPosition(); pos;) paths.push_back(d.GetNextPathName(pos));
    return paths;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(walk(std::string("C:\\dir\0a\0b\0\0", 13)), (V{"C:\\dir\\a", "C:\\dir\\b"}));
  EXPECT_EQ(walk(std::string("C:\\\0a\0b\0\0", 10)), (V{"C:\\a", "C:\\b"}));
  EXPECT_EQ(walk(std::string("/\0a\0b\0\0", 8)), (V{"/a", "/b"}));
  EXPECT_EQ(walk(std::string("/tmp/x/a\0\0", 10)), (V{"/tmp/x/a"}));  // a single path
  EXPECT_EQ(walk(std::string("/tmp/x\0a\0\0", 10)), (V{"/tmp/x/a"}));  // a folder with one name
  // A buffer without its final NUL is read only up to its end.
  EXPECT_EQ(walk(std::string("/d\0a\0bc", 7)), (V{"/d/a", "/d/bc"}));
}

}  // namespace
}  // namespace plat::shell
