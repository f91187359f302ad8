// Device contexts: drawing state (pens, brushes, font, colours, clip, origin) over a surface.
#pragma once

#include <memory>
#include <string>

#include "platform/base/types.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"

namespace plat::gdi {

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// DrawText formats (the platform's values).
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// DrawEdge edges and borders.
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

// BitBlt raster operation used by the system.
constexpr DWORD SRCCOPY = 0x00CC0020;

// GetDeviceCaps indices and values.
constexpr int RASTERCAPS = 38;
constexpr int RC_PALETTE = 0x0100;
constexpr int LOGPIXELSY = 90;

// Clip region results.
constexpr int ERROR_REGION = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// A device context. Coordinates are logical: device = logical - window origin + viewport offset.
// Shapes are drawn without antialiasing so every fill reads back exactly; text goes through pango.
// Texts are code page 949 bytes, as everywhere inside the control.
class CDC {
 public:
  // A context drawing into `surface`; `offset` is where logical (0,0) lands on the surface (a child
  // window's position inside its top-level window), `clip` the surface area it may touch (surface
  // coordinates). The surface must outlive the context.
  CDC(Surface& surface, POINT offset, RECT clip);
  // A memory context with no surface of its own yet; select a CBitmap into it before drawing.
  CDC();
  ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  // Memory context compatible with `other` (null: with the screen). Always succeeds here.
  BOOL CreateCompatibleDC(CDC* other);

  // Object selection returns the object that was selected before (never null after the first
  // selection: each context starts with a black 1-pixel pen, a white brush, the default GUI font
  // and, for memory contexts, a 1x1 stock bitmap).
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);
  CFont* GetCurrentFont() const;
  CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
  UINT RealizePalette();

  COLORREF SetTextColor(COLORREF c);
  COLORREF GetTextColor() const;
  COLORREF SetBkColor(COLORREF c);
  COLORREF GetBkColor() const;
  int SetBkMode(int mode);
  int GetBkMode() const;

  POINT SetWindowOrg(int x, int y);
  POINT GetWindowOrg() const;

  // Clip: the box is in logical coordinates; SelectClipRgn(nullptr) removes the extra clip.
  int GetClipBox(RECT* rect) const;
  int SelectClipRgn(CRgn* region);
  int IntersectClipRect(const RECT& rect);

  // Filling and lines. Lines exclude their end point, as the platform's do.
  void FillSolidRect(const RECT& rect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  int FillRect(const RECT& rect, CBrush* brush);
  POINT MoveTo(int x, int y);
  BOOL LineTo(int x, int y);
  void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
  BOOL DrawEdge(RECT* rect, UINT edge, UINT flags);
  BOOL Rectangle(const RECT& rect);  // outline with the pen, inside with the brush

  // Text (CP949 bytes). Returns the text height, as the platform does; DT_CALCRECT measures only.
  int DrawText(const std::string& text, RECT* rect, UINT format);
  SIZE GetTextExtent(const std::string& text) const;
  BOOL TextOut(int x, int y, const std::string& text);

  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
  int GetDeviceCaps(int index) const;

  // Reading back (logical coordinates), for tests.
  COLORREF GetPixel(int x, int y) const;

  int SaveDC();
  BOOL RestoreDC(int saved);

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat::gdi
