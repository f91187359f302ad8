// The control for the fuzz targets: made through its factory, as a host makes it.
#include "fuzz/control_support.h"

#include <unistd.h>

#include <cstdlib>

#include "control/DrevFactory.h"
#include "control/Identifiers.h"
#include "fuzz/fuzz_check.h"
#include "platform/com/typelib.h"
#include "platform/win/backend.h"
#include "resources/ModuleResources.h"

namespace drev::fuzz {
namespace {

namespace pc = plat::com;

class QuietBackend : public plat::win::Backend {
 public:
  int ShowMessageBox(plat::win::HWND, const std::string&, const std::string&, plat::UINT) override {
    return plat::win::IDOK;
  }
};

// The control's implemented properties, by dispatch id.
constexpr pc::DISPID kProperties[] = {10, 14, 16, 18, 19};

}  // namespace

void PrepareControlProcess() {
  static const bool prepared = [] {
    static const int owner = 0;
    RegisterModuleResources(&owner);
    plat::win::SetBackend(std::make_unique<QuietBackend>());
    return true;
  }();
  (void)prepared;
}

std::unique_ptr<host::ControlHost> MakeControl() {
  PrepareControlProcess();
  auto control = std::make_unique<host::ControlHost>(GetDrevClassFactory().Get());
  Check(control->ok(), "the factory makes a control");
  Check(control->ConnectEvents(DIID__DDrevEvents, pc::TypeDispInterface{}), "the control's events connect");
  return control;
}

std::vector<std::pair<std::string, pc::Variant>> SavedWithoutTime(host::ControlHost& control) {
  std::vector<std::pair<std::string, pc::Variant>> values;
  Check(pc::SUCCEEDED(control.SaveProperties(&values, false)), "the control saves its properties");
  std::erase_if(values, [](const auto& entry) { return entry.first == "ActionTime"; });
  return values;
}

void ReadAllProperties(host::ControlHost& control) {
  for (pc::DISPID id : kProperties) Check(control.Get(id).ok(), "every implemented property reads");
}

const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path made = std::filesystem::temp_directory_path() / ("drev-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(made);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return made;
  }();
  return folder;
}

}  // namespace drev::fuzz

// fontconfig keeps the fonts it found in caches of its own for the life of the process (the font
// layer hands them back only at exit); a fuzz run checks for leaks after single inputs, where those
// caches would read as leaked.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
