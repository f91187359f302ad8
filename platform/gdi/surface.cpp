// Surfaces: cairo ARGB32 image surfaces, PNG input and output, resizing.
#include "platform/gdi/surface.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/surface_impl.h"

namespace plat::gdi {
namespace {

cairo_surface_t* NewImage(int width, int height) {
  return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(width, 0), std::max(height, 0));
}

void FillAll(Surface::Impl& impl, std::uint32_t pixel) {
  impl.BeginDirect();
  impl.FillPixels(impl.Bounds(), pixel);
  impl.EndDirect();
}

void FillWhite(Surface::Impl& impl) { FillAll(impl, 0xFFFFFFFFu); }

// Any image cairo hands back (RGB24 from opaque PNGs, ARGB32 from others) as an ARGB32 surface.
std::unique_ptr<Surface> AdoptLoaded(cairo_surface_t* loaded) {
  if (cairo_surface_status(loaded) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(loaded);
    return nullptr;
  }
  int w = cairo_image_surface_get_width(loaded);
  int h = cairo_image_surface_get_height(loaded);
  auto out = std::make_unique<Surface>(w, h);
  Surface::Impl& dst = out->impl();
  bool opaque = cairo_image_surface_get_format(loaded) == CAIRO_FORMAT_RGB24;
  cairo_surface_flush(loaded);
  const unsigned char* data = cairo_image_surface_get_data(loaded);
  int stride = cairo_image_surface_get_stride(loaded);
  dst.BeginDirect();
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    std::uint32_t* row = dst.Row(y);
    for (int x = 0; x < w; ++x) row[x] = opaque ? (src[x] | 0xFF000000u) : src[x];
  }
  dst.EndDirect();
  cairo_surface_destroy(loaded);
  return out;
}

struct ByteReader {
  const unsigned char* data;
  std::size_t left;
};

cairo_status_t ReadBytes(void* closure, unsigned char* out, unsigned int length) {
  auto* r = static_cast<ByteReader*>(closure);
  if (length > r->left) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, r->data, length);
  r->data += length;
  r->left -= length;
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

COLORREF ColorOf(std::uint32_t pixel) {
  std::uint32_t a = pixel >> 24;
  std::uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  if (a == 0) return 0;
  if (a != 255) {
    r = (r * 255 + a / 2) / a;
    g = (g * 255 + a / 2) / a;
    b = (b * 255 + a / 2) / a;
  }
  return RGB(static_cast<BYTE>(std::min(r, 255u)), static_cast<BYTE>(std::min(g, 255u)),
             static_cast<BYTE>(std::min(b, 255u)));
}

void Surface::Impl::FillPixels(const RECT& area, std::uint32_t pixel) {
  if (area.IsEmpty()) return;
  const int count = area.Width();
  std::uint32_t* first = Row(area.top) + area.left;
  // A few pixels by hand, then the row doubled by copies of what is set already, then every other
  // row copied from the first: the C library moves them many bytes at a time.
  int done = std::min(count, 16);
  std::fill_n(first, done, pixel);
  while (done < count) {
    const int n = std::min(done, count - done);
    std::memcpy(first + done, first, static_cast<std::size_t>(n) * sizeof(std::uint32_t));
    done += n;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(count) * sizeof(std::uint32_t);
  for (int y = area.top + 1; y < area.bottom; ++y) std::memcpy(Row(y) + area.left, first, rowBytes);
}

Surface::Impl::Impl(cairo_surface_t* s)
    : surface(s), width(cairo_image_surface_get_width(s)), height(cairo_image_surface_get_height(s)) {}

Surface::Impl::~Impl() { cairo_surface_destroy(surface); }

Surface::Surface(int width, int height) : impl_(std::make_unique<Impl>(NewImage(width, height))) {
  FillWhite(*impl_);
}

Surface::Surface(int width, int height, COLORREF color) : impl_(std::make_unique<Impl>(NewImage(width, height))) {
  FillAll(*impl_, PixelOf(color));
}

Surface::~Surface() = default;

int Surface::Width() const { return impl_->width; }
int Surface::Height() const { return impl_->height; }

COLORREF Surface::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= impl_->width || y >= impl_->height) return CLR_INVALID;
  impl_->BeginDirect();
  return ColorOf(impl_->Row(y)[x]);
}

bool Surface::WritePng(const std::string& utf8Path) const {
  impl_->BeginDirect();
  return cairo_surface_write_to_png(impl_->surface, utf8Path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::unique_ptr<Surface> Surface::FromPng(const std::string& utf8Path) {
  return AdoptLoaded(cairo_image_surface_create_from_png(utf8Path.c_str()));
}

std::unique_ptr<Surface> Surface::FromPngBytes(const unsigned char* data, std::size_t size) {
  if (data == nullptr || size == 0) return nullptr;
  ByteReader reader{data, size};
  return AdoptLoaded(cairo_image_surface_create_from_png_stream(ReadBytes, &reader));
}

void Surface::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == impl_->width && height == impl_->height) return;
  auto next = std::make_unique<Impl>(NewImage(width, height));
  FillWhite(*next);
  int keepW = std::min(width, impl_->width), keepH = std::min(height, impl_->height);
  impl_->BeginDirect();
  next->BeginDirect();
  for (int y = 0; y < keepH; ++y) std::memcpy(next->Row(y), impl_->Row(y), keepW * sizeof(std::uint32_t));
  next->EndDirect();
  impl_ = std::move(next);
}

}  // namespace plat::gdi
