// Dialog base units from the advances of the alphabet in the font, kept per font.
#include "platform/gdi/dialog_units.h"

#include <mutex>
#include <tuple>
#include <vector>

#include "platform/gdi/font_face.h"

namespace plat::gdi {
namespace {

SIZE Measure(const LOGFONT& lf) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  int width = AdvanceWidth(lf, kAlphabet);
  return SIZE{(width / 26 + 1) / 2, MetricsOf(lf).height};
}

bool SameFont(const LOGFONT& a, const LOGFONT& b) {
  return std::tie(a.lfHeight, a.lfWeight, a.lfItalic, a.lfUnderline, a.lfCharSet, a.lfFaceName) ==
         std::tie(b.lfHeight, b.lfWeight, b.lfItalic, b.lfUnderline, b.lfCharSet, b.lfFaceName);
}

// Laying the alphabet out costs tens of thousands of instructions, and list geometry asks for a
// row's height on every hit test, scroll and repaint; a font's units never change, so each is
// measured once. A program uses a handful of fonts; the table is bounded all the same.
struct UnitsCache {
  static constexpr std::size_t kMostFonts = 64;
  std::mutex mutex;
  std::vector<std::pair<LOGFONT, SIZE>> entries;
};

UnitsCache& Cache() {
  static UnitsCache* cache = new UnitsCache;  // never destroyed: asked for until the very end
  return *cache;
}

}  // namespace

SIZE GetDialogBaseUnits(const LOGFONT& lf) {
  UnitsCache& cache = Cache();
  {
    std::lock_guard lock(cache.mutex);
    for (const auto& [font, units] : cache.entries) {
      if (SameFont(font, lf)) return units;
    }
  }
  SIZE units = Measure(lf);
  std::lock_guard lock(cache.mutex);
  if (cache.entries.size() >= UnitsCache::kMostFonts) cache.entries.erase(cache.entries.begin());
  cache.entries.emplace_back(lf, units);
  return units;
}

}  // namespace plat::gdi
