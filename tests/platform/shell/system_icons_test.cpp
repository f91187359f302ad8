// The system small-icon list: one picture per kind of file, a path's index judged by its name.
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/surface.h"
#include "platform/registry/registry.h"
#include "platform/shell/system_icons.h"
#include "platform/text/text.h"
#include "tests/platform/shell/shell_fixture.h"

namespace plat::shell {
namespace {

using testing::ShellTest;

// The index SHGetFileInfoA gives a name, judged by the name only; -1 when it answers nothing.
int IconOf(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  SHFILEINFOA info;
  info.iIcon = -1;
  DWORD_PTR list = SHGetFileInfoA(path.c_str(), attributes, &info, sizeof info,
                                  SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  return list == 0 ? -1 : info.iIcon;
}

void SetContentType(const std::string& ext, const std::string& type) {
  registry::HKEY key = nullptr;
  ASSERT_EQ(registry::RegCreateKeyExA(registry::HKEY_CLASSES_ROOT, ext.c_str(), 0, nullptr, 0, registry::KEY_ALL_ACCESS,
                                      nullptr, &key, nullptr),
            0);
  ASSERT_EQ(registry::RegSetValueExA(key, "Content Type", 0, registry::REG_SZ,
                                     reinterpret_cast<const BYTE*>(type.c_str()), static_cast<DWORD>(type.size() + 1)),
            0);
  registry::RegCloseKey(key);
}

using SystemIconTest = ShellTest;

TEST_F(SystemIconTest, NamesOfEachKindGetTheirKindsPicture) {
  // The system's MIME database answers these extensions (the store of this test is empty).
  const std::vector<std::pair<std::string, int>> cases{
      {"C:\\docs\\notes.txt", kIconText},     {"/home/u/page.html", kIconWeb},
      {"photo.png", kIconImage},              {"PHOTO.JPG", kIconImage},
      {"song.mp3", kIconAudio},               {"clip.mp4", kIconVideo},
      {"bundle.zip", kIconArchive},           {"backup.tar", kIconArchive},
      {"report.pdf", kIconPdf},               {"letter.docx", kIconWordDocument},
      {"letter.doc", kIconWordDocument},      {"sheet.xlsx", kIconSpreadsheet},
      {"table.csv", kIconSpreadsheet},        {"slides.pptx", kIconPresentation},
      {"setup.exe", kIconProgram},            {"C:\\dir.with.dots\\data.json", kIconText},
  };
  for (const auto& [name, icon] : cases) EXPECT_EQ(IconOf(name), icon) << name;
}

TEST_F(SystemIconTest, UnknownNamesGetTheGenericDocument) {
  EXPECT_EQ(IconOf("README"), kIconDocument);
  EXPECT_EQ(IconOf("archive.nosuchextension"), kIconDocument);
  EXPECT_EQ(IconOf("trailing.dot."), kIconDocument);
  // The extension belongs to the name: a dot in a folder name gives the file no extension.
  EXPECT_EQ(IconOf("/home/u/pictures.png/README"), kIconDocument);
  EXPECT_EQ(IconOf(""), kIconDocument);
}

TEST_F(SystemIconTest, TheRegistryDecidesTheKind) {
  SetContentType(".zzpack", "application/x-7z-compressed");
  SetContentType(".png", "Text/Plain");  // the store wins over the MIME database, in any case
  SetContentType(".zzodd", "application/x-something-else");
  EXPECT_EQ(IconOf("a.zzpack"), kIconArchive);
  EXPECT_EQ(IconOf("a.ZZPACK"), kIconArchive);
  EXPECT_EQ(IconOf("a.png"), kIconText);
  EXPECT_EQ(IconOf("a.zzodd"), kIconDocument);
}

TEST_F(SystemIconTest, KoreanNamesAreJudgedByWholeCharacters) {
  SetContentType(".hwp", "application/x-hwp");
  EXPECT_EQ(IconOf(text::Utf8ToCp949("C:\\문서\\한글 보고서.hwp")), kIconWordDocument);
  // A lead byte followed by a byte that reads as "." is one character, not the extension's dot.
  EXPECT_EQ(IconOf("\xB1\x2Etxt"), kIconDocument);
}

TEST_F(SystemIconTest, FoldersAndDrives) {
  EXPECT_EQ(IconOf("C:\\", FILE_ATTRIBUTE_NORMAL), kIconDrive);
  EXPECT_EQ(IconOf("d:"), kIconDrive);
  EXPECT_EQ(IconOf("/home/u/photos.png", FILE_ATTRIBUTE_DIRECTORY), kIconFolder);

  // Without SHGFI_USEFILEATTRIBUTES the path is looked at on disk.
  SHFILEINFOA info;
  const UINT onDisk = SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
  ASSERT_NE(SHGetFileInfoA(Dir().c_str(), 0, &info, sizeof info, onDisk), 0u);
  EXPECT_EQ(info.iIcon, kIconFolder);
  std::string file = MakeFile("movie.mp4");
  ASSERT_NE(SHGetFileInfoA(file.c_str(), 0, &info, sizeof info, onDisk), 0u);
  EXPECT_EQ(info.iIcon, kIconVideo);
  EXPECT_EQ(SHGetFileInfoA((Dir() + "/missing.txt").c_str(), 0, &info, sizeof info, onDisk), 0u);
  ASSERT_NE(SHGetFileInfoA("C:\\", 0, &info, sizeof info, onDisk), 0u);
  EXPECT_EQ(info.iIcon, kIconDrive);
}

TEST_F(SystemIconTest, AnswersTheOneSharedListAndRefusesWhatItDoesNotOffer) {
  SHFILEINFOA info;
  DWORD_PTR list = SHGetFileInfoA("a.txt", 0, &info, sizeof info,
                                  SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  EXPECT_EQ(list, reinterpret_cast<DWORD_PTR>(GetSystemSmallIconList()));
  EXPECT_EQ(SHGetFileInfoA("a.txt", 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES), 0u);
  EXPECT_EQ(SHGetFileInfoA("a.txt", 0, &info, sizeof info, SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES), 0u);
  EXPECT_EQ(SHGetFileInfoA("a.txt", 0, nullptr, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES), 0u);
  EXPECT_EQ(SHGetFileInfoA(nullptr, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES), 0u);
}

TEST(SystemIconList, HoldsOneDistinctMaskedPicturePerKind) {
  gdi::CImageList* list = GetSystemSmallIconList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetImageCount(), kSystemIconCount);
  int cx = 0, cy = 0;
  ASSERT_TRUE(list->GetIconSize(&cx, &cy));
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);

  std::set<std::vector<COLORREF>> pictures;
  for (int icon = 0; icon < kSystemIconCount; ++icon) {
    // Drawn over a colour no picture uses: the top-left corner shows it through (transparent),
    // and every picture covers a fair part of its square.
    gdi::Surface surface(16, 16);
    gdi::CDC dc(surface, POINT{0, 0}, RECT{0, 0, 16, 16});
    dc.FillSolidRect(RECT{0, 0, 16, 16}, RGB(1, 2, 3));
    ASSERT_TRUE(list->Draw(&dc, icon, POINT{0, 0}, gdi::ILD_TRANSPARENT));
    std::vector<COLORREF> pixels;
    int covered = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        pixels.push_back(surface.GetPixel(x, y));
        covered += pixels.back() != RGB(1, 2, 3);
      }
    EXPECT_EQ(surface.GetPixel(0, 0), RGB(1, 2, 3)) << icon;
    EXPECT_GT(covered, 80) << icon;
    pictures.insert(pixels);
  }
  EXPECT_EQ(pictures.size(), static_cast<std::size_t>(kSystemIconCount));
}

}  // namespace
}  // namespace plat::shell
