// The font system's start on a background thread.
#include "platform/gdi/fonts.h"

#include <fontconfig/fontconfig.h>

#include <condition_variable>
#include <cstdlib>
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

// The default configuration, read as FcInit reads it (the configuration file fontconfig is told
// of, or its own, with the user's files it includes), but without the descriptions of the
// configuration templates that FcInit also parses for configuration tools: two fifths of its time,
// of no use to drawing. When the configuration cannot be read, or names no cache folder, FcInit
// takes over with its own fallbacks; so it does when fontconfig's debugging output is asked for
// (FC_DEBUG), which only its own initialisation switches on.
void LoadDefaultConfiguration() {
  if (std::getenv("FC_DEBUG") != nullptr) {
    FcInit();
    return;
  }
  FcConfig* config = FcConfigCreate();
  bool ready = config != nullptr && FcConfigParseAndLoad(config, nullptr, FcTrue);
  if (ready) {
    FcStrList* caches = FcConfigGetCacheDirs(config);
    ready = caches != nullptr && FcStrListNext(caches) != nullptr;
    if (caches != nullptr) FcStrListDone(caches);
  }
  ready = ready && FcConfigBuildFonts(config) && FcConfigSetCurrent(config);
  if (config != nullptr) FcConfigDestroy(config);  // the current configuration holds its own reference
  if (!ready) FcInit();
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
    LoadDefaultConfiguration();
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
