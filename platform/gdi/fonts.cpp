// The font system's start on a background thread.
#include "platform/gdi/fonts.h"

#include <fontconfig/fontconfig.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace plat::gdi {
namespace {

struct FontStart {
  std::mutex mutex;
  std::condition_variable finished;
  bool started = false;
  bool done = false;
};

// Never destroyed: the thread may still be reading the configuration when the program ends.
FontStart& TheFontStart() {
  static FontStart* start = new FontStart;
  return *start;
}

}  // namespace

void PrepareFonts() {
  FontStart& start = TheFontStart();
  {
    std::lock_guard lock(start.mutex);
    if (start.started) return;
    start.started = true;
  }
  std::thread([&start] {
    // The default configuration, which pango's font map and every fontconfig call use from now on.
    FcInit();
    {
      std::lock_guard lock(start.mutex);
      start.done = true;
    }
    start.finished.notify_all();
  }).detach();
}

void WaitForFonts() {
  FontStart& start = TheFontStart();
  std::unique_lock lock(start.mutex);
  start.finished.wait(lock, [&start] { return !start.started || start.done; });
}

}  // namespace plat::gdi
