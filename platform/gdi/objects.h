// Drawing objects: pens, brushes, fonts, bitmaps, regions and palettes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace plat::gdi {

class Surface;

constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;  // draws nothing
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE DEFAULT_CHARSET = 1;

struct PALETTEENTRY {
  BYTE peRed, peGreen, peBlue, peFlags;
};

class CGdiObject {
 public:
  virtual ~CGdiObject() = default;
};

// A pen: lines of `width` pixels in one colour (PS_SOLID; PS_NULL draws nothing).
class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color);
  int Style() const { return style_; }
  int Width() const { return width_; }
  COLORREF Color() const { return color_; }
  bool IsCreated() const { return created_; }

 private:
  int style_ = PS_SOLID;
  int width_ = 1;
  COLORREF color_ = 0;
  bool created_ = false;
};

// A solid brush, or a hollow one that fills nothing (the platform's NULL_BRUSH).
class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  BOOL CreateHollowBrush();
  COLORREF Color() const { return color_; }
  bool IsHollow() const { return hollow_; }
  bool IsCreated() const { return created_; }

 private:
  COLORREF color_ = 0xFFFFFF;
  bool hollow_ = false;
  bool created_ = false;
};

// LOGFONT's fields that matter here; the face name is CP949 ("굴림", "돋움" map to Korean faces).
struct LOGFONT {
  LONG lfHeight = 0;  // negative: character height in pixels; positive: cell height
  LONG lfWeight = FW_NORMAL;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfCharSet = DEFAULT_CHARSET;
  std::string lfFaceName;
};

// A logical font. Creating one only records the LOGFONT; the face is found when text is drawn or
// measured (see GetDialogBaseUnits for metrics without a device context).
class CFont : public CGdiObject {
 public:
  BOOL CreateFontIndirect(const LOGFONT& lf);
  // A font of `pointSize` tenths of a point (as the platform's CreatePointFont), 96 dpi:
  // lfHeight = -(tenths * 96 / 720), rounded to nearest.
  BOOL CreatePointFont(int pointSizeTenths, const std::string& faceName);
  // Copies the LOGFONT into *lf; 0 when the font was never created or lf is null. A bold copy of a
  // font is made by the caller: GetLogFont, lfWeight = FW_BOLD, CreateFontIndirect.
  int GetLogFont(LOGFONT* lf) const;
  const LOGFONT& Log() const { return log_; }
  bool IsCreated() const { return created_; }

 private:
  LOGFONT log_;
  bool created_ = false;
};

// The platform's default GUI font: "굴림" (CP949), 12 pixels (9 points at 96 dpi), Hangul charset.
// Every new device context starts with it selected.
const LOGFONT& DefaultGuiLogFont();
// A process-wide font object made from DefaultGuiLogFont (the platform's stock DEFAULT_GUI_FONT).
CFont* GetStockGuiFont();

// A bitmap: its pixels are a Surface. Compatible bitmaps start with undefined (here: black) pixels.
// A device context that has the bitmap selected shares its pixels, so they stay valid there even if
// the bitmap object goes first.
class CBitmap : public CGdiObject {
 public:
  CBitmap();
  ~CBitmap() override;
  CBitmap(const CBitmap&) = delete;
  CBitmap& operator=(const CBitmap&) = delete;
  // A colour bitmap of width x height (black); FALSE for a negative size. Replaces any earlier one.
  BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
  // Loads bitmap resource `id` (PNG bytes found through plat::kernel::FindResource); FALSE when the
  // resource is missing or is not a PNG. The earlier picture is gone either way.
  BOOL LoadBitmap(UINT id);
  // Takes a picture; FALSE (and no picture) for null.
  BOOL LoadFromSurface(std::unique_ptr<Surface> surface);
  // Width and height; 0 x 0 when there is no picture.
  SIZE GetSize() const;
  Surface* GetSurface() const { return surface_.get(); }
  std::shared_ptr<Surface> SharedSurface() const { return surface_; }
  // Colour-table size of the loaded resource (0 for true-colour pictures), its entries, and bits per
  // pixel: a palette PNG has a colour table; everything else counts as 32 bits per pixel.
  int ColorTableSize() const { return static_cast<int>(colorTable_.size()); }
  const std::vector<PALETTEENTRY>& ColorTable() const { return colorTable_; }
  int BitsPerPixel() const { return bpp_; }
  void DeleteObject();

 private:
  std::shared_ptr<Surface> surface_;
  std::vector<PALETTEENTRY> colorTable_;
  int bpp_ = 32;
};

// A rectangular region (the only shape the control clips to).
class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  BOOL CreateRectRgnIndirect(const RECT& rect) { return CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom); }
  const RECT& Rect() const { return rect_; }

 private:
  RECT rect_{};
};

// A logical palette. The screen here is true-colour, so palettes keep their entries and change no
// pixel when selected and realised.
class CPalette : public CGdiObject {
 public:
  // FALSE for an empty or over-long (> 256 entries) table.
  BOOL CreatePalette(WORD version, const std::vector<PALETTEENTRY>& entries);
  // The 256-entry halftone palette: a 6 x 6 x 6 colour cube, then a grey ramp.
  BOOL CreateHalftonePalette(class CDC* dc);
  const std::vector<PALETTEENTRY>& Entries() const { return entries_; }
  WORD Version() const { return version_; }
  bool IsCreated() const { return created_; }

 private:
  std::vector<PALETTEENTRY> entries_;
  WORD version_ = 0x300;
  bool created_ = false;
};

}  // namespace plat::gdi
