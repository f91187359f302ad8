// The backend: where windows meet the outside world (message boxes, finished paints, the open-file
// dialog's answers). One per process; the headless backend is installed until another is.
#pragma once

#include <chrono>
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

// What changed about a top-level window, as a backend that shows windows hears of it.
enum class TopLevelChange : int { Shown, Hidden, Text, Enabled, Geometry, Destroyed };

// A top-level window as a backend shows it (read under the window lock; texts CP949).
struct TopLevelState {
  bool visible = false;
  bool enabled = true;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;
  RECT window{};      // screen coordinates
  POINT clientOrigin{};  // screen coordinates
  SIZE client{};
  HWND owner = nullptr;
  DWORD threadId = 0;
};
// The state of a top-level window; false for a handle that is not one.
bool GetTopLevelState(HWND hwnd, TopLevelState* state);

// The open-file dialog as the backend shows it. Texts are UTF-8.
struct OpenFileRequest {
  HWND owner = nullptr;
  bool multiple = false;
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;  // display text, pattern ("*.*")
};

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
  // A top-level window changed (shown, hidden, renamed, enabled or disabled, moved or resized, or
  // about to be destroyed). Called on the thread that made the change. Headless: nothing to do.
  virtual void TopLevelChanged(HWND topLevel, TopLevelChange change) {
    (void)topLevel;
    (void)change;
  }
  // Shows the open-file dialog and returns the chosen paths (UTF-8), or nullopt for a cancel.
  // Headless: there is nobody to ask, so the dialog is cancelled.
  virtual std::optional<std::vector<std::string>> ChooseFiles(const OpenFileRequest& request) {
    (void)request;
    return std::nullopt;
  }
};

// The desktop's event loop that a thread's message waits run instead of sleeping, so that one
// thread serves both its windows' messages and the desktop's events.
class EventPump {
 public:
  virtual ~EventPump() = default;
  // Blocks until `wakeFd` is readable (a message arrived for the thread), an event of the desktop
  // was handled, or `deadline` passed (time_point::max(): no deadline). Handlers that run inside
  // must not wait for this thread's messages themselves; they post.
  virtual void Wait(int wakeFd, std::chrono::steady_clock::time_point deadline) = 0;
};
// Makes the calling thread's waits (GetMessage, WaitMessage, modal loops, a cross-thread
// SendMessage waiting for its answer) run `pump`; null puts the plain sleep back. The pump must
// outlive its use.
void SetThreadEventPump(EventPump* pump);

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
// empty queue asks the backend (which, headless, answers "cancelled").
void QueueOpenFileAnswer(std::optional<std::vector<std::string>> paths);
std::optional<std::vector<std::string>> TakeOpenFileAnswer();
// Whether an answer is queued.
bool HasOpenFileAnswer();

}  // namespace plat::win
