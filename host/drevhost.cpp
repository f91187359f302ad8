// drevhost: registers modules, prints their type libraries, and runs pages that embed their controls.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "host/HostActions.h"
#include "host/HtmlPage.h"
#include "platform/shell/page_files.h"
#include "host/ModuleLoader.h"
#include "host/PageOutput.h"
#include "host/PageRunner.h"
#include "host/PageWindow.h"
#include "host/ProgressWatcher.h"
#include "platform/com/hresult.h"
#include "platform/gdi/fonts.h"
#include "platform/kernel/error.h"
#include "platform/registry/registry.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#if DREV_ON_SCREEN
#include "platform/gtk/screen.h"
#endif

namespace {

using namespace drev::host;
namespace pc = plat::com;

// Exit statuses.
constexpr int kOk = 0;
constexpr int kFailed = 1;          // regsvr, typelib: the module or the registry said no
constexpr int kUsage = 2;
constexpr int kPageUnreadable = 3;
constexpr int kObjectFailed = 4;    // class not registered, module not loadable, factory failure
constexpr int kScriptError = 5;
constexpr int kActionFailed = 6;
constexpr int kNoDisplay = 7;       // show: no screen to show the page on

constexpr const char* kUsageText =
    "usage: drevhost regsvr [-u] MODULE\n"
    "       drevhost typelib MODULE\n"
    "       drevhost run PAGE.html [--allow-files DIR ...] [ACTION ...]\n"
    "       drevhost show [--headless] PAGE.html [--allow-files DIR ...] [ACTION ...]\n"
    "show puts the page in a window on the screen (DISPLAY or WAYLAND_DISPLAY) and runs until the\n"
    "window is closed; the actions are performed while it is up. With --headless the window is made\n"
    "off screen and closed after the actions.\n"
    "  --allow-files DIR          the page may also name files under DIR for upload (AddImage); the\n"
    "                             system's temporary folder and the page's own folder always are\n"
    "actions, performed in order after the page's scripts ran (on the page's first object):\n"
    "  --choose FILE...           the answer of the next open-file dialog\n"
    "  --drop FILE...             files dropped on the attachment list\n"
    "  --tick ROW                 a click on the check box cell of row ROW (0 is the first)\n"
    "  --click X,Y                a left click at a point of the control\n"
    "  --eval JS                  runs JS; prints \"eval <value>\" unless it gives undefined\n"
    "  --cancel-after-bytes N     presses the next progress dialog's cancel button once it shows\n"
    "                             at least N bytes sent\n"
    "  --snapshot PNG             writes the control window to PNG\n"
    "  --progress-snapshot PNG    writes the next progress dialog to PNG at its first progress report\n"
    "  --save-state FILE          saves the object's state (its stream) to FILE\n"
    "  --load-state FILE          loads the object's state from FILE\n"
    "  --page-snapshot PNG        (show) writes the page's window to PNG\n"
    "exit status: 0 the page ran (show: its window was closed); 1 registration failed; 2 usage;\n"
    "             3 page unreadable; 4 an object could not be made; 5 a script error (run and\n"
    "             show --headless); 6 an action failed; 7 show found no display\n";

int Usage(const std::string& why) {
  if (!why.empty()) std::fprintf(stderr, "drevhost: %s\n", why.c_str());
  std::fputs(kUsageText, stderr);
  return kUsage;
}

std::string ResultText(plat::HRESULT hr) { return pc::HResultName(hr); }

// A note on the registry store when it cannot be read, so that a damaged or unreadable store is not
// taken for a class or a type library that was never registered; empty when the store reads well.
std::string StoreNote() {
  namespace reg = plat::registry;
  reg::HKEY key = nullptr;
  const plat::LONG result = reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, "CLSID", 0, reg::KEY_READ, &key);
  if (result == 0) reg::RegCloseKey(key);
  if (result == static_cast<plat::LONG>(plat::kernel::ERROR_REGISTRY_CORRUPT))
    return " (the registry store " + reg::RegistryStorePath() + " is damaged: it is not a well-formed store)";
  if (result == static_cast<plat::LONG>(plat::kernel::ERROR_CANTREAD))
    return " (the registry store " + reg::RegistryStorePath() + " cannot be read)";
  return "";
}

// What to know after "class ... is not registered": the store that was read (a damaged one is named
// as the cause) and how a class gets into it.
std::string NotRegisteredNote() {
  std::string note = StoreNote();
  if (!note.empty()) return note;
  const std::string store = plat::registry::RegistryStorePath();
  std::error_code ec;
  const bool exists = std::filesystem::exists(store, ec);
  return " in the registry store " + store + (exists ? "" : ", which does not exist yet") +
         "; register the module that serves it with: drevhost regsvr MODULE (DREV_REGISTRY names the store)";
}

int RegisterCommand(std::span<const std::string> args) {
  bool unregister = !args.empty() && args.front() == "-u";
  if (unregister) args = args.subspan(1);
  if (args.size() != 1) return Usage("regsvr takes one module");
  const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  std::string error;
  auto module = Module::Load(args.front(), &error);
  if (!module) {
    std::fprintf(stderr, "drevhost: LoadLibrary(\"%s\") failed: %s\n", args.front().c_str(), error.c_str());
    return kFailed;
  }
  plat::HRESULT hr = unregister ? module->UnregisterServer() : module->RegisterServer();
  if (hr == pc::E_NOTIMPL) {
    std::fprintf(stderr, "drevhost: %s has no entry point %s\n", module->Path().c_str(), entry);
    return kFailed;
  }
  if (pc::FAILED(hr)) {
    std::fprintf(stderr, "drevhost: %s in %s failed. Return code was: %s%s\n", entry, module->Path().c_str(),
                 ResultText(hr).c_str(), StoreNote().c_str());
    return kFailed;
  }
  std::printf("%s in %s succeeded.\n", entry, module->Path().c_str());
  return kOk;
}

int TypeLibCommand(std::span<const std::string> args) {
  if (args.size() != 1) return Usage("typelib takes one module");
  auto library = FindModuleTypeLib(args.front());
  if (!library) {
    std::fprintf(stderr, "drevhost: no type library is registered for %s%s\n",
                 AbsoluteModulePath(args.front()).c_str(), StoreNote().c_str());
    return kFailed;
  }
  std::fputs(pc::ToOdl(*library).c_str(), stdout);
  return kOk;
}

// Takes the --allow-files options out of `args`: the folders a page may name files in, besides the
// system's temporary folder and the page's own folder. False when one lacks its folder.
bool TakeAllowedFolders(std::vector<std::string>& args, std::vector<std::string>& folders) {
  for (std::size_t i = 0; i < args.size();) {
    if (args[i] != "--allow-files") {
      ++i;
      continue;
    }
    if (i + 1 >= args.size()) return false;
    folders.push_back(args[i + 1]);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
  }
  return true;
}

// Sets the folders the page at `page` may name files in (the system's temporary folder, the page's
// own folder and those of --allow-files) and leaves in `rest` the words after the page without the
// --allow-files options. False when one lacks its folder.
bool SetPageFilePolicy(const std::string& page, std::span<const std::string> words, std::vector<std::string>& rest) {
  rest.assign(words.begin(), words.end());
  std::vector<std::string> folders{plat::shell::SystemTempFolder(),
                                   std::filesystem::absolute(std::filesystem::path(page)).parent_path().string()};
  if (!TakeAllowedFolders(rest, folders)) return false;
  // A page may name for upload only files in these folders; what the user picks is never limited.
  plat::shell::SetPageFileFolders(folders);
  return true;
}

// What run and show read first: the page-file folders, the actions and the page itself. Returns
// the status to end with when one of them is wrong (it has been reported).
std::optional<int> ReadPageAndActions(std::span<const std::string> args, std::optional<std::vector<HostAction>>& actions,
                                      std::optional<Page>& page) {
  std::string error;
  std::vector<std::string> rest;
  if (!SetPageFilePolicy(args.front(), args.subspan(1), rest)) return Usage("--allow-files needs a folder");
  actions = ParseActions(rest, &error);
  if (!actions) return Usage(error);
  page = LoadPage(args.front(), &error);
  if (!page) {
    std::fprintf(stderr, "drevhost: %s\n", error.c_str());
    return kPageUnreadable;
  }
  return std::nullopt;
}

int RunCommand(std::span<const std::string> args) {
  if (args.empty()) return Usage("run needs a page");
  std::optional<std::vector<HostAction>> actions;
  std::optional<Page> page;
  if (auto status = ReadPageAndActions(args, actions, page)) return *status;
  std::string error;
  // No screen shows these windows: they are painted only for a snapshot.
  plat::win::PaintOnlyWhenRead(true);

  PageOutput output;
  MessageBoxPrinter boxes(output);
  PageRunner runner(output);
  CreateFailure failure = CreateFailure::kNone;
  if (!runner.CreateObjects(*page, &failure, &error)) {
    if (failure == CreateFailure::kClassNotRegistered) error += NotRegisteredNote();
    std::fprintf(stderr, "drevhost: %s\n", error.c_str());
    return kObjectFailed;
  }
  ProgressWatcher watcher;
  runner.RunScripts(*page);
  plat::win::PumpPendingMessages();

  ActionRunner actor(runner, watcher);
  int status = kOk;
  for (const HostAction& action : *actions) {
    if (!actor.Perform(action, &error)) {
      std::fprintf(stderr, "drevhost: %s\n", error.c_str());
      status = kActionFailed;
      break;
    }
  }
  if (status == kOk && !watcher.Unfinished().empty()) {
    std::fprintf(stderr, "drevhost: %s\n", watcher.Unfinished().c_str());
    status = kActionFailed;
  }
  if (runner.ScriptErrors() > 0) {
    std::fprintf(stderr, "drevhost: %s: %d script error(s)\n", args.front().c_str(), runner.ScriptErrors());
    if (status == kOk) status = kScriptError;
  }
  return status;
}

// Opens the desktop for `show`; false with the reason when there is none.
bool OpenScreen(std::string* why) {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    *why = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
#if DREV_ON_SCREEN
  // The on-screen backend (GTK) is loaded only now, from drevhost's own folder.
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string library = (self.parent_path() / DREV_SCREEN_LIBRARY).string();
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    *why = "cannot load the on-screen backend " + library + ": " + (reason ? reason : "dlopen failed");
    return false;
  }
  auto open = reinterpret_cast<plat::gtk::OpenScreenEntry>(dlsym(handle, plat::gtk::kOpenScreenEntry));
  if (!open) {
    *why = "the on-screen backend " + library + " has no entry " + plat::gtk::kOpenScreenEntry;
    return false;
  }
  return open(why);
#else
  *why = "this drevhost was built without the on-screen backend";
  return false;
#endif
}

int ShowCommand(std::span<const std::string> args) {
  const bool headless = !args.empty() && args.front() == "--headless";
  if (headless) args = args.subspan(1);
  if (args.empty()) return Usage("show needs a page");
  std::optional<std::vector<HostAction>> actions;
  std::optional<Page> page;
  if (auto status = ReadPageAndActions(args, actions, page)) return *status;
  std::string error;
  if (!headless && !OpenScreen(&error)) {
    std::fprintf(stderr, "drevhost: show needs a display to put the page on: %s (drevhost run %s runs it without one)\n",
                 error.c_str(), args.front().c_str());
    return kNoDisplay;
  }
  // Off screen the page's windows are painted only for a snapshot.
  if (headless) plat::win::PaintOnlyWhenRead(true);

  PageOutput output;
  // On screen a message box is shown and answered by the person; its line is printed all the same.
  MessageBoxPrinter boxes(output, !headless);
  PageWindow window(*page, output, PageWindow::Options{.alertBoxes = !headless});
  if (!window.Window()) {
    std::fprintf(stderr, "drevhost: the page's window could not be made\n");
    return kFailed;
  }
  int status = kOk;
  {
    PageRunner runner(output);
    CreateFailure failure = CreateFailure::kNone;
    if (!runner.CreateObjects(*page, &failure, &error, window.Window())) {
      if (failure == CreateFailure::kClassNotRegistered) error += NotRegisteredNote();
      std::fprintf(stderr, "drevhost: %s\n", error.c_str());
      return kObjectFailed;
    }
    window.Attach(runner);
    window.Show();
    ProgressWatcher watcher;
    runner.RunScripts(*page);
    plat::win::PumpPendingMessages();

    ActionRunner actor(runner, watcher);
    for (const HostAction& action : *actions) {
      bool done = true;
      if (action.kind == HostAction::Kind::kPageSnapshot) {
        done = plat::win::SnapshotWindow(window.Window(), action.words.front()) != 0;
        if (!done) error = "cannot write the page's snapshot to " + action.words.front();
      } else {
        done = actor.Perform(action, &error);
      }
      if (!done) {
        std::fprintf(stderr, "drevhost: %s\n", error.c_str());
        return kActionFailed;
      }
      if (window.Closed()) break;
    }
    if (!watcher.Unfinished().empty()) {
      std::fprintf(stderr, "drevhost: %s\n", watcher.Unfinished().c_str());
      return kActionFailed;
    }
    if (headless) {
      if (runner.ScriptErrors() > 0) {
        std::fprintf(stderr, "drevhost: %s: %d script error(s)\n", args.front().c_str(), runner.ScriptErrors());
        status = kScriptError;
      }
    } else {
      window.RunUntilClosed();
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("");
  const std::string command = args.front();
  std::span<const std::string> rest(args.data() + 1, args.size() - 1);
  if (command == "regsvr") return RegisterCommand(rest);
  if (command == "typelib") return TypeLibCommand(rest);
  if (command == "run" || command == "show") {
    // The font system's start overlaps the module's loading, the page and its scripts.
    plat::gdi::PrepareFonts();
    return command == "run" ? RunCommand(rest) : ShowCommand(rest);
  }
  if (command == "--help" || command == "-h") {
    std::fputs(kUsageText, stdout);
    return kOk;
  }
  return Usage("unknown command " + command);
}
