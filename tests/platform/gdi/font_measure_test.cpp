// The short measures of fonts (ascent and descent from the face, widths from the shaped advances)
// against what pango's full metrics and layouts report for the same fonts and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/gdi/font_face.h"
#include "platform/text/text.h"

namespace plat::gdi {
namespace {

using plat::text::Ansi;

std::vector<LOGFONT> Fonts() {
  std::vector<LOGFONT> fonts;
  for (const std::string& face : {Ansi("굴림"), Ansi("돋움"), std::string("Sans"), std::string("No Such Face")}) {
    for (LONG height : {-9, -12, -13, -16, -24, 12, 20}) {
      for (LONG weight : {FW_NORMAL, FW_BOLD}) {
        for (BYTE italic : {BYTE{0}, BYTE{1}}) fonts.push_back(LOGFONT{height, weight, italic, 0, HANGUL_CHARSET, face});
      }
    }
  }
  return fonts;
}

std::string Name(const LOGFONT& lf) {
  return plat::text::Cp949ToUtf8(lf.lfFaceName) + " " + std::to_string(lf.lfHeight) + " w" +
         std::to_string(lf.lfWeight) + (lf.lfItalic ? " italic" : "");
}

// Ascent and descent as pango's metrics of the font give them, in pixels.
std::pair<double, double> PangoAscentDescent(const PangoFontDescription* d) {
  PangoFont* font = pango_context_load_font(ThreadContext(), d);
  EXPECT_NE(font, nullptr);
  if (font == nullptr) return {0, 0};
  PangoFontMetrics* m = pango_font_get_metrics(font, nullptr);
  std::pair<double, double> out{static_cast<double>(pango_font_metrics_get_ascent(m)) / PANGO_SCALE,
                                static_cast<double>(pango_font_metrics_get_descent(m)) / PANGO_SCALE};
  pango_font_metrics_unref(m);
  g_object_unref(font);
  return out;
}

TEST(FontMeasure, AscentDescentAndCellScalingAreThoseOfPangosFullMetrics) {
  for (const LOGFONT& lf : Fonts()) {
    SCOPED_TRACE(Name(lf));
    if (lf.lfHeight > 0) {
      // A cell height: the em that makes ascent + descent the asked height, measured at 100 px.
      LOGFONT at100 = lf;
      at100.lfHeight = -100;
      auto [ascent, descent] = PangoAscentDescent(DescriptionOf(at100).get());
      EXPECT_NEAR(EmPixels(lf), lf.lfHeight * 100.0 / (ascent + descent), 1e-9);
    }
    auto [ascent, descent] = PangoAscentDescent(DescriptionOf(lf).get());
    FontMetrics m = MetricsOf(lf);
    EXPECT_EQ(m.ascent, std::lround(ascent));
    EXPECT_EQ(m.height, std::max(1L, std::lround(ascent + descent)));
    EXPECT_EQ(m.descent, m.height - m.ascent);
    EXPECT_GT(AverageCharWidth(lf), 0);
  }
}

TEST(FontMeasure, AdvanceWidthIsTheWidthOfTheTextsOneLineLayout) {
  const std::vector<std::string> texts{
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
      "",
      " ",
      "report.doc   47KB ",
      "350.00 MB / 700.00 MB",
      "전체 파일 :",
      "계약서 2026.hwp",
      "fi ffl AV To",   // ligatures and kerning pairs
      "🙂 메모 ✓ Ωμέγα",  // characters from fallback fonts
  };
  for (const LOGFONT& lf : Fonts()) {
    SCOPED_TRACE(Name(lf));
    for (const std::string& text : texts) {
      SCOPED_TRACE(text);
      EXPECT_EQ(AdvanceWidth(lf, text), LayoutWidth(NewLayout(lf, text).get()));
    }
  }
}

}  // namespace
}  // namespace plat::gdi
