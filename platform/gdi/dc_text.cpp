// Device contexts: text drawing and measuring through pango, CP949 in, UTF-8 to pango.
#include <algorithm>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/dc_impl.h"
#include "platform/gdi/font_face.h"
#include "platform/text/text.h"

namespace plat::gdi {
namespace {

// Menu-style prefixes: "&&" shows "&", "&x" shows x underlined. Returns the text to show and the
// byte offset of the underlined character (npos when none).
std::string StripPrefixes(const std::string& utf8, std::size_t* underline) {
  std::string out;
  out.reserve(utf8.size());
  *underline = std::string::npos;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '&' && i + 1 < utf8.size()) {
      ++i;
      if (utf8[i] != '&') *underline = out.size();
    }
    out.push_back(utf8[i]);
  }
  return out;
}

// Breaks lines at spaces so that each fits `width` where it can, the way the platform's word break
// does: only spaces break (not the gaps between Hangul syllables), and a word wider than the width
// stays whole on a line of its own. Each breaking space becomes a line feed, so byte offsets hold.
std::string WrapAtSpaces(const LOGFONT& lf, std::string text, int width) {
  auto widthOf = [&](std::size_t from, std::size_t to) {
    LayoutPtr layout = NewLayout(lf, std::string_view(text).substr(from, to - from));
    return LayoutWidth(layout.get());
  };
  // No part of a line is wider than the line, so when every line fits there is nothing to break,
  // and the words need not be measured one by one.
  if (widthOf(0, text.size()) <= width) return text;
  std::size_t lineStart = 0, lastSpace = std::string::npos;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    bool end = i == text.size();
    if (!end && text[i] != ' ' && text[i] != '\n') continue;
    if (lastSpace != std::string::npos && widthOf(lineStart, i) > width) {
      text[lastSpace] = '\n';
      lineStart = lastSpace + 1;
    }
    if (end) break;
    if (text[i] == '\n') {
      lineStart = i + 1;
      lastSpace = std::string::npos;
    } else {
      lastSpace = i;
    }
  }
  return text;
}

struct Line {
  PangoLayoutLine* line;
  int width;
};

std::vector<Line> LinesOf(PangoLayout* layout) {
  std::vector<Line> lines;
  int count = pango_layout_get_line_count(layout);
  for (int i = 0; i < count; ++i) {
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout, i);
    PangoRectangle logical;
    pango_layout_line_get_extents(line, nullptr, &logical);
    lines.push_back({line, static_cast<int>((logical.width + PANGO_SCALE - 1) / PANGO_SCALE)});
  }
  return lines;
}

struct CairoPtr {
  cairo_t* cr;
  explicit CairoPtr(cairo_surface_t* s) : cr(cairo_create(s)) {}
  ~CairoPtr() { cairo_destroy(cr); }
  CairoPtr(const CairoPtr&) = delete;
  CairoPtr& operator=(const CairoPtr&) = delete;
};

// Draws laid-out lines at logical (x, top) positions: one line every font height, each line's
// baseline at its top + ascent. `clip` is a logical rectangle or null.
void PaintLines(CDC::Impl& dc, const std::vector<Line>& lines, const std::vector<POINT>& origins,
                       const FontMetrics& fm, const RECT* clip) {
  Surface* target = dc.Target();
  if (target == nullptr) return;
  RECT area = dc.SurfaceClip();
  if (clip != nullptr) area = IntersectRects(area, dc.ToSurface(Normalized(*clip)));
  if (area.IsEmpty()) return;
  const DcState& s = dc.state;
  if (s.bkMode == OPAQUE) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      RECT box{origins[i].x, origins[i].y, origins[i].x + lines[i].width, origins[i].y + fm.height};
      if (clip != nullptr) box = IntersectRects(box, Normalized(*clip));
      dc.Fill(box, s.bkColor);
    }
  }
  Surface::Impl& surface = target->impl();
  surface.BeginDirect();
  CairoPtr c(surface.surface);
  cairo_rectangle(c.cr, area.left, area.top, area.Width(), area.Height());
  cairo_clip(c.cr);
  cairo_set_source_rgb(c.cr, GetRValue(s.textColor) / 255.0, GetGValue(s.textColor) / 255.0,
                       GetBValue(s.textColor) / 255.0);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    POINT p = dc.ToSurface(origins[i]);
    cairo_move_to(c.cr, p.x, p.y + fm.ascent);
    pango_cairo_show_layout_line(c.cr, lines[i].line);
  }
  cairo_surface_flush(surface.surface);
}

}  // namespace

namespace {

constexpr std::string_view kEllipsis = "\u2026";

// How many bytes of `line` show when it is cut to fit `width` with an ellipsis after them: all of
// them when the line fits as it is. Cutting by hand, rather than letting pango ellipsize, keeps the
// line's width that of what shows: pango widens its ellipsis to fill the layout's width, which would
// put a cut text at the left of its rectangle whatever alignment was asked for.
std::size_t KeptBeforeEllipsis(const LOGFONT& lf, std::string_view line, int width) {
  auto widthOf = [&](std::string_view text) {
    LayoutPtr layout = NewLayout(lf, text);
    pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
    return LayoutWidth(layout.get());
  };
  if (widthOf(line) <= width) return line.size();
  std::vector<std::size_t> starts;  // the byte offset of each character
  for (std::size_t i = 0; i < line.size(); ++i)
    if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) starts.push_back(i);
  // Characters known to fit before the ellipsis, and a count known not to (the whole line did not
  // fit). When none fits, the ellipsis shows alone, clipped as it must be.
  std::size_t fits = 0, tooMany = starts.size();
  while (tooMany - fits > 1) {
    std::size_t mid = (fits + tooMany) / 2;
    std::string candidate(line.substr(0, starts[mid]));
    candidate += kEllipsis;
    (widthOf(candidate) <= width ? fits : tooMany) = mid;
  }
  return starts.empty() ? 0 : starts[fits];
}

// Cuts every line of `utf8` (one line only when `single`) that is wider than `width`, with an
// ellipsis; `underline` moves with its character, or becomes npos when its character was cut away.
std::string CutWithEllipsis(const LOGFONT& lf, const std::string& utf8, int width, bool single,
                            std::size_t* underline) {
  std::string out;
  std::size_t moved = std::string::npos;
  for (std::size_t start = 0;;) {
    std::size_t end = single ? utf8.size() : std::min(utf8.find('\n', start), utf8.size());
    std::string_view line = std::string_view(utf8).substr(start, end - start);
    std::size_t kept = KeptBeforeEllipsis(lf, line, width);
    if (*underline >= start && *underline < start + kept) moved = out.size() + (*underline - start);
    out.append(line.substr(0, kept));
    if (kept < line.size()) out.append(kEllipsis);
    if (end == utf8.size()) break;
    out += '\n';
    start = end + 1;
  }
  *underline = moved;
  return out;
}

// The layout DrawText shows: prefixes taken out (unless DT_NOPREFIX), lines broken at spaces
// (DT_WORDBREAK), one paragraph (DT_SINGLELINE), lines cut with an ellipsis at the width
// (DT_END_ELLIPSIS). `empty` reports a text with nothing to show.
LayoutPtr DrawTextLayout(const LOGFONT& lf, const std::string& cp949, UINT format, int width, bool* empty) {
  std::size_t underline = std::string::npos;
  std::string utf8 = plat::text::Cp949ToUtf8(cp949);
  if (!(format & DT_NOPREFIX)) utf8 = StripPrefixes(utf8, &underline);
  bool single = (format & DT_SINGLELINE) != 0;
  if ((format & DT_WORDBREAK) && !single) {
    if (!(format & DT_END_ELLIPSIS) && underline == std::string::npos) {
      // The text as it stands is the layout to show when it fits: measured once, not made twice.
      LayoutPtr whole = NewLayout(lf, utf8);
      if (LayoutWidth(whole.get()) <= width) {
        *empty = utf8.empty();
        return whole;
      }
    }
    utf8 = WrapAtSpaces(lf, std::move(utf8), width);
  }
  if (format & DT_END_ELLIPSIS) utf8 = CutWithEllipsis(lf, utf8, width, single, &underline);
  LayoutPtr layout = NewLayout(lf, utf8, underline);
  pango_layout_set_single_paragraph_mode(layout.get(), single);
  *empty = utf8.empty();
  return layout;
}

// The laid-out texts of this thread's recent drawing, by font, text, format and (where the format
// makes the lines depend on it) width: the same labels and cells are painted over and over, and
// laying out text is the dearest part of drawing it. A layout depends on nothing else (the thread's
// pango context never changes), so an entry stays right for as long as it is kept; a font change
// asks for another key. At most kMaxLayouts are kept; when they are all taken the cache starts
// again empty.
class LayoutCache {
 public:
  struct Entry {
    LayoutPtr layout;
    bool empty = true;
  };

  const Entry& Get(const LOGFONT& lf, const std::string& cp949, UINT format, int width) {
    const bool widthMatters = (format & DT_END_ELLIPSIS) || ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE));
    Key key{lf.lfFaceName, lf.lfHeight, lf.lfWeight, lf.lfItalic, lf.lfUnderline, cp949, format,
            widthMatters ? width : 0};
    if (auto it = entries_.find(key); it != entries_.end()) return it->second;
    if (entries_.size() >= kMaxLayouts) entries_.clear();
    Entry entry;
    entry.layout = DrawTextLayout(lf, cp949, format, width, &entry.empty);
    return entries_.emplace(std::move(key), std::move(entry)).first->second;
  }

  static LayoutCache& ForThread() {
    ThreadContext();  // made first, so that it outlives the layouts made on it
    thread_local LayoutCache cache;
    return cache;
  }

 private:
  static constexpr std::size_t kMaxLayouts = 256;
  using Key = std::tuple<std::string, LONG, LONG, BYTE, BYTE, std::string, UINT, int>;
  std::map<Key, Entry> entries_;
};

// What one line of text shows with no prefixes to take out: the layout GetTextExtent and TextOut use.
constexpr UINT kPlainLine = DT_SINGLELINE | DT_NOPREFIX;

// Top-left corner of each line inside `rect`, one font height apart, aligned as `format` asks.
std::vector<POINT> LineOrigins(const std::vector<Line>& lines, const RECT& rect, UINT format, int lineHeight) {
  int top = rect.top;
  bool single = (format & DT_SINGLELINE) != 0;
  if (single && (format & DT_VCENTER)) top = rect.top + (rect.Height() - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM)) top = rect.bottom - lineHeight;
  std::vector<POINT> origins;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int x = rect.left;
    if (format & DT_CENTER) x = rect.left + (rect.Width() - lines[i].width) / 2;
    else if (format & DT_RIGHT) x = rect.right - lines[i].width;
    origins.push_back(POINT{x, top + static_cast<LONG>(i) * lineHeight});
  }
  return origins;
}

}  // namespace

int CDC::DrawText(const std::string& text, RECT* rect, UINT format) {
  if (rect == nullptr) return 0;
  const DcState& s = impl_->state;
  FontMetrics fm = MetricsOf(s.logFont);
  const LayoutCache::Entry& laid =
      LayoutCache::ForThread().Get(s.logFont, text, format, std::max<LONG>(0, rect->Width()));
  std::vector<Line> lines = laid.empty ? std::vector<Line>{} : LinesOf(laid.layout.get());
  int height = std::max<int>(1, static_cast<int>(lines.size())) * fm.height;
  if (format & DT_CALCRECT) {
    int widest = 0;
    for (const Line& l : lines) widest = std::max(widest, l.width);
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
  }
  std::vector<POINT> origins = LineOrigins(lines, *rect, format, fm.height);
  PaintLines(*impl_, lines, origins, fm, (format & DT_NOCLIP) ? nullptr : rect);
  int top = origins.empty() ? rect->top : origins.front().y;
  return top - rect->top + height;
}

SIZE CDC::GetTextExtent(const std::string& text) const {
  FontMetrics fm = MetricsOf(impl_->state.logFont);
  if (text.empty()) return SIZE{0, fm.height};
  const LayoutCache::Entry& laid = LayoutCache::ForThread().Get(impl_->state.logFont, text, kPlainLine, 0);
  return SIZE{LayoutWidth(laid.layout.get()), fm.height};
}

BOOL CDC::TextOut(int x, int y, const std::string& text) {
  const DcState& s = impl_->state;
  FontMetrics fm = MetricsOf(s.logFont);
  if (text.empty()) return TRUE;
  const LayoutCache::Entry& laid = LayoutCache::ForThread().Get(s.logFont, text, kPlainLine, 0);
  std::vector<Line> lines = LinesOf(laid.layout.get());
  std::vector<POINT> origins(lines.size(), POINT{x, y});
  PaintLines(*impl_, lines, origins, fm, nullptr);
  return TRUE;
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* metrics) const {
  if (metrics == nullptr) return FALSE;
  const LOGFONT& lf = impl_->state.logFont;
  FontMetrics fm = MetricsOf(lf);
  metrics->tmHeight = fm.height;
  metrics->tmAscent = fm.ascent;
  metrics->tmDescent = fm.descent;
  metrics->tmInternalLeading = std::max<LONG>(0, fm.height - static_cast<LONG>(EmPixels(lf) + 0.5));
  metrics->tmExternalLeading = 0;
  metrics->tmAveCharWidth = AverageCharWidth(lf);
  metrics->tmMaxCharWidth = fm.maxCharWidth;
  metrics->tmWeight = lf.lfWeight <= 0 ? FW_NORMAL : lf.lfWeight;
  return TRUE;
}

}  // namespace plat::gdi
