// The backend: where windows meet the outside world (message boxes, finished paints, the open-file
// dialog's answers). One per process; the headless backend is installed until another is.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/winuser.h"

namespace plat::gdi {
class Surface;
}

namespace plat::win {

class Backend {
 public:
  virtual ~Backend() = default;
  // Shows a message box and returns the button pressed (IDOK, ...). Texts are CP949. Called on the
  // thread that asked, with the owner (when any) disabled.
  virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
  // A top-level window's surface has new pixels (after a paint). Headless: nothing to do.
  virtual void Present(HWND topLevel, const gdi::Surface& surface) {
    (void)topLevel;
    (void)surface;
  }
};

// The headless backend: a message box writes "caption: text" (UTF-8) and a line feed to standard
// error and answers IDOK.
class HeadlessBackend : public Backend {
 public:
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
};

// Installs a backend (null puts the headless one back) and returns the one it replaces.
std::unique_ptr<Backend> SetBackend(std::unique_ptr<Backend> backend);
Backend& GetBackend();

// A message box, modal to `owner`'s top-level window (disabled while the box is up). Every box is
// recorded (see MessageBoxLog); a hook, when installed, answers instead of the backend — it may run
// a message loop of its own to hold the box open. Returns the answer.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

struct MessageBoxRecord {
  std::string caption;  // CP949
  std::string text;     // CP949
  UINT type = 0;
  DWORD threadId = 0;
  HWND owner = nullptr;
};
using MessageBoxHook = std::function<int(const MessageBoxRecord&)>;
// Installs the hook (an empty one removes it) and returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
// The boxes shown so far in this process, oldest first, and a way to forget them.
std::vector<MessageBoxRecord> MessageBoxLog();
void ClearMessageBoxLog();

// The open-file dialog's answers, queued by a test or the host ahead of the dialog: a list of
// chosen paths (UTF-8), or nullopt for a cancelled dialog. The shell layer takes them in order; an
// empty queue answers "cancelled".
void QueueOpenFileAnswer(std::optional<std::vector<std::string>> paths);
std::optional<std::vector<std::string>> TakeOpenFileAnswer();

}  // namespace plat::win
