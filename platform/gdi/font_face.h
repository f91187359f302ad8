// Fonts on pango: the family a LOGFONT names, its pango description, metrics and text layouts.
// Private to plat::gdi.
#pragma once

#include <memory>
#include <string>
#include <string_view>

// Our TRUE and FALSE constants must be declared before glib brings its macros of the same names.
#include "platform/gdi/objects.h"

#include <pango/pangocairo.h>

namespace plat::gdi {

// Integer metrics of a font in pixels, the way the platform reports them: height = ascent + descent.
struct FontMetrics {
  int ascent = 0;
  int descent = 0;
  int height = 0;
  int maxCharWidth = 0;
};

struct GObjectDeleter {
  void operator()(void* object) const { g_object_unref(object); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

struct FontDescriptionDeleter {
  void operator()(PangoFontDescription* d) const { pango_font_description_free(d); }
};
using FontDescriptionPtr = std::unique_ptr<PangoFontDescription, FontDescriptionDeleter>;

// The installed family that draws a face name (CP949): "굴림" and "돋움" become the Baekmuk faces, an
// installed family is taken as named, and anything else falls to an installed Korean face, then to
// the fontconfig default. UTF-8.
std::string ResolveFamily(std::string_view cp949Face);

// The pixel size of the em square for a LOGFONT height (negative: em size; positive: cell height;
// zero: the platform's default of 12 pixels).
double EmPixels(const LOGFONT& lf);

FontDescriptionPtr DescriptionOf(const LOGFONT& lf);
FontMetrics MetricsOf(const LOGFONT& lf);

// The calling thread's pango context: 96 dpi, greyscale antialiasing, unhinted metrics.
PangoContext* ThreadContext();

// A layout of `utf8` in `lf`'s font on the thread's context. `underline` marks one byte offset to
// underline (the prefix character of a menu-style text), or npos.
LayoutPtr NewLayout(const LOGFONT& lf, std::string_view utf8, std::size_t underline = std::string::npos);

// The font's average character width in pixels (pango's approximate character width for the
// thread's language), kept per thread and font. Apart from MetricsOf: finding it lays out a sample
// text, which loads and hints a dozen glyphs, and only text metrics report it.
int AverageCharWidth(const LOGFONT& lf);

// Width of a layout's widest line in pixels, rounded up.
int LayoutWidth(PangoLayout* layout);

// Width in pixels, rounded up, of `utf8` laid out on one line in `lf`'s font: what LayoutWidth
// gives for its layout when the text holds no line break, without loading any glyph's outline.
int AdvanceWidth(const LOGFONT& lf, std::string_view utf8);

}  // namespace plat::gdi
