// The application name, taken from the module file that holds this code.
#include "resources/AppName.h"

#include <dlfcn.h>

#include <filesystem>
#include <string_view>

namespace drev {

namespace {

// The module's own name, used when the code is not inside a shared module.
constexpr std::string_view kDefaultAppName = "zelk";

std::string BaseName(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  std::size_t dot = path.find_last_of('.');
  if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
  return std::string(path);
}

std::string FindAppName() {
  Dl_info info{};
  void* self = reinterpret_cast<void*>(&AfxGetAppName);
  if (dladdr(self, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0')
    return std::string(kDefaultAppName);
  // Code linked into the program itself has no module file of its own.
  std::error_code error;
  auto module = std::filesystem::canonical(info.dli_fname, error);
  auto program = std::filesystem::canonical("/proc/self/exe", error);
  if (error || module == program) return std::string(kDefaultAppName);
  std::string name = BaseName(info.dli_fname);
  return name.empty() ? std::string(kDefaultAppName) : name;
}

}  // namespace

const std::string& AfxGetAppName() {
  static const std::string name = FindAppName();
  return name;
}

}  // namespace drev
