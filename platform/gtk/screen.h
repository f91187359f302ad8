// The on-screen backend of plat::win on GTK 3: our top-level windows as desktop windows, the
// desktop's input, file chooser, drops and message dialogs. GTK stays behind this header.
#pragma once

#include <string>

namespace plat::gtk {

// Opens the display (gtk_init_check) and installs the on-screen backend of plat::win, with the
// calling thread as the user-interface thread whose waits run GTK's main context. Returns false with
// the reason in *why when there is no display. Call on the user-interface thread, before it makes
// the windows it is to show; calling again after success does nothing and returns true.
bool OpenScreen(std::string* why);
bool ScreenOpen();

// A program that puts windows on the screen only now and then (drevhost) loads this library with
// dlopen when it does, so that its other runs do not load GTK and its libraries: it finds
// OpenScreen under this unmangled name.
inline constexpr const char* kOpenScreenEntry = "plat_gtk_OpenScreen";
using OpenScreenEntry = bool (*)(std::string* why);

}  // namespace plat::gtk
