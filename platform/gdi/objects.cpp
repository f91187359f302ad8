// Pens, brushes, fonts, regions and palettes: the drawing objects that only hold values.
#include "platform/gdi/objects.h"

#include "platform/text/text.h"

namespace plat::gdi {

BOOL CPen::CreatePen(int style, int width, COLORREF color) {
  style_ = style;
  width_ = width < 1 ? 1 : width;  // width 0 means a 1-pixel pen, as on the platform
  color_ = color & 0x00FFFFFF;
  created_ = true;
  return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  color_ = color & 0x00FFFFFF;
  hollow_ = false;
  created_ = true;
  return TRUE;
}

BOOL CBrush::CreateHollowBrush() {
  hollow_ = true;
  created_ = true;
  return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONT& lf) {
  log_ = lf;
  created_ = true;
  return TRUE;
}

BOOL CFont::CreatePointFont(int pointSizeTenths, const std::string& faceName) {
  LOGFONT lf;
  int tenths = pointSizeTenths < 0 ? -pointSizeTenths : pointSizeTenths;
  lf.lfHeight = -((tenths * 96 + 360) / 720);
  lf.lfFaceName = faceName;
  return CreateFontIndirect(lf);
}

int CFont::GetLogFont(LOGFONT* lf) const {
  if (!created_ || lf == nullptr) return 0;
  *lf = log_;
  return static_cast<int>(sizeof(LOGFONT));
}

const LOGFONT& DefaultGuiLogFont() {
  static const LOGFONT font = [] {
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = HANGUL_CHARSET;
    lf.lfFaceName = plat::text::Ansi("굴림");
    return lf;
  }();
  return font;
}

CFont* GetStockGuiFont() {
  static CFont font = [] {
    CFont f;
    f.CreateFontIndirect(DefaultGuiLogFont());
    return f;
  }();
  return &font;
}

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  // The platform normalises the corners; an inverted rectangle is the same region.
  rect_ = RECT{left < right ? left : right, top < bottom ? top : bottom, left < right ? right : left,
               top < bottom ? bottom : top};
  return TRUE;
}

BOOL CPalette::CreatePalette(WORD version, const std::vector<PALETTEENTRY>& entries) {
  if (entries.empty() || entries.size() > 256) return FALSE;
  version_ = version;
  entries_ = entries;
  created_ = true;
  return TRUE;
}

BOOL CPalette::CreateHalftonePalette(CDC*) {
  std::vector<PALETTEENTRY> entries;
  entries.reserve(256);
  static constexpr BYTE kLevels[6] = {0x00, 0x33, 0x66, 0x99, 0xCC, 0xFF};
  for (BYTE r : kLevels)
    for (BYTE g : kLevels)
      for (BYTE b : kLevels) entries.push_back({r, g, b, 0});
  // The remaining 40 entries: a grey ramp between the cube's grey steps.
  for (int i = 0; entries.size() < 256; ++i) {
    BYTE v = static_cast<BYTE>(8 + i * 6);
    entries.push_back({v, v, v, 0});
  }
  return CreatePalette(0x300, entries);
}

}  // namespace plat::gdi
