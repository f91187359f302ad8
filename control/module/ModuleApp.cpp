// The module's start and stop: the framework's initialisation (the module's resources), the component
// system's start, and the refusal to serve when that start fails.
#include "control/module/ModuleApp.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/win/backend.h"
#include "platform/win/winuser.h"
#include "resources/AppName.h"
#include "resources/ModuleResources.h"

namespace drev::module {

namespace {

// Setting this variable to anything but "" or "0" makes the component system's start fail, so that
// tests can see how the module and its host behave when that happens.
constexpr const char* kFailStartVariable = "DREV_FAIL_OLE_INIT";

// The tag under which the module's resources are registered with the platform's resource table.
const int kResourceOwner = 0;

// The component system's start for this module. The platform's component layer is process-wide and
// ready as soon as its library is loaded, so there is nothing to start per module; the step stays
// so that a start failure has its one place and its one visible consequence.
bool AfxOleInit() {
  const char* fail = std::getenv(kFailStartVariable);
  return fail == nullptr || std::string_view(fail).empty() || std::string_view(fail) == "0";
}

// One per process, constructed when the module is loaded and destroyed when it is unloaded.
class ModuleApp {
 public:
  ModuleApp() {
    // The framework's control-module initialisation: the dialogs, bitmaps and strings become
    // findable, and the application name (the message boxes' caption) is fixed.
    RegisterModuleResources(&kResourceOwner);
    AfxGetAppName();
    if (!AfxOleInit()) {
      // The program's one kind of message box: an exclamation icon and an OK button.
      plat::win::MessageBoxA(nullptr, "AfxOleInit Error!", AfxGetAppName().c_str(),
                             plat::win::MB_OK | plat::win::MB_ICONEXCLAMATION);
      return;
    }
    started_ = true;
  }
  ~ModuleApp() { UnregisterModuleResources(&kResourceOwner); }
  ModuleApp(const ModuleApp&) = delete;
  ModuleApp& operator=(const ModuleApp&) = delete;

  bool Started() const { return started_; }

 private:
  bool started_ = false;
};

const ModuleApp theApp;

std::string FindModulePath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&FindModulePath), &info) == 0 || info.dli_fname == nullptr) return {};
  std::error_code error;
  std::filesystem::path path = std::filesystem::canonical(info.dli_fname, error);
  if (error) path = std::filesystem::absolute(info.dli_fname, error);
  return path.string();
}

}  // namespace

bool ModuleStarted() { return theApp.Started(); }

const std::string& ModulePath() {
  static const std::string path = FindModulePath();
  return path;
}

}  // namespace drev::module
