// The module's start when the component system cannot be started: the message the user sees, and a
// module that then serves nothing. Each case loads its own copy of zelk.ocx in a child process, so
// that the failed start stays out of this one.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/com/module.h"
#include "platform/win/backend.h"
#include "platform/win/winuser.h"
#include "tests/e2e/e2e_support.h"

namespace drev::e2e {
namespace {

namespace pc = plat::com;
namespace pw = plat::win;

using ModuleStartTest = E2eTest;

// Loads a copy of the module with its start made to fail and reports, on standard error, the message
// boxes it showed and what its entry points answer; exits 0 when the copy could be loaded at all.
[[noreturn]] void LoadFailingCopy(const std::filesystem::path& copy) {
  setenv("DREV_FAIL_OLE_INIT", "1", 1);
  pw::ClearMessageBoxLog();
  void* module = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) std::_Exit(2);
  for (const pw::MessageBoxRecord& box : pw::MessageBoxLog())
    std::fprintf(stderr, "box \"%s\" \"%s\" type=0x%X\n", box.caption.c_str(), box.text.c_str(), box.type);
  auto registerServer = reinterpret_cast<pc::DllRegisterServerFn>(dlsym(module, pc::kDllRegisterServer));
  std::fprintf(stderr, "register=0x%08X\n", registerServer ? static_cast<unsigned>(registerServer()) : 0u);
  std::fflush(stderr);
  std::_Exit(0);
}

TEST_F(ModuleStartTest, AFailedStartShowsItsMessageWithTheProgramsIconAndCaption) {
  const std::filesystem::path copy = Dir() / "zelk.ocx";  // the caption is the module file's base name
  std::filesystem::copy_file(ModulePath(), copy);
  EXPECT_EXIT(LoadFailingCopy(copy), ::testing::ExitedWithCode(0),
              "box \"zelk\" \"AfxOleInit Error!\" type=0x30\nregister=0x8007045A");
}

}  // namespace
}  // namespace drev::e2e
