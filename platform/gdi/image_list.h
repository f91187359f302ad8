// Image lists: rows of equal-sized pictures with transparency, drawn into device contexts.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/types.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"

namespace plat::gdi {

// Creation flags: ILC_MASK makes pixels of the mask colour transparent; the colour depth flags are
// accepted and change nothing (pictures are always kept at 32 bits).
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

// Draw styles.
constexpr UINT ILD_NORMAL = 0x0000;       // background colour under masked pixels, if the list has one
constexpr UINT ILD_TRANSPARENT = 0x0001;  // masked pixels always leave the target as it was

// Special colours: no colour (transparent drawing) and "the list's own background colour".
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

struct IMAGEINFO {
  RECT rcImage{};  // where image i sits in the list's picture strip: {i * cx, 0, (i + 1) * cx, cy}
};

class CImageList;
using HIMAGELIST = CImageList*;

class CImageList {
 public:
  CImageList();
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  // An empty list of cx x cy images; FALSE for a size below 1. `initial` and `grow` only size the
  // storage. Recreating empties the list and resets its background colour to CLR_NONE.
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  // A list filled from bitmap resource `bitmapId`, cut into images `cx` wide (the bitmap's height is
  // the image height). `mask` is the transparent colour (CLR_DEFAULT: the top-left pixel's colour;
  // CLR_NONE: no transparency). FALSE when the resource cannot be loaded or holds no whole image.
  BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
  BOOL DeleteImageList();
  // The list as the platform passes it around; null before Create.
  HIMAGELIST GetSafeHandle() const;

  // Appends the bitmap's pictures, cx pixels each from the left (a narrower remainder is left out);
  // with ILC_MASK, pixels exactly `mask` become transparent. Returns the first new index, or -1 when
  // nothing was added.
  int Add(CBitmap* bitmap, COLORREF mask);
  // Appends an icon picture with its own transparency (alpha), scaled to cx x cy when its size
  // differs. Returns its index, or -1.
  int Add(const Surface& icon);
  // Removes image `index`, or all images for -1. FALSE for an index out of range.
  BOOL Remove(int index);

  int GetImageCount() const;
  BOOL GetImageInfo(int index, IMAGEINFO* info) const;
  BOOL GetIconSize(int* cx, int* cy) const;

  // The colour drawn under transparent pixels by ILD_NORMAL; CLR_NONE (the initial value) draws
  // transparently. Returns the previous colour.
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;

  // Draws image `index` with its top-left at `pt` (logical coordinates of dc). FALSE for a bad
  // index or no context.
  BOOL Draw(CDC* dc, int index, POINT pt, UINT style) const;
  // As Draw, limited to sz (0 in either direction: the whole image that way), with the background
  // `bk` (CLR_DEFAULT: the list's; CLR_NONE: transparent). `fg` is accepted and unused.
  BOOL DrawEx(CDC* dc, int index, POINT pt, SIZE sz, COLORREF bk, COLORREF fg, UINT style) const;
  // As DrawEx, starting `origin` pixels into the image; rop must be SRCCOPY.
  BOOL DrawIndirect(CDC* dc, int index, POINT pt, SIZE sz, POINT origin, UINT style = ILD_NORMAL,
                    DWORD rop = SRCCOPY, COLORREF bk = CLR_DEFAULT, COLORREF fg = CLR_DEFAULT) const;

 private:
  bool created_ = false;
  int cx_ = 0;
  int cy_ = 0;
  UINT flags_ = 0;
  COLORREF bk_ = CLR_NONE;
  // One premultiplied ARGB picture of cx * cy pixels per image.
  std::vector<std::vector<std::uint32_t>> images_;
};

}  // namespace plat::gdi
