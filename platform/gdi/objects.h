// Drawing objects: pens, brushes, fonts, bitmaps, regions and palettes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace plat::gdi {

class Surface;

constexpr int PS_SOLID = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;
constexpr BYTE HANGUL_CHARSET = 129;
constexpr BYTE DEFAULT_CHARSET = 1;

class CGdiObject {
 public:
  virtual ~CGdiObject() = default;
};

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

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  COLORREF Color() const { return color_; }
  bool IsCreated() const { return created_; }

 private:
  COLORREF color_ = 0xFFFFFF;
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

class CFont : public CGdiObject {
 public:
  BOOL CreateFontIndirect(const LOGFONT& lf);
  // A font of `pointSize` tenths of a point (as the platform's CreatePointFont), 96 dpi.
  BOOL CreatePointFont(int pointSizeTenths, const std::string& faceName);
  int GetLogFont(LOGFONT* lf) const;
  const LOGFONT& Log() const { return log_; }
  bool IsCreated() const { return created_; }

 private:
  LOGFONT log_;
  bool created_ = false;
};

// A bitmap: its pixels are a Surface. Compatible bitmaps start with undefined (here: black) pixels.
class CBitmap : public CGdiObject {
 public:
  CBitmap();
  ~CBitmap() override;
  BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
  // Loads bitmap resource `id` from the resources compiled into the module (see resources.h).
  BOOL LoadBitmap(UINT id);
  BOOL LoadFromSurface(std::unique_ptr<Surface> surface);
  SIZE GetSize() const;
  Surface* GetSurface() const { return surface_.get(); }
  // Colour-table size of the loaded resource (0 for true-colour pictures) and bits per pixel.
  int ColorTableSize() const { return colorTable_; }
  int BitsPerPixel() const { return bpp_; }
  void DeleteObject();

 private:
  std::unique_ptr<Surface> surface_;
  int colorTable_ = 0;
  int bpp_ = 32;
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  BOOL CreateRectRgnIndirect(const RECT& rect) { return CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom); }
  const RECT& Rect() const { return rect_; }

 private:
  RECT rect_{};
};

struct PALETTEENTRY {
  BYTE peRed, peGreen, peBlue, peFlags;
};

class CPalette : public CGdiObject {
 public:
  BOOL CreatePalette(WORD version, const std::vector<PALETTEENTRY>& entries);
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
