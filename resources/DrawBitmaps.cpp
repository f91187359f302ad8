// Draws the module's bitmaps with our own drawing layer and writes them as PNG files:
//   draw-bitmaps <folder>
// The pictures are kept in the source tree and compiled into the module; run this after a change.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/text/text.h"

using namespace plat;
using namespace plat::gdi;

namespace {

constexpr COLORREF kMagenta = 0xFF00FF;  // the transparent colour of the image-list strips
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kBlack = 0x000000;

// A picture being drawn: a surface and a context over all of it.
struct Canvas {
  Surface surface;
  CDC dc;
  Canvas(int width, int height, COLORREF background)
      : surface(width, height), dc(surface, POINT{0, 0}, RECT{0, 0, width, height}) {
    dc.FillSolidRect(RECT{0, 0, width, height}, background);
  }
};

// Paints a small pixel drawing: 'X' in `ink`, '.' in `fill`, anything else left alone.
void Sprite(CDC& dc, int left, int top, const std::vector<std::string>& rows, COLORREF ink, COLORREF fill) {
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      if (rows[y][x] == 'X') dc.SetPixel(left + x, top + y, ink);
      if (rows[y][x] == '.') dc.SetPixel(left + x, top + y, fill);
    }
}

// A 13 x 13 check box with its top-left at (left, top): white inside a sunken edge, and the tick
// of the list's own check boxes when `ticked`.
void CheckBox(CDC& dc, int left, int top, bool ticked) {
  RECT box{left, top, left + 13, top + 13};
  dc.FillSolidRect(box, kWhite);
  dc.DrawEdge(&box, EDGE_SUNKEN, BF_RECT);
  if (!ticked) return;
  CPen pen(PS_SOLID, 1, kBlack);
  CPen* old = dc.SelectObject(&pen);
  const int strokes[7][2] = {{8, 2}, {7, 3}, {6, 4}, {5, 5}, {4, 6}, {3, 5}, {2, 4}};
  for (const auto& s : strokes) {
    dc.MoveTo(left + s[0], top + s[1]);
    dc.LineTo(left + s[0], top + s[1] + 3);
  }
  dc.SelectObject(old);
}

// A sheet of paper with a folded top-right corner and a few lines of writing.
void Document(CDC& dc, int left, int top, int width, int height) {
  const int fold = 6;
  COLORREF edge = RGB(96, 96, 96);
  dc.FillSolidRect(RECT{left, top, left + width, top + height}, kWhite);
  CPen pen(PS_SOLID, 1, edge);
  CPen* old = dc.SelectObject(&pen);
  dc.MoveTo(left, top);
  dc.LineTo(left + width - fold, top);
  dc.LineTo(left + width - 1, top + fold - 1);
  dc.LineTo(left + width - 1, top + height - 1);
  dc.LineTo(left, top + height - 1);
  dc.LineTo(left, top);
  dc.MoveTo(left + width - fold, top);
  dc.LineTo(left + width - fold, top + fold - 1);
  dc.LineTo(left + width - 1, top + fold - 1);
  for (int y = top + fold + 3; y < top + height - 3; y += 3) {
    dc.MoveTo(left + 3, y);
    dc.LineTo(left + width - 3, y);
  }
  dc.SelectObject(old);
  // Cut away the folded corner outside the sheet's outline.
  for (int i = 0; i < fold - 1; ++i)
    for (int x = left + width - fold + 1 + i; x < left + width; ++x) dc.SetPixel(x, top + i, dc.GetPixel(left - 1, top));
}

// Toolbox picture, 16 x 15: a page with an arrow pointing up, on the button face.
std::unique_ptr<Canvas> Toolbox() {
  auto picture = std::make_unique<Canvas>(16, 15, RGB(192, 192, 192));
  Canvas& c = *picture;
  Document(c.dc, 2, 1, 10, 13);
  Sprite(c.dc, 8, 5,
         {"  X   ", " XXX  ", "XXXXX ", "  X   ", "  X   ", "  X   ", "  X   "}, RGB(0, 0, 160), 0);
  return picture;
}

// Header strip, 48 x 16: blank, empty box, ticked box; magenta is transparent.
std::unique_ptr<Canvas> HeaderChecks() {
  auto picture = std::make_unique<Canvas>(48, 16, kMagenta);
  Canvas& c = *picture;
  CheckBox(c.dc, 16 + 1, 1, false);
  CheckBox(c.dc, 32 + 1, 1, true);
  return picture;
}

// One 95 x 16 badge: a rounded bar in `color` with a white caption.
void Badge(CDC& dc, int left, COLORREF color, const char* utf8Caption) {
  RECT bar{left + 1, 1, left + 94, 15};
  dc.FillSolidRect(bar, color);
  for (POINT corner : {POINT{bar.left, bar.top}, POINT{bar.right - 1, bar.top}, POINT{bar.left, bar.bottom - 1},
                       POINT{bar.right - 1, bar.bottom - 1}})
    dc.SetPixel(corner.x, corner.y, kMagenta);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kWhite);
  dc.DrawText(text::Ansi(utf8Caption), &bar, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// Cell strip, 285 x 16: waiting, sent and failed badges; magenta is transparent.
std::unique_ptr<Canvas> CellPictures() {
  auto picture = std::make_unique<Canvas>(285, 16, kMagenta);
  Canvas& c = *picture;
  Badge(c.dc, 0, RGB(112, 112, 112), "전송 대기");
  Badge(c.dc, 95, RGB(0, 128, 64), "전송 완료");
  Badge(c.dc, 190, RGB(192, 32, 32), "전송 실패");
  return picture;
}

// The drop hint, 210 x 49, on the window colour: a document under a mouse pointer, the caption and
// the request to drop files here.
std::unique_ptr<Canvas> DropHint() {
  auto picture = std::make_unique<Canvas>(210, 49, GetSysColor(COLOR_WINDOW));
  Canvas& c = *picture;
  Document(c.dc, 6, 6, 22, 28);
  Sprite(c.dc, 18, 22,
         {"X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X", "X........X",
          "X.....XXXXX", "X..X..X", "X.X X..X", "XX   X..X", "X    X..X", "      X..X", "      XXX"},
         kBlack, kWhite);
  CFont caption;
  LOGFONT lf;
  c.dc.GetCurrentFont()->GetLogFont(&lf);
  lf.lfWeight = FW_BOLD;
  caption.CreateFontIndirect(lf);
  c.dc.SetBkMode(TRANSPARENT);
  c.dc.SetTextColor(RGB(0, 0, 128));
  CFont* old = c.dc.SelectObject(&caption);
  RECT title{42, 3, 206, 17};
  c.dc.DrawText(text::Ansi("첨부할파일"), &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  c.dc.SelectObject(old);
  c.dc.SetTextColor(RGB(64, 64, 64));
  RECT body{42, 20, 206, 48};
  c.dc.DrawText(text::Ansi("첨부하실 파일을 마우스로 끌어서 넣어주세요."), &body, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  return picture;
}

bool Write(const std::unique_ptr<Canvas>& c, const std::string& folder, const char* name) {
  std::string path = folder + "/" + name;
  if (c->surface.WritePng(path)) return true;
  std::fprintf(stderr, "draw-bitmaps: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw-bitmaps <folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  bool ok = Write(Toolbox(), folder, "bitmap-1-toolbox.png");
  ok = Write(HeaderChecks(), folder, "bitmap-301-checks.png") && ok;
  ok = Write(CellPictures(), folder, "bitmap-302-badges.png") && ok;
  ok = Write(DropHint(), folder, "bitmap-303-drop-hint.png") && ok;
  return ok ? 0 : 1;
}
