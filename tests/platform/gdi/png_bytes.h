// Test helper: hand-made PNG files (stored, uncompressed) with alpha or with a colour table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::gdi::testing_png {

inline std::uint32_t Crc(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return c ^ 0xFFFFFFFFu;
}

inline void Put32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

inline void Chunk(std::string& png, const char* type, const std::string& data) {
  Put32(png, static_cast<std::uint32_t>(data.size()));
  std::string body = std::string(type, 4) + data;
  png += body;
  Put32(png, Crc(body));
}

// A zlib stream of stored blocks.
inline std::string Zlib(const std::string& raw) {
  std::string z = "\x78\x01";
  std::size_t pos = 0;
  do {
    std::size_t n = std::min<std::size_t>(raw.size() - pos, 65535);
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<char>(n & 0xFF));
    z.push_back(static_cast<char>(n >> 8));
    z.push_back(static_cast<char>(~n & 0xFF));
    z.push_back(static_cast<char>((~n >> 8) & 0xFF));
    z += raw.substr(pos, n);
    pos += n;
  } while (pos < raw.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, (b << 16) | a);
  return z;
}

// `rows` holds, per row, the filter-less pixel bytes (RGBA for colour type 6, indices for type 3).
inline std::vector<unsigned char> Png(int width, int height, int colourType, const std::vector<std::string>& rows,
                                      const std::string& palette = {}) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  Put32(ihdr, static_cast<std::uint32_t>(width));
  Put32(ihdr, static_cast<std::uint32_t>(height));
  ihdr += std::string{'\x08', static_cast<char>(colourType), '\0', '\0', '\0'};
  Chunk(png, "IHDR", ihdr);
  if (!palette.empty()) Chunk(png, "PLTE", palette);
  std::string raw;
  for (const std::string& row : rows) raw += '\0' + row;
  Chunk(png, "IDAT", Zlib(raw));
  Chunk(png, "IEND", "");
  return {png.begin(), png.end()};
}

}  // namespace plat::gdi::testing_png
