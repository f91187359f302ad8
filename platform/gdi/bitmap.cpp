// Bitmaps: compatible (blank) bitmaps, pictures from the module's PNG resources, colour tables.
#include <algorithm>
#include <cstring>

#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/surface_impl.h"
#include "platform/kernel/resource.h"

namespace plat::gdi {
namespace {

std::uint32_t BigEndian32(const unsigned char* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

struct PngFormat {
  int bitsPerPixel = 32;
  std::vector<PALETTEENTRY> palette;  // only for palette pictures
};

// Reads the colour layout from a PNG's chunks: a palette picture (colour type 3) has a colour table
// of its PLTE entries and its bit depth per pixel; every other kind counts as true colour.
PngFormat FormatOf(const unsigned char* data, std::size_t size) {
  PngFormat out;
  std::size_t pos = 8;
  int colourType = -1, bitDepth = 8;
  while (pos + 8 <= size) {
    std::uint32_t length = BigEndian32(data + pos);
    const unsigned char* type = data + pos + 4;
    const unsigned char* body = data + pos + 8;
    if (length > size - pos - 8) break;
    if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
      bitDepth = body[8];
      colourType = body[9];
    } else if (std::memcmp(type, "PLTE", 4) == 0 && colourType == 3) {
      for (std::uint32_t i = 0; i + 3 <= length && out.palette.size() < 256; i += 3)
        out.palette.push_back({body[i], body[i + 1], body[i + 2], 0});
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      break;
    }
    pos += 12 + static_cast<std::size_t>(length);
  }
  if (colourType == 3) out.bitsPerPixel = bitDepth;
  else out.palette.clear();
  return out;
}

}  // namespace

CBitmap::CBitmap() = default;
CBitmap::~CBitmap() = default;

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int width, int height) {
  if (width < 0 || height < 0) return FALSE;
  auto surface = std::make_unique<Surface>(width, height, COLORREF{0x000000});
  surface_ = std::move(surface);
  colorTable_.clear();
  bpp_ = 32;
  return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT id) {
  DeleteObject();
  plat::kernel::ResourceData r = plat::kernel::FindResource(plat::kernel::ResourceKind::Bitmap, id);
  if (!r) return FALSE;
  const auto* bytes = static_cast<const unsigned char*>(r.data);
  auto surface = Surface::FromPngBytes(bytes, r.size);
  if (!surface) return FALSE;
  PngFormat format = FormatOf(bytes, r.size);
  surface_ = std::move(surface);
  colorTable_ = std::move(format.palette);
  bpp_ = format.bitsPerPixel;
  return TRUE;
}

BOOL CBitmap::LoadFromSurface(std::unique_ptr<Surface> surface) {
  DeleteObject();
  if (!surface) return FALSE;
  surface_ = std::move(surface);
  return TRUE;
}

SIZE CBitmap::GetSize() const {
  if (!surface_) return SIZE{};
  return SIZE{surface_->Width(), surface_->Height()};
}

void CBitmap::DeleteObject() {
  surface_.reset();
  colorTable_.clear();
  bpp_ = 32;
}

}  // namespace plat::gdi
