// Draws the system small-icon pictures: a sheet of paper with an emblem for each kind of file, and
// a folder and a drive of their own.
#include "platform/shell/icon_pictures.h"

#include <map>
#include <string>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/shell/system_icons.h"

namespace plat::shell::detail {
namespace {

using gdi::CDC;

constexpr int kSize = 16;
constexpr COLORREF kMask = 0xFF00FF;  // transparent: never used inside a picture

// Colours of the emblems, by the letters the sprites below use.
const std::map<char, COLORREF>& Palette() {
  static const std::map<char, COLORREF> palette{
      {'k', RGB(0, 0, 0)},        {'g', RGB(110, 110, 110)}, {'l', RGB(190, 190, 190)},
      {'w', RGB(255, 255, 255)},  {'b', RGB(40, 90, 200)},   {'s', RGB(140, 200, 250)},
      {'G', RGB(40, 150, 60)},    {'y', RGB(250, 210, 40)},  {'Y', RGB(200, 150, 20)},
      {'r', RGB(210, 40, 40)},    {'o', RGB(230, 120, 30)},  {'p', RGB(130, 60, 170)},
      {'n', RGB(120, 80, 40)},    {'d', RGB(60, 60, 70)},    {'e', RGB(60, 200, 90)},
  };
  return palette;
}

// Paints a pixel drawing with its top-left at (left, top); letters of Palette(), others untouched.
void Sprite(CDC& dc, int left, int top, const std::vector<std::string>& rows) {
  const auto& palette = Palette();
  for (int y = 0; y < static_cast<int>(rows.size()); ++y)
    for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
      auto colour = palette.find(rows[y][x]);
      if (colour != palette.end()) dc.SetPixel(left + x, top + y, colour->second);
    }
}

// A sheet of paper with a folded top-right corner: the base of every file picture.
void Sheet(CDC& dc, int left) {
  Sprite(dc, left, 0,
         {"  ggggggggg     ", "  gwwwwwwwgg    ", "  gwwwwwwwglg   ", "  gwwwwwwwgllg  ",
          "  gwwwwwwwggggg ", "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ",
          "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ",
          "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ", "  gwwwwwwwwwwwg ", "  ggggggggggggg "});
}

// The emblem drawn on the sheet for each kind of file (inside the sheet, from x 4, y 5).
const std::vector<std::string>& Emblem(int icon) {
  static const std::map<int, std::vector<std::string>> emblems{
      {kIconDocument, {"", "lllllll", "", "lllllllll", "", "lllll", "", "lllllll"}},
      {kIconText, {"", "kkkkkkk", "", "kkkkkkkkk", "", "kkkkk", "", "kkkkkkkk", "", "kkkkkk"}},
      {kIconWeb, {"  bbbbb", " bGGbbsb", "bGGGbbbsb", "bGGbbbbbb", "bbGGbbGGb", "bbbbbGGGb", " bbbbGGb",
                  "  bbbbb"}},
      {kIconImage, {"ggggggggg", "gsssssyyg", "gsssssyyg", "gssssssss", "gsGssssGg", "gGGGssGGg",
                    "gGGGGGGGg", "ggggggggg"}},
      {kIconAudio, {"     pppp", "     pppp", "     p  p", "     p  p", "     p  p", "  ppp ppp",
                    " pppppppp", "  ppp ppp"}},
      {kIconVideo, {"ddddddddd", "dwdwdwdwd", "ddddddddd", "dsssssssd", "dsssssssd", "ddddddddd",
                    "dwdwdwdwd", "ddddddddd"}},
      {kIconArchive, {"    kY", "    Yk", "    kY", "    Yk", "  nnnnn", "  nyyyn", "  nnnnn", "    kY",
                      "    Yk"}},
      {kIconPdf, {"", "", "", "rrrrrrrrr", "rwwrwwrww", "rwrrwrrwr", "rwwrwwrww", "rwrrrrrwr",
                  "rrrrrrrrr"}},
      {kIconWordDocument, {"", "", "bbbbbbbbb", "bwbbwbbwb", "bwbbwbbwb", "bwbwbwbwb", "bbwbbbwbb",
                           "bbbbbbbbb"}},
      {kIconSpreadsheet, {"", "GGGGGGGGG", "GwwGwwGwG", "GGGGGGGGG", "GwwGwwGwG", "GGGGGGGGG",
                          "GwwGwwGwG", "GGGGGGGGG"}},
      {kIconPresentation, {"", "ooooooooo", "owwwwwwwo", "owwwwwrwo", "owwrwwrwo", "owrrwrrwo",
                           "ooooooooo", "    o", "   ooo"}},
  };
  static const std::vector<std::string> none;
  auto found = emblems.find(icon);
  return found == emblems.end() ? none : found->second;
}

void Folder(CDC& dc, int left) {
  Sprite(dc, left, 0,
         {"", "", " YYYYY", " YyyyyY", " YYYYYYYYYYYYY", " YyyyyyyyyyyyyY", " YyyyyyyyyyyyyY", " YyyyyyyyyyyyyY",
          " YyyyyyyyyyyyyY", " YyyyyyyyyyyyyY", " YyyyyyyyyyyyyY", " YyyyyyyyyyyyyY", " YyyyyyyyyyyyyY",
          " YYYYYYYYYYYYYY"});
}

void Drive(CDC& dc, int left) {
  Sprite(dc, left, 0,
         {"", "", "", "", "", "  gggggggggggg", " gllllllllllllg", " gllllllllllllg", " gllllllllllllg",
          " gggggggggggggg", " gddddddddddedg", " gddddddddddddg", " gggggggggggggg"});
}

// A program: a small window with a blue title bar.
void Program(CDC& dc, int left) {
  Sprite(dc, left, 0,
         {"", "", " dddddddddddddd", " dbbbbbbbbbbwbd", " dbbbbbbbbbbbbd", " dwwwwwwwwwwwwd", " dwllllwwwwwwwd",
          " dwwwwwwwwwwwwd", " dwlllllllwwwwd", " dwwwwwwwwwwwwd", " dwllllwwwwwwwd", " dwwwwwwwwwwwwd",
          " dddddddddddddd"});
}

void DrawIcon(CDC& dc, int icon, int left) {
  switch (icon) {
    case kIconFolder: Folder(dc, left); return;
    case kIconDrive: Drive(dc, left); return;
    case kIconProgram: Program(dc, left); return;
    default:
      Sheet(dc, left);
      Sprite(dc, left + 4, 5, Emblem(icon));
  }
}

}  // namespace

std::unique_ptr<gdi::CImageList> DrawSystemIcons() {
  auto strip = std::make_unique<gdi::Surface>(kSize * kSystemIconCount, kSize);
  {
    CDC dc(*strip, POINT{0, 0}, RECT{0, 0, kSize * kSystemIconCount, kSize});
    dc.FillSolidRect(RECT{0, 0, kSize * kSystemIconCount, kSize}, kMask);
    for (int icon = 0; icon < kSystemIconCount; ++icon) DrawIcon(dc, icon, icon * kSize);
  }
  gdi::CBitmap bitmap;
  bitmap.LoadFromSurface(std::move(strip));
  auto list = std::make_unique<gdi::CImageList>();
  list->Create(kSize, kSize, gdi::ILC_MASK | gdi::ILC_COLOR32, kSystemIconCount, 0);
  list->Add(&bitmap, kMask);
  return list;
}

}  // namespace plat::shell::detail
