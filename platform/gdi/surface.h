// An off-screen picture of 32-bit pixels: what every device context draws into.
#pragma once

#include <memory>
#include <string>

#include "platform/base/types.h"

namespace plat::gdi {

// A surface holds width x height pixels, each a COLORREF once read back. Top-level windows own one
// each; compatible bitmaps are surfaces too. Cairo stays behind this interface.
class Surface {
 public:
  // A surface of width x height white pixels (negative sizes count as 0).
  Surface(int width, int height);
  // A surface of width x height pixels of `color`.
  Surface(int width, int height, COLORREF color);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const;
  int Height() const;

  // Pixel read-back for tests and snapshots; (x, y) outside the surface gives CLR_INVALID.
  COLORREF GetPixel(int x, int y) const;
  // Writes the whole surface as a PNG file; false when the file cannot be written.
  bool WritePng(const std::string& utf8Path) const;
  // Loads a PNG file or PNG bytes; null on failure.
  static std::unique_ptr<Surface> FromPng(const std::string& utf8Path);
  static std::unique_ptr<Surface> FromPngBytes(const unsigned char* data, std::size_t size);

  // Resizes, keeping the top-left pixels that still fit; new pixels are white.
  void Resize(int width, int height);

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

}  // namespace plat::gdi
