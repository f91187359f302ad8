// Support for the on-screen tests: an X server (the one DISPLAY names, else an Xvfb of our own),
// child processes spoken to through pipes, xdotool, and pixels read back from the X server.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/surface.h"

namespace drev::screentest {

// The X server the tests use: DISPLAY when set, else an Xvfb started on a free display for the rest
// of the process. Empty with `why` set when there is none (no Xvfb binary).
std::string Display(std::string* why);

// A child process with its standard input and output on pipes; killed at scope end.
class Child {
 public:
  Child(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Send(const std::string& line);
  // The next line of output, or nullopt when none came within `bound` (or the child closed it).
  std::optional<std::string> ReadLine(std::chrono::milliseconds bound);
  // Reads lines until one starts with `prefix` and returns it; every line read on the way is kept in
  // Seen(). Nullopt when none came within `bound`.
  std::optional<std::string> WaitFor(const std::string& prefix, std::chrono::milliseconds bound = std::chrono::seconds(20));
  const std::vector<std::string>& Seen() const { return seen_; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string buffer_;
  std::vector<std::string> seen_;
};

// Runs a command line through the shell and returns its standard output; status in *status.
std::string Shell(const std::string& command, int* status = nullptr);
// The X window id of the first window whose name matches `pattern` (a regular expression), waiting
// up to `bound` for it; 0 when none appeared.
unsigned long FindXWindow(const std::string& pattern, std::chrono::milliseconds bound = std::chrono::seconds(15));
// Whether no window whose name matches `pattern` is on the screen, waiting up to `bound` for the
// last one to go.
bool XWindowGone(const std::string& pattern, std::chrono::milliseconds bound = std::chrono::seconds(5));
// The window's pixels as the X server has them (import -window); null when that failed. With
// `keepAs`, the PNG is also copied there.
std::unique_ptr<plat::gdi::Surface> Snapshot(unsigned long xWindow, const std::string& keepAs = {});

}  // namespace drev::screentest
