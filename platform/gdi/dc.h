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
constexpr UINT DT_NOCLIP = 0x0100;
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
constexpr UINT BF_MIDDLE = 0x0800;  // fill the inside with the button face
constexpr UINT BF_ADJUST = 0x2000;  // shrink *rect to the inside

// BitBlt raster operation used by the system.
constexpr DWORD SRCCOPY = 0x00CC0020;

// GetDeviceCaps indices and values.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_STRETCHBLT = 0x0800;

// Clip region results.
constexpr int ERROR_REGION = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Text metrics of the selected font, in pixels (tmHeight = tmAscent + tmDescent).
struct TEXTMETRIC {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
};

// A device context. Coordinates are logical: device = logical - window origin; device (0,0) is the
// top-left of the window (window contexts) or of the selected bitmap (memory contexts).
// Shapes are drawn without antialiasing so every fill reads back exactly; text goes through pango
// with greyscale antialiasing. Texts are code page 949 bytes, as everywhere inside the control.
// A context is used by one thread at a time.
class CDC {
 public:
  // A context drawing into `surface`; `offset` is where device (0,0) lands on the surface (a child
  // window's position inside its top-level window), `clip` the surface area it may touch (surface
  // coordinates). The surface must outlive the context.
  CDC(Surface& surface, POINT offset, RECT clip);
  // A memory context with no surface of its own yet; select a CBitmap into it before drawing.
  CDC();
  virtual ~CDC();
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
  // Selecting null or a never-created object changes nothing and returns null. A bitmap can only be
  // selected into a memory context.
  CFont* GetCurrentFont() const;
  CPen* GetCurrentPen() const;
  CBrush* GetCurrentBrush() const;
  CBitmap* GetCurrentBitmap() const;  // null for window contexts
  // Palettes are kept and handed back; the true-colour surface changes no pixel for them.
  // RealizePalette answers 0 entries mapped.
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

  // Clip. GetClipBox gives the visible area (the window's clip or the bitmap, cut by the clip region)
  // in logical coordinates and answers NULLREGION when it is empty, else SIMPLEREGION.
  // SelectClipRgn takes a region in device coordinates, as the platform does (a copy is kept);
  // null removes the extra clip. IntersectClipRect narrows the clip by a logical rectangle.
  // Both return the resulting region kind.
  int GetClipBox(RECT* rect) const;
  int SelectClipRgn(CRgn* region);
  int IntersectClipRect(const RECT& rect);

  // Filling and lines. FillSolidRect fills exactly the rectangle (corners in either order) and, as
  // the platform's does, leaves the background colour set to `color`. FillRect uses the brush and
  // leaves the colours alone. Lines exclude their end point, as the platform's do; a pen wider than
  // one pixel paints a width x width square centred on each point of the line.
  void FillSolidRect(const RECT& rect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  int FillRect(const RECT& rect, CBrush* brush);
  POINT MoveTo(int x, int y);
  POINT GetCurrentPosition() const;
  BOOL LineTo(int x, int y);
  COLORREF SetPixel(int x, int y, COLORREF color);  // the colour set, or CLR_INVALID when clipped
  // A one-pixel frame: top and left lines in topLeft (without the top-right and bottom-left corner
  // pixels), right and bottom lines in bottomRight.
  void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
  // Two-line edges in the system colours: raised = light/dark-shadow outside, highlight/shadow
  // inside; sunken = shadow/highlight outside, dark-shadow/light inside. BF_ flags choose the sides.
  BOOL DrawEdge(RECT* rect, UINT edge, UINT flags);
  BOOL Rectangle(const RECT& rect);  // outline with the pen, inside with the brush

  // Text (CP949 bytes) in the selected font and text colour; with OPAQUE the text's own extent is
  // filled with the background colour first. DrawText clips to *rect unless DT_NOCLIP; without
  // DT_NOPREFIX "&x" underlines x and "&&" shows "&". Without DT_SINGLELINE, line feeds break lines
  // and DT_WORDBREAK wraps at the rectangle's width. Returns the text height (0 for a null rect);
  // DT_CALCRECT draws nothing and sets rect's right and bottom to fit the text.
  int DrawText(const std::string& text, RECT* rect, UINT format);
  SIZE GetTextExtent(const std::string& text) const;  // width and line height of one line
  BOOL TextOut(int x, int y, const std::string& text);  // top-left at (x, y), not clipped to a rect
  BOOL GetTextMetrics(TEXTMETRIC* metrics) const;

  // Copies a width x height block from `source` (SRCCOPY only: any other operation answers FALSE).
  // Source pixels outside the source's surface are left out.
  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
  // 96 dpi, 32 bits per pixel, no palette (RASTERCAPS without RC_PALETTE); unknown indices give 0.
  int GetDeviceCaps(int index) const;

  // Reading back (logical coordinates), for tests: CLR_INVALID outside the clip.
  COLORREF GetPixel(int x, int y) const;

  // SaveDC returns the new depth (1, 2, ...). RestoreDC(n) goes back to the state saved as n,
  // RestoreDC(-1) to the last one; FALSE when there is no such state.
  int SaveDC();
  BOOL RestoreDC(int saved);

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat::gdi
