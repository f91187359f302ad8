// System colours: one process-wide table of atomics, so that any thread reads a whole colour.
#include "platform/gdi/syscolor.h"

#include <array>
#include <atomic>

namespace plat::gdi {
namespace {

constexpr int kCount = 31;

constexpr std::array<COLORREF, kCount> kClassic = {
    RGB(212, 208, 200),  // scroll bar
    RGB(58, 110, 165),   // desktop
    RGB(10, 36, 106),    // active caption
    RGB(128, 128, 128),  // inactive caption
    RGB(212, 208, 200),  // menu
    RGB(255, 255, 255),  // window
    RGB(0, 0, 0),        // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(255, 255, 255),  // caption text
    RGB(212, 208, 200),  // active border
    RGB(212, 208, 200),  // inactive border
    RGB(128, 128, 128),  // application workspace
    RGB(10, 36, 106),    // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(212, 208, 200),  // button face
    RGB(128, 128, 128),  // button shadow
    RGB(128, 128, 128),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(212, 208, 200),  // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(64, 64, 64),     // 3-D dark shadow
    RGB(212, 208, 200),  // 3-D light
    RGB(0, 0, 0),        // tooltip text
    RGB(255, 255, 225),  // tooltip background
    RGB(181, 181, 181),  // (unused element 25)
    RGB(0, 0, 128),      // hot-tracked item
    RGB(166, 202, 240),  // active caption gradient
    RGB(192, 192, 192),  // inactive caption gradient
    RGB(10, 36, 106),    // menu highlight
    RGB(212, 208, 200),  // menu bar
};

std::array<std::atomic<COLORREF>, kCount>& Table() {
  struct Holder {
    std::array<std::atomic<COLORREF>, kCount> colors;
    Holder() {
      for (int i = 0; i < kCount; ++i) colors[i].store(kClassic[i]);
    }
  };
  static Holder holder;
  return holder.colors;
}

}  // namespace

COLORREF GetSysColor(int index) {
  if (index < 0 || index >= kCount) return 0;
  return Table()[index].load(std::memory_order_relaxed);
}

BOOL SetSysColors(int count, const int* indices, const COLORREF* colors) {
  if (count < 0 || (count > 0 && (indices == nullptr || colors == nullptr))) return FALSE;
  BOOL allKnown = TRUE;
  for (int i = 0; i < count; ++i) {
    if (indices[i] < 0 || indices[i] >= kCount) {
      allKnown = FALSE;
      continue;
    }
    Table()[indices[i]].store(colors[i] & 0x00FFFFFF, std::memory_order_relaxed);
  }
  return allKnown;
}

void ResetSysColors() {
  for (int i = 0; i < kCount; ++i) Table()[i].store(kClassic[i], std::memory_order_relaxed);
}

}  // namespace plat::gdi
