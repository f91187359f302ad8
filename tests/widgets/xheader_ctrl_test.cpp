// CXHeaderCtrl: dividers and the raised frame, images 6 pixels in, centred captions that stay in
// their columns, the recorded image size, and repainting in new system colours.
#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/dc.h"
#include "platform/gdi/image_list.h"
#include "platform/text/text.h"
#include "platform/win/window.h"
#include "widget_host.h"
#include "widgets/AnsiPrefix.h"
#include "widgets/CXHeaderCtrl.h"

namespace drev::widgets_test {
namespace {

constexpr COLORREF kGreen = RGB(0, 160, 0);
constexpr COLORREF kRed = RGB(220, 0, 0);
constexpr COLORREF kMask = RGB(255, 0, 255);
constexpr int kHeight = 20;

// Three 16 x 16 pictures in the header list's layout: 0 blank (all mask), 1 green, 2 red.
void FillImageList(gdi::CImageList& list) {
  gdi::CDC mem;
  mem.CreateCompatibleDC(nullptr);
  gdi::CBitmap strip;
  strip.CreateCompatibleBitmap(&mem, 48, 16);
  gdi::CBitmap* old = mem.SelectObject(&strip);
  mem.FillSolidRect(RECT{0, 0, 16, 16}, kMask);
  mem.FillSolidRect(RECT{16, 0, 32, 16}, kGreen);
  mem.FillSolidRect(RECT{32, 0, 48, 16}, kRed);
  mem.SelectObject(old);
  list.Create(16, 16, gdi::ILC_COLOR24 | gdi::ILC_MASK, 3, 3);
  list.Add(&strip, kMask);
}

class HeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HWND raw = CreateWindowEx(0, WC_HEADER, "", WS_CHILD | WS_VISIBLE, 0, 0, 300, kHeight, host, 1, nullptr);
    ASSERT_NE(raw, nullptr);
    ASSERT_TRUE(header.SubclassWindow(raw));
  }
  void AddItem(int width, const std::string& caption, int fmt = HDF_CENTER) {
    HDITEM item;
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.cxy = width;
    item.pszText = const_cast<char*>(caption.c_str());
    item.fmt = fmt | HDF_STRING;
    item.iImage = 0;
    header.InsertItem(header.GetItemCount(), &item);
  }
  void SetImage(int index, int image) {
    HDITEM item;
    item.mask = HDI_IMAGE | HDI_FORMAT;
    header.GetItem(index, &item);
    item.fmt |= HDF_IMAGE;
    item.iImage = image;
    header.SetItem(index, &item);
  }
  void SetCaption(int index, const std::string& caption) {
    HDITEM item;
    item.mask = HDI_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    header.SetItem(index, &item);
  }
  // Three columns as the attachment list has them: 40, 170 and 70 pixels.
  void AddThreeColumns() {
    AddItem(40, "");
    AddItem(170, text::Ansi("파일명"));
    AddItem(70, text::Ansi("크기"));
  }
  COLORREF At(int x, int y) { return Pixel(header, x, y); }
  COLORREF Face() const { return gdi::GetSysColor(gdi::COLOR_BTNFACE); }
  COLORREF Shadow() const { return gdi::GetSysColor(gdi::COLOR_BTNSHADOW); }
  COLORREF Light() const { return gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT); }
  // The horizontal extent of the caption's ink between the frame lines, within [left, right).
  std::pair<int, int> Ink(int left, int right) { return InkSpan(header, RECT{left, 3, right, kHeight - 3}, Face()); }

  Host host{400, 100};
  CXHeaderCtrl header;
  gdi::CImageList images;
};

TEST_F(HeaderTest, DividersSitBetweenColumnsAndTheRaisedFrameEndsAtTheSumOfTheWidths) {
  AddThreeColumns();
  for (bool doubleBuffer : {true, false}) {
    SCOPED_TRACE(doubleBuffer ? "through the off-screen context" : "straight to the screen");
    header.SetDoubleBuffer(doubleBuffer);
    header.Invalidate();
    // Divider after column 0 (right edge 40): shadow at 39, highlight at 40, from y 2 to 17.
    EXPECT_EQ(At(39, 2), Shadow());
    EXPECT_EQ(At(39, 17), Shadow());
    EXPECT_EQ(At(40, 10), Light());
    EXPECT_EQ(At(39, 1), Face());
    EXPECT_EQ(At(40, 18), Face());
    // Divider after column 1 (right edge 210).
    EXPECT_EQ(At(209, 10), Shadow());
    EXPECT_EQ(At(210, 10), Light());
    // No divider after the last column; the frame's right side is at 279 = 40 + 170 + 70 - 1.
    EXPECT_EQ(At(279, 10), Shadow());
    EXPECT_EQ(At(100, 0), Light());
    EXPECT_EQ(At(0, 10), Light());
    EXPECT_EQ(At(100, kHeight - 1), Shadow());
    // Right of the frame only the face colour.
    EXPECT_EQ(CountPixels(header, RECT{280, 0, 300, kHeight}, Face()), 20 * kHeight);
  }
}

TEST_F(HeaderTest, WithoutItemsTheHeaderIsPlainFace) {
  header.Invalidate();
  EXPECT_EQ(CountPixels(header, RECT{0, 0, 300, kHeight}, Face()), 300 * kHeight);
}

TEST_F(HeaderTest, AnItemImageSitsSixPixelsInAndCentredVertically) {
  AddThreeColumns();
  FillImageList(images);
  header.SetImageList(&images);
  EXPECT_EQ(header.GetImageSize(), (SIZE{16, 16}));
  SetImage(0, 1);
  // x 6..21, y (0 + 20) / 2 - 8 = 2 .. 17.
  EXPECT_EQ(At(6, 10), kGreen);
  EXPECT_EQ(At(21, 10), kGreen);
  EXPECT_EQ(At(5, 10), Face());
  EXPECT_EQ(At(22, 10), Face());
  EXPECT_EQ(At(10, 2), kGreen);
  EXPECT_EQ(At(10, 17), kGreen);
  EXPECT_EQ(At(10, 1), Face());
  EXPECT_EQ(At(10, 18), Face());
  SetImage(0, 2);
  EXPECT_EQ(At(6, 10), kRed);
  SetImage(0, 0);  // index 0: no image at all
  EXPECT_EQ(CountPixels(header, RECT{1, 1, 39, kHeight - 1}, Face()), 38 * (kHeight - 2));
}

TEST_F(HeaderTest, AttachingAListWithoutImagesKeepsTheRecordedSize) {
  FillImageList(images);
  header.SetImageList(&images);
  gdi::CImageList empty;
  empty.Create(24, 24, gdi::ILC_COLOR24, 0, 1);
  header.SetImageList(&empty);
  EXPECT_EQ(header.GetImageSize(), (SIZE{16, 16}));
  EXPECT_EQ(header.GetImageList(), &empty);
}

TEST_F(HeaderTest, CaptionsAreCentredInTheRoomLeftByTheSpacingAndTheImage) {
  AddThreeColumns();
  // Column 2 (210..280) has no image: centred between 216 and 274.
  auto [first, last] = Ink(211, 279);
  ASSERT_GE(first, 216);
  ASSERT_LT(last, 274);
  EXPECT_NEAR((first + last + 1) / 2.0, 245.0, 1.5);
  // Column 1 (40..210) with an image: centred between 40 + 6 + 16 + 6 = 68 and 204.
  FillImageList(images);
  header.SetImageList(&images);
  SetImage(1, 1);
  auto [left, right] = Ink(62, 209);
  ASSERT_GE(left, 68);
  ASSERT_LT(right, 204);
  EXPECT_NEAR((left + right + 1) / 2.0, 136.0, 1.5);
}

TEST_F(HeaderTest, ALongCaptionStaysInsideItsColumn) {
  AddThreeColumns();
  SetCaption(1, std::string(60, 'W'));
  auto [first, last] = Ink(41, 209);
  EXPECT_GE(first, 46);
  EXPECT_LT(last, 204);
  // The text reaches close to the right end of its room: it is cut there, not shrunk.
  EXPECT_GT(last, 190);
}

TEST_F(HeaderTest, ACutCaptionIsCentredLikeTheTextItShows) {
  AddThreeColumns();
  // Column 1's room (its width less 6 pixels each side) holds three characters and the ellipsis
  // with most of a fourth character to spare.
  gdi::CDC measure;
  measure.CreateCompatibleDC(nullptr);
  if (gdi::CFont* font = header.GetFont()) measure.SelectObject(font);
  const std::string syllable = text::Ansi("가");
  const std::string shown = syllable + syllable + syllable + text::Ansi("…");
  const int room = measure.GetTextExtent(shown).cx + measure.GetTextExtent(syllable).cx - 1;
  HDITEM item;
  item.mask = HDI_WIDTH;
  item.cxy = room + 12;
  header.SetItem(1, &item);
  std::string caption;
  for (int i = 0; i < 20; ++i) caption += syllable;
  SetCaption(1, caption);
  const auto cut = Ink(41, 40 + room + 11);
  // What the cut caption shows, drawn as it is, lands on the same pixels: in the middle of the
  // room, not at its left edge.
  SetCaption(1, shown);
  const auto whole = Ink(41, 40 + room + 11);
  EXPECT_GT(whole.first, 46);
  EXPECT_EQ(cut, whole);
}

TEST_F(HeaderTest, ASystemColourChangeRepaintsInTheNewColours) {
  SysColorsGuard restore;
  AddThreeColumns();
  header.Invalidate();
  ASSERT_EQ(At(290, 10), Face());
  const int elements[] = {gdi::COLOR_BTNFACE, gdi::COLOR_BTNSHADOW};
  const COLORREF colours[] = {RGB(230, 230, 250), RGB(70, 70, 120)};
  gdi::SetSysColors(2, elements, colours);
  header.SendMessage(WM_SYSCOLORCHANGE);
  EXPECT_EQ(header.GetFaceColor(), colours[0]);
  EXPECT_EQ(At(290, 10), colours[0]);
  EXPECT_EQ(At(39, 10), colours[1]);
}

TEST(AnsiPrefix, CutsToTheBudgetWithoutSplittingADoubleByteCharacter) {
  const std::string korean = text::Ansi("가나다");  // six bytes
  EXPECT_EQ(AnsiPrefix(korean, 6), korean);
  EXPECT_EQ(AnsiPrefix(korean, 5), korean.substr(0, 4));
  EXPECT_EQ(AnsiPrefix("a" + korean, 4), "a" + korean.substr(0, 2));
  EXPECT_EQ(AnsiPrefix(std::string(100, 'x'), 79), std::string(79, 'x'));
  EXPECT_EQ(AnsiPrefix("", 79), "");
}

}  // namespace
}  // namespace drev::widgets_test
