// Opening the screen: GTK's start, the user-interface thread's waits on GLib's main context, and the
// backend that plat::win hands its windows, paints and dialogs to.
#include "platform/gtk/screen.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/fonts.h"
#include "platform/gtk/screen_internal.h"
#include "platform/kernel/thread.h"
#include "platform/win/window.h"

#include <glib-unix.h>

namespace plat::gtk {
namespace detail {

Screen& TheScreen() {
  static Screen* screen = new Screen;  // lives as long as the process, as GTK does
  return *screen;
}

bool OnUiThread() { return ScreenOpen() && kernel::GetCurrentThreadId() == TheScreen().uiThread; }

ScreenWindow* FindScreenWindow(HWND hwnd) {
  auto& windows = TheScreen().windows;
  auto it = windows.find(hwnd);
  return it == windows.end() ? nullptr : it->second.get();
}

HWND ModalOwnerFor(HWND owner) {
  HWND top = owner ? win::GetAncestor(owner, win::GA_ROOT) : nullptr;
  if (top && FindScreenWindow(top)) return top;
  const auto& shown = TheScreen().shown;
  for (auto it = shown.rbegin(); it != shown.rend(); ++it)
    if (win::IsWindowVisible(*it) && FindScreenWindow(*it)) return *it;
  return nullptr;
}

GtkWindow* ModalParentFor(HWND owner) {
  ScreenWindow* sw = FindScreenWindow(ModalOwnerFor(owner));
  return sw ? GTK_WINDOW(sw->window) : nullptr;
}

}  // namespace detail

namespace {

using namespace detail;
using Deadline = std::chrono::steady_clock::time_point;

bool g_open = false;

// The user-interface thread's waits: one iteration of GLib's main context, which also watches the
// thread's wake-up eventfd and, when there is one, a timeout at the deadline.
class GlibPump : public win::EventPump {
 public:
  void Wait(int wakeFd, Deadline deadline) override {
    if (wakeFd != watchedFd_) Watch(wakeFd);
    GSource* timeout = nullptr;
    if (deadline != Deadline::max()) {
      auto left = deadline - std::chrono::steady_clock::now();
      auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
      if (ms <= 0) {
        g_main_context_iteration(nullptr, FALSE);
        return;
      }
      timeout = g_timeout_source_new(static_cast<guint>(std::min<std::int64_t>(ms, G_MAXINT)));
      g_source_set_callback(timeout, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
      g_source_attach(timeout, nullptr);
    }
    g_main_context_iteration(nullptr, TRUE);
    if (timeout) {
      g_source_destroy(timeout);
      g_source_unref(timeout);
    }
  }

 private:
  // A message for the thread makes the eventfd readable; reading it here keeps GLib from seeing it
  // ready again, and the wait's caller looks at the queue after every iteration anyway.
  void Watch(int fd) {
    watchedFd_ = fd;
    g_unix_fd_add(fd, G_IO_IN, [](gint fd, GIOCondition, gpointer) -> gboolean {
      std::uint64_t count = 0;
      [[maybe_unused]] ssize_t n = ::read(fd, &count, sizeof count);
      return G_SOURCE_CONTINUE;
    }, nullptr);
  }
  int watchedFd_ = -1;
};

class ScreenBackend : public win::Backend {
 public:
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
    if (OnUiThread()) return ShowMessageDialog(owner, text, caption, type);
    return AskMessageBoxOnUiThread(owner, text, caption, type);
  }

  void Present(HWND topLevel, const gdi::Surface& surface) override {
    if (!OnUiThread()) return;
    if (ScreenWindow* sw = FindScreenWindow(topLevel)) {
      sw->surface = &surface;
      gtk_widget_queue_draw(sw->area);
    }
  }

  void TopLevelChanged(HWND topLevel, win::TopLevelChange change) override {
    if (OnUiThread()) {
      Sync(topLevel, change);
      return;
    }
    // Windows of other threads stay off the screen, but a change another thread makes to one of
    // the user-interface thread's windows (enabling it, say) is applied there.
    win::TopLevelState state;
    if (!win::GetTopLevelState(topLevel, &state) || state.threadId != TheScreen().uiThread) return;
    Defer([topLevel, change] { Sync(topLevel, change); });
  }

  std::optional<std::vector<std::string>> ChooseFiles(const win::OpenFileRequest& request) override {
    if (!OnUiThread()) return std::nullopt;
    return ChooseFilesDialog(request);
  }
};

GlibPump* g_pump = nullptr;

}  // namespace

bool OpenScreen(std::string* why) {
  if (g_open) return true;
  plat::gdi::WaitForFonts();  // GTK reaches pango and fontconfig on its own
  // Without a session bus, the settings and accessibility services would only print warnings.
  setenv("NO_AT_BRIDGE", "1", 0);
  if (!gtk_init_check(nullptr, nullptr)) {
    if (why) {
      const char* display = std::getenv("DISPLAY");
      const char* wayland = std::getenv("WAYLAND_DISPLAY");
      *why = (display && *display) || (wayland && *wayland)
                 ? std::string("cannot open the display ") + (display && *display ? display : wayland)
                 : std::string("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    }
    return false;
  }
  TheScreen().uiThread = kernel::GetCurrentThreadId();
  g_open = true;
  if (!CreateTaskWindow()) {
    g_open = false;
    if (why) *why = "cannot make the screen's task window";
    return false;
  }
  g_pump = new GlibPump;  // serves the thread for the rest of the process
  win::SetThreadEventPump(g_pump);
  win::SetBackend(std::make_unique<ScreenBackend>());
  return true;
}

bool ScreenOpen() { return g_open; }

}  // namespace plat::gtk

extern "C" __attribute__((visibility("default"))) bool plat_gtk_OpenScreen(std::string* why) {
  return plat::gtk::OpenScreen(why);
}
