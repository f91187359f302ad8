// What the page sees and says, printed to standard output one line at a time, from any thread.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace drev::host {

// Lines are UTF-8 and written whole (a line from the upload's worker thread never cuts into one from
// the page's thread), each flushed at once so that the order matches the events.
class PageOutput {
 public:
  explicit PageOutput(std::FILE* out = stdout) : out_(out) {}

  void Line(std::string_view utf8);

  // The kinds of line, in their fixed shapes:
  //   event Name("text", 42)
  //   alert text
  //   messagebox Caption: text
  //   script error at line N: message
  //   eval value
  void Event(std::string_view nameAndArgs) { Line("event " + std::string(nameAndArgs)); }
  void Alert(std::string_view text);
  void MessageBox(std::string_view caption, std::string_view text);
  void ScriptError(int line, std::string_view message);
  void EvalResult(std::string_view text);

  // A page on screen also shows its alerts and script errors to the person: these run on the page's
  // thread after the line is printed (UTF-8 texts).
  std::function<void(const std::string& text)> onAlert;
  std::function<void(int line, const std::string& message)> onScriptError;

 private:
  std::FILE* out_;
  std::mutex mutex_;
};

// Routes the platform's message boxes (CP949 texts) to `output` as "messagebox" lines while the
// object lives, answering each with OK at once, or, with `show`, after the backend has shown it and
// the person answered; the previous hook comes back afterwards.
class MessageBoxPrinter {
 public:
  explicit MessageBoxPrinter(PageOutput& output, bool show = false);
  ~MessageBoxPrinter();
  MessageBoxPrinter(const MessageBoxPrinter&) = delete;
  MessageBoxPrinter& operator=(const MessageBoxPrinter&) = delete;
};

}  // namespace drev::host
