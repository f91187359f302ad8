// A placed control with its window, a private registry store and a scratch folder, and short ways
// to pick, drop and inspect the files of its attachment manager.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "attachments/CMainFrm.h"
#include "platform/shell/file_dialog.h"
#include "platform/shell/file_drop.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/window.h"
#include "tests/control/control_fixture.h"

namespace drev::testing {

class AttachTest : public ControlTest {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drev-attach-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    // Content types come from a store of this test's own (and the system's MIME database).
    setenv("DREV_REGISTRY", (dir_ / "registry.json").c_str(), 1);
    ControlTest::SetUp();
    PlaceWithWindow();
    plat::win::ClearMessageBoxLog();
  }
  void TearDown() override {
    ControlTest::TearDown();
    unsetenv("DREV_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // A file of `size` bytes in the scratch folder (name in UTF-8, may hold folders); its path.
  std::string MakeFile(const std::string& name, std::size_t size = 4) const {
    std::filesystem::path path = dir_ / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << std::string(size, 'x');
    return path.string();
  }
  std::string Dir(const std::string& name) const { return (dir_ / name).string(); }
  std::vector<std::string> MakeFiles(const std::string& stem, int count, std::size_t size = 100) const {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) paths.push_back(MakeFile(stem + std::to_string(i) + ".txt", size));
    return paths;
  }

  // The user picks `paths` in the dialog that the page's AttachFiles opens.
  void Pick(const std::vector<std::string>& paths) {
    plat::shell::QueueOpenFileSelection(paths);
    ASSERT_TRUE(Host().Call("AttachFiles").ok());
  }
  // The user drops `paths` on the list.
  void Drop(const std::vector<std::string>& paths) { plat::shell::DropFiles(Frame().GetListCtrl(), paths); }

  // The attachment manager behind the control window (its dialog is the control window's child).
  CMainFrm& Frame() {
    plat::win::HWND dialog = plat::win::GetWindow(Host().ControlWindow(), plat::win::GW_CHILD);
    auto* frame = dynamic_cast<CMainFrm*>(plat::win::CWnd::FromHandlePermanent(dialog));
    EXPECT_NE(frame, nullptr);
    return *frame;
  }
  int Rows() { return Frame().GetRowCount(); }
  CAttachFile& Row(int row) { return *Frame().GetRecord(row); }
  // The UTF-8 texts of the message boxes shown so far.
  static std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& box : plat::win::MessageBoxLog()) texts.push_back(plat::text::Cp949ToUtf8(box.text));
    return texts;
  }
  std::int32_t Call32(const char* method) { return Host().Call(method).value.lVal(); }
  std::int16_t Count(const char* type) { return Host().Call("GetFileCount", {type}).value.iVal(); }

  std::filesystem::path dir_;
};

}  // namespace drev::testing
