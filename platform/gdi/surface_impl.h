// The cairo image behind a Surface, with direct pixel access for exact fills; private to plat::gdi.
#pragma once

#include <cairo.h>

#include <cstdint>

#include "platform/base/types.h"
#include "platform/gdi/surface.h"

namespace plat::gdi {

// Pixels are cairo ARGB32: native-endian 0xAARRGGBB words, premultiplied by alpha. Everything the
// drawing layer paints is opaque; only icon pictures carry partial alpha.
struct Surface::Impl {
  cairo_surface_t* surface = nullptr;
  int width = 0;
  int height = 0;

  explicit Impl(cairo_surface_t* s);
  ~Impl();
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // Row pointers for direct writes: call BeginDirect before touching pixels and EndDirect after, so
  // that cairo's own view of the surface stays in step.
  void BeginDirect() { cairo_surface_flush(surface); }
  void EndDirect() { cairo_surface_mark_dirty(surface); }
  std::uint32_t* Row(int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface));
  }
  const std::uint32_t* Row(int y) const { return const_cast<Impl*>(this)->Row(y); }
  RECT Bounds() const { return RECT{0, 0, width, height}; }
  // Sets every pixel of `area` (within the surface; not checked) to `pixel`: one row is filled,
  // the others are copies of it. Call between BeginDirect and EndDirect.
  void FillPixels(const RECT& area, std::uint32_t pixel);
};

// Opaque pixel word for a colour.
constexpr std::uint32_t PixelOf(COLORREF c) {
  return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// Colour of a pixel word, undoing the alpha premultiplication (a fully transparent pixel reads black).
COLORREF ColorOf(std::uint32_t pixel);

}  // namespace plat::gdi
