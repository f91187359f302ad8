// Text: CP949 text lands inside its rectangle, alignment and ellipsis, measuring, fonts and units.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform/gdi/dc.h"
#include "platform/gdi/dialog_units.h"
#include "platform/text/text.h"
#include "tests/platform/gdi/pixels.h"

namespace plat::gdi {
namespace {

using plat::text::Ansi;
using testing_pixels::Count;

constexpr COLORREF kWhite = 0xFFFFFF;

// Bounding box of the pixels that are not white; empty when there are none.
RECT InkBox(const Surface& s) {
  RECT box{s.Width(), s.Height(), 0, 0};
  for (int y = 0; y < s.Height(); ++y)
    for (int x = 0; x < s.Width(); ++x)
      if (s.GetPixel(x, y) != kWhite) {
        box.left = std::min<LONG>(box.left, x);
        box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1);
        box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
  return box.IsEmpty() ? RECT{} : box;
}

struct Page {
  Surface surface{200, 60};
  CDC dc{surface, POINT{0, 0}, RECT{0, 0, 200, 60}};
};

TEST(DcText, KoreanTextDrawsInsideItsRectangleOnly) {
  Page p;
  RECT r{20, 10, 140, 40};
  p.dc.SetBkMode(TRANSPARENT);
  p.dc.DrawText(Ansi("첨부할파일 테스트"), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_GT(Count(p.surface, r, kWhite, false), 30);
  EXPECT_EQ(Count(p.surface, RECT{0, 0, 200, 60}, kWhite, false), Count(p.surface, r, kWhite, false));
}

TEST(DcText, DrawTextClipsToItsRectangleUnlessAskedNotTo) {
  Page clipped, free;
  RECT r{0, 0, 20, 20};
  std::string longText = "ABCDEFGHIJKLMNOP";
  clipped.dc.DrawText(longText, &r, DT_SINGLELINE);
  EXPECT_EQ(Count(clipped.surface, RECT{20, 0, 200, 60}, kWhite, false), 0);
  EXPECT_GT(Count(clipped.surface, r, kWhite, false), 0);
  free.dc.DrawText(longText, &r, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(Count(free.surface, RECT{20, 0, 200, 60}, kWhite, false), 0);
}

TEST(DcText, EndEllipsisKeepsTheTextInsideItsWidth) {
  Page p;
  RECT r{10, 5, 60, 25};
  std::string longText = Ansi("첨부하실 파일을 마우스로 끌어서 넣어주세요.");
  p.dc.DrawText(longText, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP | DT_CENTER);
  RECT ink = InkBox(p.surface);
  ASSERT_FALSE(ink.IsEmpty());
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 60);
  // The ellipsis is used only when needed: a short text keeps its own width.
  RECT measure{0, 0, 500, 0};
  p.dc.DrawText("AB", &measure, DT_SINGLELINE | DT_CALCRECT | DT_END_ELLIPSIS);
  EXPECT_EQ(measure.Width(), p.dc.GetTextExtent("AB").cx);
}

TEST(DcText, ACutTextKeepsItsAlignment) {
  // Room for five W's and the ellipsis plus most of another W: what shows is five W's and the
  // ellipsis, and the part of the room it leaves is where the alignment puts it.
  Page measure;
  const int w = measure.dc.GetTextExtent("W").cx;
  const int shown = measure.dc.GetTextExtent("WWWWW" + Ansi("…")).cx;
  ASSERT_GT(w, 4);
  const int left = 10, room = shown + w - 1;
  const std::string text(30, 'W');
  auto inkOf = [&](UINT align) {
    Page p;
    RECT r{left, 5, left + room, 25};
    p.dc.DrawText(text, &r, align | DT_SINGLELINE | DT_END_ELLIPSIS);
    return InkBox(p.surface);
  };
  const RECT atLeft = inkOf(DT_LEFT), centred = inkOf(DT_CENTER), atRight = inkOf(DT_RIGHT);
  ASSERT_FALSE(atLeft.IsEmpty());
  EXPECT_EQ(atLeft.Width(), centred.Width());
  EXPECT_EQ(atLeft.Width(), atRight.Width());
  EXPECT_LE(atLeft.right, left + shown);
  EXPECT_EQ(centred.left - atLeft.left, (room - shown) / 2);
  EXPECT_EQ(atRight.left - atLeft.left, room - shown);
  // A text that fits is not cut.
  Page whole;
  RECT r{0, 0, 190, 20};
  whole.dc.DrawText("WWW", &r, DT_SINGLELINE | DT_END_ELLIPSIS);
  Page plain;
  RECT same{0, 0, 190, 20};
  plain.dc.DrawText("WWW", &same, DT_SINGLELINE);
  EXPECT_EQ(InkBox(whole.surface), InkBox(plain.surface));
}

TEST(DcText, HorizontalAlignmentAndVerticalCentre) {
  const RECT r{0, 0, 200, 60};
  auto inkOf = [&](UINT format) {
    Page p;
    RECT box = r;
    p.dc.DrawText("WWW", &box, format | DT_SINGLELINE);
    return InkBox(p.surface);
  };
  RECT left = inkOf(DT_LEFT), centre = inkOf(DT_CENTER), right = inkOf(DT_RIGHT);
  EXPECT_LT(left.right, 60);
  EXPECT_LE(left.left, 2);
  EXPECT_GT(right.left, 140);
  EXPECT_GE(right.right, 197);
  EXPECT_NEAR((centre.left + centre.right) / 2.0, 100.0, 3.0);
  EXPECT_LT(left.bottom, 20);  // top-aligned by default
  RECT middle = inkOf(DT_LEFT | DT_VCENTER);
  EXPECT_NEAR((middle.top + middle.bottom) / 2.0, 30.0, 4.0);
  RECT bottom = inkOf(DT_LEFT | DT_BOTTOM);
  EXPECT_GT(bottom.top, 40);
}

TEST(DcText, OpaqueModeFillsTheTextExtentWithTheBackgroundColour) {
  Page p;
  p.dc.SetBkColor(RGB(0, 0, 255));
  p.dc.SetTextColor(RGB(255, 255, 0));
  EXPECT_TRUE(p.dc.TextOut(10, 10, "Hello"));
  SIZE extent = p.dc.GetTextExtent("Hello");
  RECT box{10, 10, 10 + extent.cx, 10 + extent.cy};
  EXPECT_EQ(Count(p.surface, box, kWhite), 0);
  EXPECT_GT(Count(p.surface, box, RGB(0, 0, 255)), extent.cx * extent.cy / 3);
  EXPECT_EQ(Count(p.surface, RECT{0, 0, 200, 60}, kWhite, false), extent.cx * extent.cy);
}

TEST(DcText, MeasuringMatchesDrawing) {
  Page p;
  SIZE one = p.dc.GetTextExtent("A");
  SIZE three = p.dc.GetTextExtent("AAA");
  EXPECT_GT(one.cx, 0);
  EXPECT_NEAR(three.cx, 3 * one.cx, 2);
  EXPECT_EQ(p.dc.GetTextExtent("").cx, 0);
  TEXTMETRIC tm;
  ASSERT_TRUE(p.dc.GetTextMetrics(&tm));
  EXPECT_EQ(one.cy, tm.tmHeight);
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);

  RECT calc{5, 5, 5, 5};
  int h = p.dc.DrawText("A\nBB", &calc, DT_CALCRECT);
  EXPECT_EQ(h, 2 * tm.tmHeight);
  EXPECT_EQ(calc.bottom, 5 + 2 * tm.tmHeight);
  EXPECT_EQ(calc.Width(), p.dc.GetTextExtent("BB").cx);
  EXPECT_EQ(Count(p.surface, RECT{0, 0, 200, 60}, kWhite, false), 0);  // measuring draws nothing

  RECT prefixed{0, 0, 0, 0};
  p.dc.DrawText("A&&B&C", &prefixed, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(prefixed.Width(), p.dc.GetTextExtent("A&BC").cx);
  RECT literal{0, 0, 0, 0};
  p.dc.DrawText("A&&B&C", &literal, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(literal.Width(), p.dc.GetTextExtent("A&&B&C").cx);
}

TEST(DcText, TheSameTextInAnotherFontFormatOrWidthShowsAsThatOneWould) {
  // Each text is drawn and measured twice, in between in other fonts, formats and widths: what
  // shows and what is measured follows the font and format of the moment.
  const std::string text = Ansi("파일 업로드 Upload files now");
  CFont small, large, underlined;
  small.CreateFontIndirect(LOGFONT{-12, FW_NORMAL, 0, 0, HANGUL_CHARSET, Ansi("굴림")});
  large.CreateFontIndirect(LOGFONT{-24, FW_NORMAL, 0, 0, HANGUL_CHARSET, Ansi("굴림")});
  underlined.CreateFontIndirect(LOGFONT{-12, FW_NORMAL, 0, 1, HANGUL_CHARSET, Ansi("굴림")});
  const auto ink = [&](CFont* font, UINT format, int width) {
    Page p;
    p.dc.SelectObject(font);
    p.dc.SetBkMode(TRANSPARENT);
    RECT r{0, 0, width, 40};
    p.dc.DrawText(text, &r, format);
    return std::pair{Count(p.surface, RECT{0, 0, 200, 60}, kWhite, false), InkBox(p.surface).right};
  };
  const auto extent = [&](CFont* font) {
    Page p;
    p.dc.SelectObject(font);
    return p.dc.GetTextExtent(text).cx;
  };
  const auto smallInk = ink(&small, DT_SINGLELINE, 200);
  const int smallWidth = extent(&small);
  EXPECT_GT(extent(&large), smallWidth + 20);
  EXPECT_GT(ink(&large, DT_SINGLELINE, 200).first, smallInk.first);
  EXPECT_GT(ink(&underlined, DT_SINGLELINE, 200).first, smallInk.first);
  EXPECT_EQ(ink(&small, DT_SINGLELINE, 200), smallInk);
  EXPECT_EQ(extent(&small), smallWidth);

  // Cut at two widths: the narrower rectangle keeps less of the text.
  const auto cutNarrow = ink(&small, DT_SINGLELINE | DT_END_ELLIPSIS, 60);
  const auto cutWide = ink(&small, DT_SINGLELINE | DT_END_ELLIPSIS, 120);
  EXPECT_LE(cutNarrow.second, 60);
  EXPECT_GT(cutWide.second, 60);
  EXPECT_EQ(ink(&small, DT_SINGLELINE | DT_END_ELLIPSIS, 60), cutNarrow);

  // A prefix character shows only when the format says it is not one.
  Page plain;
  RECT r{0, 0, 200, 30};
  plain.dc.DrawText("&&A", &r, DT_SINGLELINE | DT_CALCRECT);
  const int prefixed = r.Width();
  r = RECT{0, 0, 200, 30};
  plain.dc.DrawText("&&A", &r, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  EXPECT_GT(r.Width(), prefixed);
}

TEST(DcText, WordBreakWrapsAtTheRectangleWidth) {
  Page p;
  SIZE word = p.dc.GetTextExtent("WORD");
  RECT r{0, 0, word.cx + 2, 0};
  int h = p.dc.DrawText("WORD WORD WORD", &r, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(h, 3 * word.cy);
  EXPECT_LE(r.Width(), word.cx + 2);
}

TEST(DcText, WordBreakBreaksKoreanOnlyAtSpaces) {
  Page p;
  std::string first = Ansi("첨부하실"), second = Ansi("파일을");
  SIZE firstSize = p.dc.GetTextExtent(first);
  RECT r{0, 0, firstSize.cx + 5, 0};
  EXPECT_EQ(p.dc.DrawText(first + " " + second, &r, DT_WORDBREAK | DT_CALCRECT), 2 * firstSize.cy);
  EXPECT_EQ(r.Width(), firstSize.cx);
  // A word wider than the rectangle stays whole on one line.
  RECT narrow{0, 0, firstSize.cx / 2, 0};
  EXPECT_EQ(p.dc.DrawText(first, &narrow, DT_WORDBREAK | DT_CALCRECT), firstSize.cy);
  EXPECT_EQ(narrow.Width(), firstSize.cx);
  // Line feeds still break, and the wrapped text draws inside its rectangle.
  RECT draw{10, 5, 10 + firstSize.cx + 5, 55};
  p.dc.DrawText(first + " " + second + "\n" + second, &draw, DT_WORDBREAK);
  EXPECT_GT(Count(p.surface, RECT{10, 5 + 2 * firstSize.cy, 200, 60}, kWhite, false), 0);
  EXPECT_EQ(Count(p.surface, RECT{0, 0, 200, 60}, kWhite, false), Count(p.surface, draw, kWhite, false));
}

TEST(DcText, TwoThreadsDrawTextAtOnce) {
  // Each window thread paints with its own contexts; text must not depend on one shared font state.
  auto paint = [](int* ink) {
    for (int i = 0; i < 20; ++i) {
      Page p;
      RECT r{0, 0, 200, 30};
      p.dc.DrawText(Ansi("전송 완료 ") + std::to_string(i), &r, DT_SINGLELINE | DT_CENTER);
      *ink = Count(p.surface, r, kWhite, false);
    }
  };
  int workerInk = 0, mainInk = 0;
  std::thread worker(paint, &workerInk);
  paint(&mainInk);
  worker.join();
  EXPECT_GT(workerInk, 20);
  EXPECT_EQ(workerInk, mainInk);
}

TEST(DcFonts, BoldCopyComesFromTheCurrentFont) {
  Page p;
  CFont* current = p.dc.GetCurrentFont();
  ASSERT_NE(current, nullptr);
  LOGFONT lf;
  ASSERT_NE(current->GetLogFont(&lf), 0);
  EXPECT_EQ(lf.lfFaceName, Ansi("굴림"));
  EXPECT_EQ(lf.lfHeight, -12);
  lf.lfWeight = FW_BOLD;
  CFont bold;
  bold.CreateFontIndirect(lf);
  LOGFONT check;
  bold.GetLogFont(&check);
  EXPECT_EQ(check.lfWeight, 700);

  RECT r{0, 0, 200, 30};
  p.dc.SetBkMode(TRANSPARENT);
  p.dc.DrawText("MMMMMM", &r, DT_SINGLELINE);
  int normalInk = Count(p.surface, r, kWhite, false);
  Page q;
  q.dc.SetBkMode(TRANSPARENT);
  CFont* previous = q.dc.SelectObject(&bold);
  EXPECT_EQ(previous, GetStockGuiFont());
  EXPECT_EQ(q.dc.GetCurrentFont(), &bold);
  q.dc.DrawText("MMMMMM", &r, DT_SINGLELINE);
  EXPECT_GT(Count(q.surface, r, kWhite, false), normalInk);
  CFont never;
  EXPECT_EQ(never.GetLogFont(&check), 0);
  EXPECT_EQ(q.dc.SelectObject(&never), nullptr);
}

TEST(DcFonts, PointFontsAndDialogUnits) {
  CFont nine;
  nine.CreatePointFont(90, Ansi("굴림"));
  EXPECT_EQ(nine.Log().lfHeight, -12);
  CFont ten;
  ten.CreatePointFont(100, Ansi("돋움"));
  EXPECT_EQ(ten.Log().lfHeight, -13);

  SIZE gulim = GetDialogBaseUnits(nine.Log());
  EXPECT_EQ(gulim.cy, 12);
  EXPECT_GE(gulim.cx, 5);
  EXPECT_LE(gulim.cx, 8);
  SIZE bigger = GetDialogBaseUnits(LOGFONT{-24, FW_NORMAL, 0, 0, HANGUL_CHARSET, Ansi("굴림")});
  EXPECT_EQ(bigger.cy, 24);
  EXPECT_NEAR(bigger.cx, 2 * gulim.cx, 1);
  // The two dialog faces map to different fonts: their Latin letters differ in width.
  SIZE dotum = GetDialogBaseUnits(LOGFONT{-12, FW_NORMAL, 0, 0, HANGUL_CHARSET, Ansi("돋움")});
  EXPECT_EQ(dotum.cy, 12);
  EXPECT_NE(dotum.cx, gulim.cx);
  // A face nobody has installed still gives a usable font.
  SIZE unknown = GetDialogBaseUnits(LOGFONT{-12, FW_NORMAL, 0, 0, DEFAULT_CHARSET, "No Such Face"});
  EXPECT_GT(unknown.cx, 0);
  EXPECT_GE(unknown.cy, 12);
}

}  // namespace
}  // namespace plat::gdi
