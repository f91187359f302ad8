// Files a page names (AddImage): only inside the folders the host allows, never a file that the
// code page turned into another name; files the user picks or drops are not limited.
#include <gtest/gtest.h>

#include <filesystem>

#include "model/SystemErrorText.h"
#include "platform/kernel/error.h"
#include "platform/shell/page_files.h"
#include "tests/attachments/attach_fixture.h"

namespace drev::testing {
namespace {

using Log = std::vector<std::string>;
namespace fs = std::filesystem;
namespace shell = plat::shell;

std::string AccessDeniedText() {
  char buffer[512] = {};
  plat::DWORD capacity = sizeof buffer;
  EXPECT_TRUE(GetSystemErrorText(plat::kernel::ERROR_ACCESS_DENIED, buffer, &capacity));
  return plat::text::Cp949ToUtf8(buffer);
}

class PageFilesTest : public AttachTest {
 protected:
  void TearDown() override {
    shell::SetPageFileFolders({shell::SystemTempFolder()});
    AttachTest::TearDown();
  }
  // AddImage of `path` (UTF-8): the number of images it added.
  std::size_t AddImage(const std::string& path) {
    const std::size_t before = Frame().GetImageRecords().size();
    EXPECT_TRUE(Host().Call("AddImage", {"photo", path}).ok());
    return Frame().GetImageRecords().size() - before;
  }
};

TEST_F(PageFilesTest, APathTheCodePageCannotHoldIsRefusedAndNeverSendsTheFileItsLossyNameNames) {
  MakeFile("e?.png", 20);  // what "e😀.png" becomes once the emoji is '?'
  const std::string path = Dir("e😀.png");
  MakeFile("e😀.png", 30);
  EXPECT_EQ(AddImage(path), 0u);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("코드 페이지 949"), std::string::npos) << Messages()[0];
  EXPECT_TRUE(EventLog().empty());
}

TEST_F(PageFilesTest, OnlyFilesInsideTheAllowedFoldersMayBeNamedEvenThroughLinksOrDotDot) {
  const std::string inside = MakeFile("allowed/pic.png", 10);
  const std::string secret = MakeFile("outside/id_rsa", 10);
  MakeFile("allowed-not/pic.png", 10);
  fs::create_symlink(secret, Dir("allowed/link.png"));
  fs::create_directory_symlink(dir_ / "outside", Dir("allowed/folder"));
  shell::SetPageFileFolders({Dir("allowed")});

  EXPECT_EQ(AddImage(inside), 1u);
  EXPECT_EQ(AddImage(Dir("allowed/./pic.png")), 1u);
  EXPECT_TRUE(Messages().empty());
  for (const std::string& refused :
       {secret, Dir("allowed/link.png"), Dir("allowed/folder/id_rsa"), Dir("allowed/../outside/id_rsa"),
        Dir("allowed-not/pic.png"), Dir("allowed/../allowed/../outside/id_rsa")}) {
    SCOPED_TRACE(refused);
    plat::win::ClearMessageBoxLog();
    EXPECT_EQ(AddImage(refused), 0u);
    EXPECT_EQ(Messages(), Log{AccessDeniedText()});  // as a file that cannot be opened
  }
  EXPECT_EQ(Frame().GetImageRecords().size(), 2u);

  // What the user picks or drops is the user's choice, wherever it lies.
  plat::win::ClearMessageBoxLog();
  Pick({secret});
  Drop({Dir("allowed/link.png")});
  EXPECT_EQ(Rows(), 2);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PageFilesTest, TheSystemsTemporaryFolderIsAllowedUntilTheHostSaysOtherwise) {
  shell::SetPageFileFolders({shell::SystemTempFolder()});
  EXPECT_EQ(AddImage(MakeFile("in-temp.png", 5)), 1u);  // the scratch folder lies in it
  shell::SetPageFileFolders({});
  EXPECT_EQ(AddImage(MakeFile("in-temp-2.png", 5)), 0u);
}

}  // namespace
}  // namespace drev::testing
