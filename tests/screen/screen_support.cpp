// On-screen test support: the X server, child processes on pipes, xdotool and read-back.
#include "tests/screen/screen_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace drev::screentest {
namespace {

bool HasBinary(const std::string& name) {
  int status = 0;
  Shell("command -v " + name + " >/dev/null 2>&1", &status);
  return status == 0;
}

struct OwnXvfb {
  pid_t pid = -1;
  ~OwnXvfb() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
};

}  // namespace

std::string Display(std::string* why) {
  static std::string display = [&]() -> std::string {
    if (const char* d = std::getenv("DISPLAY"); d && *d) return d;
    if (!HasBinary("Xvfb")) return {};
    static OwnXvfb server;
    for (int n = 91; n < 160; ++n) {
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
          std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
        continue;
      std::string name = ":" + std::to_string(n);
      pid_t pid = fork();
      if (pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp", nullptr);
        _exit(127);
      }
      for (int i = 0; i < 100; ++i) {
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) {
          server.pid = pid;
          setenv("DISPLAY", name.c_str(), 1);
          return name;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    return {};
  }();
  if (display.empty() && why) *why = "no X server: DISPLAY is not set and there is no Xvfb binary";
  return display;
}

Child::Child(const std::vector<std::string>& args, const std::map<std::string, std::string>& env) {
  int toChild[2], fromChild[2];
  if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    close(toChild[1]);
    close(fromChild[0]);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  in_ = toChild[1];
  out_ = fromChild[0];
}

Child::~Child() {
  if (in_ >= 0) close(in_);
  if (pid_ > 0) {
    // A child that ends by itself when its input closes gets a moment to do so.
    for (int i = 0; i < 40; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  if (out_ >= 0) close(out_);
}

bool Child::Send(const std::string& line) {
  std::string text = line + "\n";
  return in_ >= 0 && write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<std::string> Child::ReadLine(std::chrono::milliseconds bound) {
  auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    if (auto nl = buffer_.find('\n'); nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      seen_.push_back(line);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || out_ < 0) return std::nullopt;
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char chunk[4096];
    ssize_t n = read(out_, chunk, sizeof chunk);
    if (n <= 0) return std::nullopt;
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

std::optional<std::string> Child::WaitFor(const std::string& prefix, std::chrono::milliseconds bound) {
  auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    auto line = ReadLine(left);
    if (!line) return std::nullopt;
    if (line->rfind(prefix, 0) == 0) return line;
  }
}

std::string Shell(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    if (status) *status = -1;
    return out;
  }
  char chunk[4096];
  for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
  int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

unsigned long FindXWindow(const std::string& pattern, std::chrono::milliseconds bound) {
  auto deadline = std::chrono::steady_clock::now() + bound;
  while (std::chrono::steady_clock::now() < deadline) {
    std::string out = Shell("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null | head -n 1");
    if (!out.empty()) return std::stoul(out);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

bool XWindowGone(const std::string& pattern, std::chrono::milliseconds bound) {
  auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    if (Shell("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null | head -n 1").empty()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

std::unique_ptr<plat::gdi::Surface> Snapshot(unsigned long xWindow, const std::string& keepAs) {
  std::string file = std::filesystem::temp_directory_path() / ("screen-" + std::to_string(getpid()) + ".png");
  int status = 0;
  Shell("import -window " + std::to_string(xWindow) + " png24:" + file + " 2>/dev/null", &status);
  if (status != 0) return nullptr;
  auto surface = plat::gdi::Surface::FromPng(file);
  if (!keepAs.empty()) std::filesystem::copy_file(file, keepAs, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::remove(file);
  return surface;
}

}  // namespace drev::screentest
