// Fonts on pango: face-name mapping, descriptions, metrics and layouts.
#include "platform/gdi/font_face.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "platform/gdi/fonts.h"
#include "platform/text/text.h"

namespace plat::gdi {
namespace {

constexpr double kDefaultEm = 12.0;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Lower-case names of the installed families, read once.
const std::set<std::string>& InstalledFamilies() {
  static const std::set<std::string> families = [] {
    std::set<std::string> out;
    PangoFontFamily** list = nullptr;
    int count = 0;
    pango_font_map_list_families(pango_context_get_font_map(ThreadContext()), &list, &count);
    for (int i = 0; i < count; ++i) out.insert(Lower(pango_font_family_get_name(list[i])));
    g_free(list);
    return out;
  }();
  return families;
}

// The first family, by name, of the fonts fontconfig says cover Korean; empty when there is none.
std::string AnyKoreanFamily() {
  static const std::string family = [] {
    WaitForFonts();
    std::string best;
    FcPattern* pattern = FcPatternCreate();
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ko"));
    FcPatternAddLangSet(pattern, FC_LANG, langs);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
      for (int i = 0; i < set->nfont; ++i) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &name) != FcResultMatch) continue;
        std::string n(reinterpret_cast<const char*>(name));
        if (best.empty() || n < best) best = n;
      }
      FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcLangSetDestroy(langs);
    FcPatternDestroy(pattern);
    return best;
  }();
  return family;
}

// The Korean system faces that dialogs name, and the installed faces that stand in for them.
std::string MappedFace(const std::string& utf8) {
  if (utf8 == "굴림" || utf8 == "굴림체" || utf8 == "Gulim" || utf8 == "GulimChe") return "Baekmuk Gulim";
  if (utf8 == "돋움" || utf8 == "돋움체" || utf8 == "Dotum" || utf8 == "DotumChe") return "Baekmuk Dotum";
  if (utf8 == "바탕" || utf8 == "바탕체" || utf8 == "Batang" || utf8 == "BatangChe") return "Baekmuk Batang";
  return utf8;
}

}  // namespace

std::string ResolveFamily(std::string_view cp949Face) {
  static std::mutex mutex;
  static std::map<std::string, std::string, std::less<>> cache;
  std::lock_guard lock(mutex);
  if (auto it = cache.find(cp949Face); it != cache.end()) return it->second;
  std::string wanted = MappedFace(plat::text::Cp949ToUtf8(cp949Face));
  std::string family;
  if (!wanted.empty() && InstalledFamilies().contains(Lower(wanted))) family = wanted;
  if (family.empty()) family = AnyKoreanFamily();
  if (family.empty()) family = "Sans";
  cache.emplace(std::string(cp949Face), family);
  return family;
}

// Each thread draws text through a context of its own. The process-wide font map and the font
// libraries' caches are left to the end of the process: tearing them down at exit while another
// thread may still hold fonts aborts inside cairo, and a program people use must never do that
// for the sake of a leak report (the test build's leak checker is told about them in lsan.supp).
PangoContext* ThreadContext() {
  struct Holder {
    PangoContext* context = nullptr;
    Holder() {
      WaitForFonts();  // the font map must not start fontconfig while a PrepareFonts thread does
      context = pango_font_map_create_context(pango_cairo_font_map_get_default());
      pango_cairo_context_set_resolution(context, 96.0);
      cairo_font_options_t* options = cairo_font_options_create();
      cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
      cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
      pango_cairo_context_set_font_options(context, options);
      cairo_font_options_destroy(options);
      pango_context_set_language(context, pango_language_from_string("ko"));
    }
    ~Holder() {
      g_object_unref(context);
    }
  };
  thread_local Holder holder;
  return holder.context;
}

namespace {

FontDescriptionPtr FamilyDescription(const LOGFONT& lf, double em) {
  FontDescriptionPtr d(pango_font_description_new());
  std::string family = ResolveFamily(lf.lfFaceName);
  pango_font_description_set_family(d.get(), family.c_str());
  pango_font_description_set_absolute_size(d.get(), em * PANGO_SCALE);
  int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::clamp<int>(lf.lfWeight, 100, 1000);
  pango_font_description_set_weight(d.get(), static_cast<PangoWeight>(weight));
  pango_font_description_set_style(d.get(), lf.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  return d;
}

// Ascent and descent in pixels (unrounded) of the primary font of a description. They are the
// face's extents as pango itself takes them for its metrics, read from the font's HarfBuzz face:
// pango's full metrics also lay out a sample text of the language to find an average character
// width, which loads and hints a dozen glyphs and is not needed here. A slanted face may be an
// upright one drawn through a matrix, whose extents pango scales: those take pango's own metrics.
std::pair<double, double> RawMetrics(const PangoFontDescription* d) {
  PangoFont* font = pango_context_load_font(ThreadContext(), d);
  if (font == nullptr) return {0.8 * pango_font_description_get_size(d) / PANGO_SCALE,
                               0.2 * pango_font_description_get_size(d) / PANGO_SCALE};
  std::pair<double, double> out;
  hb_font_t* shaper = pango_font_description_get_style(d) == PANGO_STYLE_NORMAL ? pango_font_get_hb_font(font) : nullptr;
  hb_font_extents_t extents{};
  if (shaper != nullptr && hb_font_get_h_extents(shaper, &extents)) {
    out = {static_cast<double>(extents.ascender) / PANGO_SCALE, static_cast<double>(-extents.descender) / PANGO_SCALE};
  } else {
    PangoFontMetrics* m = pango_font_get_metrics(font, nullptr);
    out = {static_cast<double>(pango_font_metrics_get_ascent(m)) / PANGO_SCALE,
           static_cast<double>(pango_font_metrics_get_descent(m)) / PANGO_SCALE};
    pango_font_metrics_unref(m);
  }
  g_object_unref(font);
  return out;
}

}  // namespace

double EmPixels(const LOGFONT& lf) {
  if (lf.lfHeight < 0) return -static_cast<double>(lf.lfHeight);
  if (lf.lfHeight == 0) return kDefaultEm;
  // A cell height: scale the em so that ascent + descent comes out at the asked height.
  auto [ascent, descent] = RawMetrics(FamilyDescription(lf, 100.0).get());
  double cell = ascent + descent;
  return cell > 0 ? lf.lfHeight * 100.0 / cell : static_cast<double>(lf.lfHeight);
}

FontDescriptionPtr DescriptionOf(const LOGFONT& lf) { return FamilyDescription(lf, EmPixels(lf)); }

namespace {

// Drawing asks for the same few fonts over and over: each thread keeps its answers per face,
// height, weight and slant (one table per kind of answer).
template <class Answer, class Find>
Answer KeptPerFont(const LOGFONT& lf, Find find) {
  using Key = std::tuple<std::string, LONG, LONG, BYTE>;
  thread_local std::map<Key, Answer> cache;
  Key key{lf.lfFaceName, lf.lfHeight, lf.lfWeight, lf.lfItalic};
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  return cache.emplace(std::move(key), find()).first->second;
}

}  // namespace

FontMetrics MetricsOf(const LOGFONT& lf) {
  return KeptPerFont<FontMetrics>(lf, [&lf] {
    auto [ascent, descent] = RawMetrics(DescriptionOf(lf).get());
    FontMetrics out;
    out.ascent = static_cast<int>(std::lround(ascent));
    out.height = std::max(1, static_cast<int>(std::lround(ascent + descent)));
    out.descent = out.height - out.ascent;
    out.maxCharWidth = static_cast<int>(std::lround(EmPixels(lf)));
    return out;
  });
}

int AverageCharWidth(const LOGFONT& lf) {
  return KeptPerFont<int>(lf, [&lf] {
    PangoFontMetrics* m = pango_context_get_metrics(ThreadContext(), DescriptionOf(lf).get(), nullptr);
    int width = static_cast<int>(
        std::lround(static_cast<double>(pango_font_metrics_get_approximate_char_width(m)) / PANGO_SCALE));
    pango_font_metrics_unref(m);
    return width;
  });
}

namespace {

// The description of a font as the thread's layouts ask for it, made once per face, size, weight
// and slant: finding the family and, for a cell height, the em size loads fonts.
const PangoFontDescription* ThreadDescription(const LOGFONT& lf) {
  using Key = std::tuple<std::string, LONG, LONG, BYTE>;
  thread_local std::map<Key, FontDescriptionPtr> cache;
  Key key{lf.lfFaceName, lf.lfHeight, lf.lfWeight, lf.lfItalic};
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(std::move(key), DescriptionOf(lf)).first;
  return it->second.get();
}

}  // namespace

LayoutPtr NewLayout(const LOGFONT& lf, std::string_view utf8, std::size_t underline) {
  LayoutPtr layout(pango_layout_new(ThreadContext()));
  pango_layout_set_font_description(layout.get(), ThreadDescription(lf));
  pango_layout_set_text(layout.get(), utf8.data(), static_cast<int>(utf8.size()));
  PangoAttrList* attrs = pango_attr_list_new();
  if (lf.lfUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  if (underline != std::string::npos && underline < utf8.size()) {
    PangoAttribute* a = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
    a->start_index = static_cast<guint>(underline);
    a->end_index = static_cast<guint>(underline + 1);
    while (a->end_index < utf8.size() && (static_cast<unsigned char>(utf8[a->end_index]) & 0xC0) == 0x80)
      ++a->end_index;
    pango_attr_list_insert(attrs, a);
  }
  pango_layout_set_attributes(layout.get(), attrs);
  pango_attr_list_unref(attrs);
  return layout;
}

int LayoutWidth(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return static_cast<int>(std::ceil(static_cast<double>(logical.width) / PANGO_SCALE - 1e-6));
}

int AdvanceWidth(const LOGFONT& lf, std::string_view utf8) {
  // Itemized and shaped as a layout would do it (the same fonts, the same rounding of positions),
  // then the advances summed: a layout also finds every line's extents, which loads and hints each
  // glyph's outline, and a width needs none of that.
  PangoContext* context = ThreadContext();
  PangoAttrList* attrs = pango_attr_list_new();
  pango_attr_list_insert(attrs, pango_attr_font_desc_new(ThreadDescription(lf)));
  const int length = static_cast<int>(utf8.size());
  GList* items = pango_itemize(context, utf8.data(), 0, length, attrs, nullptr);
  pango_attr_list_unref(attrs);
  const PangoShapeFlags flags =
      pango_context_get_round_glyph_positions(context) ? PANGO_SHAPE_ROUND_POSITIONS : PANGO_SHAPE_NONE;
  PangoGlyphString* glyphs = pango_glyph_string_new();
  long width = 0;
  for (GList* l = items; l != nullptr; l = l->next) {
    auto* item = static_cast<PangoItem*>(l->data);
    pango_shape_with_flags(utf8.data() + item->offset, item->length, utf8.data(), length, &item->analysis, glyphs,
                           flags);
    width += pango_glyph_string_get_width(glyphs);
    pango_item_free(item);
  }
  pango_glyph_string_free(glyphs);
  g_list_free(items);
  return static_cast<int>(std::ceil(static_cast<double>(width) / PANGO_SCALE - 1e-6));
}

}  // namespace plat::gdi
