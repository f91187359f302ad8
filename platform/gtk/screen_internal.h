// The on-screen backend's shared state: the desktop windows that show our top-level windows, and
// the helpers its parts share. Private to plat::gtk.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win/backend.h"
#include "platform/win/winuser.h"

// After our headers: GLib's TRUE and FALSE macros would otherwise rename our constants.
#include <gtk/gtk.h>

namespace plat::gdi {
class Surface;
}

namespace plat::gtk::detail {

using win::HWND;

// One of our top-level windows as the desktop shows it: a GTK window whose drawing area shows the
// client part of the window's surface.
struct ScreenWindow {
  HWND hwnd = nullptr;
  GtkWidget* window = nullptr;
  GtkWidget* area = nullptr;
  const gdi::Surface* surface = nullptr;  // the window's pixels, once painted
  POINT clientOffset{};                   // the client area's origin inside the surface
  SIZE client{};                          // the client size the GTK window was given
  POINT origin{};                         // where the client area is on the screen, as last applied
  bool resizable = false;
};

struct Screen {
  DWORD uiThread = 0;
  HWND taskWindow = nullptr;
  std::unordered_map<HWND, std::unique_ptr<ScreenWindow>> windows;
  std::vector<HWND> shown;  // most recently shown last
  int desktopDialogs = 0;   // message boxes and file choosers running now
};
Screen& TheScreen();
bool OnUiThread();

// The desktop window of one of ours, or null.
ScreenWindow* FindScreenWindow(HWND hwnd);
// Brings the desktop window in line with our window's state (made, shown, titled, enabled, placed,
// hidden or destroyed). User-interface thread only.
void Sync(HWND hwnd, win::TopLevelChange change);
// The desktop window a dialog for `owner` is to be modal to: the owner's top-level window when it
// is on screen, else the one shown last that is still visible; null when none is.
GtkWindow* ModalParentFor(HWND owner);
HWND ModalOwnerFor(HWND owner);

// Input and drops of a new desktop window (screen_input.cpp, screen_drop.cpp).
void ConnectInput(ScreenWindow& sw);
void ConnectDrop(ScreenWindow& sw);
// The virtual key of a GDK key value; 0 for keys that have none here.
UINT VirtualKeyOf(guint keyval);

// Runs `task` from the user-interface thread's message loop (not inside a GTK callback, which runs
// inside the loop's wait); any thread may call it. False when the screen is closed.
bool Defer(std::function<void()> task);
// A message box asked for on another thread, answered on the user-interface thread while the asker
// waits; the answer.
int AskMessageBoxOnUiThread(HWND owner, const std::string& text, const std::string& caption, UINT type);
bool CreateTaskWindow();

// The dialogs: a modal GtkMessageDialog, the GtkFileChooserNative open dialog. User-interface
// thread; both run our message loop until answered, so timers and other threads' messages go on.
int ShowMessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT type);
std::optional<std::vector<std::string>> ChooseFilesDialog(const win::OpenFileRequest& request);
// Runs the calling thread's message loop until `done` is true (a GTK callback sets it and wakes the
// loop with WakeLoop). WM_QUIT is put back for the outer loop and ends the wait.
void RunLoopUntil(const bool& done);
void WakeLoop();

}  // namespace plat::gtk::detail
