// The folders a page may name files in, and the check of a path against them.
#include "platform/shell/page_files.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/text/text.h"

namespace plat::shell {
namespace {

namespace fs = std::filesystem;

// Symbolic links and ".." resolved as far as the path exists; the rest kept, made absolute.
fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(path, ec);
  if (ec) return path.lexically_normal();
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  return ec ? absolute.lexically_normal() : resolved;
}

fs::path TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  return Resolved(tmp != nullptr && *tmp != '\0' ? fs::path(tmp) : fs::path("/tmp"));
}

struct Policy {
  std::mutex mutex;
  std::vector<fs::path> folders{TempFolder()};
};

Policy& ThePolicy() {
  static Policy policy;
  return policy;
}

// Whether `inner` is `folder` or lies below it, compared component by component (so "/tmpx" is
// not inside "/tmp").
bool IsInside(const fs::path& inner, const fs::path& folder) {
  auto i = inner.begin();
  for (auto f = folder.begin(); f != folder.end(); ++f, ++i) {
    if (f->empty() && std::next(f) == folder.end()) break;  // a trailing separator
    if (i == inner.end() || *i != *f) return false;
  }
  return true;
}

}  // namespace

void SetPageFileFolders(const std::vector<std::string>& utf8Folders) {
  std::vector<fs::path> folders;
  for (const std::string& folder : utf8Folders) folders.push_back(Resolved(fs::path(folder)));
  Policy& policy = ThePolicy();
  std::lock_guard lock(policy.mutex);
  policy.folders = std::move(folders);
}

void AllowPageFileFolder(const std::string& utf8Folder) {
  fs::path folder = Resolved(fs::path(utf8Folder));
  Policy& policy = ThePolicy();
  std::lock_guard lock(policy.mutex);
  policy.folders.push_back(std::move(folder));
}

std::vector<std::string> PageFileFolders() {
  Policy& policy = ThePolicy();
  std::lock_guard lock(policy.mutex);
  std::vector<std::string> out;
  for (const fs::path& folder : policy.folders) out.push_back(folder.string());
  return out;
}

std::string SystemTempFolder() { return TempFolder().string(); }

bool IsPageFileAllowed(const std::string& cp949Path) {
  bool lossless = true;
  std::string utf8 = text::Cp949ToUtf8(cp949Path, &lossless);
  if (!lossless || utf8.empty()) return false;
  fs::path resolved = Resolved(fs::path(utf8));
  Policy& policy = ThePolicy();
  std::lock_guard lock(policy.mutex);
  for (const fs::path& folder : policy.folders) {
    if (IsInside(resolved, folder)) return true;
  }
  return false;
}

}  // namespace plat::shell
