// The store file: parsed on change, rewritten whole through a temporary file under an flock.
#include "platform/registry/store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/kernel/error.h"

namespace plat::registry::detail {
namespace {

using namespace plat::kernel;

constexpr auto kLockBound = std::chrono::seconds(10);

// Closes a descriptor when it goes (which also drops an flock taken on it).
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// The last tree parsed in this process with the text it came from: a read that finds the same text
// again skips parsing. (Comparing the text rather than file times stays right when two writes land
// within one tick of the file system's clock.)
struct Cache {
  std::mutex mutex;
  std::string path;
  std::string text;
  std::shared_ptr<const Json> tree;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

std::shared_ptr<Json> EmptyTree() {
  auto tree = std::make_shared<Json>(Json::object());
  EnsureRoot(*tree);
  return tree;
}

// The file's bytes; a missing file reads as empty.
LONG ReadText(const std::string& path, std::string& text) {
  text.clear();
  Fd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? ERROR_SUCCESS : ERROR_CANTREAD;
  char buffer[16384];
  while (true) {
    ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ERROR_CANTREAD;
    if (n == 0) return ERROR_SUCCESS;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// The tree of a store text; blank text is an empty store.
LONG ParseText(const std::string& text, std::shared_ptr<Json>& tree) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    tree = EmptyTree();
    return ERROR_SUCCESS;
  }
  Json parsed = Json::parse(text, nullptr, false);
  if (parsed.is_discarded() || !IsWellFormed(parsed)) return ERROR_REGISTRY_CORRUPT;
  EnsureRoot(parsed);
  tree = std::make_shared<Json>(std::move(parsed));
  return ERROR_SUCCESS;
}

bool TakeLock(int fd) {
  auto deadline = std::chrono::steady_clock::now() + kLockBound;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes `text` beside the store and renames it over the store, so readers see the old file or the
// new one, never a part.
bool Replace(const std::string& path, const std::string& text) {
  static std::atomic<unsigned> counter{0};
  std::string temp = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
  {
    Fd fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.get() < 0) return false;
    if (!WriteAll(fd.get(), text) || fsync(fd.get()) != 0) {
      unlink(temp.c_str());
      return false;
    }
  }
  if (rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}

void Remember(const std::string& path, std::string text, std::shared_ptr<const Json> tree) {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  cache.path = path;
  cache.text = std::move(text);
  cache.tree = std::move(tree);
}

}  // namespace

std::string StorePath() {
  const char* explicitPath = std::getenv("DREV_REGISTRY");
  if (explicitPath != nullptr && *explicitPath != '\0') return explicitPath;
  std::string base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && *xdg == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
      const passwd* user = getpwuid(getuid());
      home = user != nullptr ? user->pw_dir : "/tmp";
    }
    base = std::string(home) + "/.local/share";
  }
  return base + "/drev/registry.json";
}

LONG ReadTree(std::shared_ptr<const Json>& tree) {
  std::string path = StorePath();
  std::string text;
  if (ReadText(path, text) != ERROR_SUCCESS) return ERROR_CANTREAD;
  {
    Cache& cache = TheCache();
    std::lock_guard lock(cache.mutex);
    if (cache.tree && cache.path == path && cache.text == text) {
      tree = cache.tree;
      return ERROR_SUCCESS;
    }
  }
  std::shared_ptr<Json> parsed;
  LONG result = ParseText(text, parsed);
  if (result != ERROR_SUCCESS) return result;
  tree = parsed;
  Remember(path, std::move(text), std::move(parsed));
  return ERROR_SUCCESS;
}

LONG UpdateTree(const std::function<LONG(Json& tree, bool& modified)>& change) {
  std::string path = StorePath();
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  Fd lock(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock.get() < 0 || !TakeLock(lock.get())) return ERROR_CANTWRITE;

  // Read afresh under the lock: another process may have written since this one last looked.
  std::string text;
  if (ReadText(path, text) != ERROR_SUCCESS) return ERROR_CANTREAD;
  std::shared_ptr<Json> tree;
  LONG result = ParseText(text, tree);
  if (result != ERROR_SUCCESS) return result;
  bool modified = false;
  result = change(*tree, modified);
  if (result != ERROR_SUCCESS || !modified) return result;
  std::string updated;
  try {
    updated = tree->dump(1) + "\n";
  } catch (const Json::exception&) {
    return ERROR_CANTWRITE;
  }
  if (!Replace(path, updated)) return ERROR_CANTWRITE;
  Remember(path, std::move(updated), std::move(tree));
  return ERROR_SUCCESS;
}

}  // namespace plat::registry::detail
