// Formatting and hashing of GUIDs.
#include "platform/com/guid.h"

#include <cstdio>

namespace plat::com {

std::string FormatGuid(const GUID& g) {
  char buffer[39];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.Data1), static_cast<unsigned>(g.Data2),
                static_cast<unsigned>(g.Data3), g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return buffer;
}

}  // namespace plat::com

std::size_t std::hash<plat::com::GUID>::operator()(const plat::com::GUID& g) const noexcept {
  // FNV-1a over the sixteen bytes.
  std::uint64_t h = 1469598103934665603ULL;
  auto mix = [&h](std::uint64_t byte) { h = (h ^ byte) * 1099511628211ULL; };
  for (int shift = 24; shift >= 0; shift -= 8) mix((g.Data1 >> shift) & 0xFF);
  mix(g.Data2 >> 8); mix(g.Data2 & 0xFF);
  mix(g.Data3 >> 8); mix(g.Data3 & 0xFF);
  for (auto b : g.Data4) mix(b);
  return static_cast<std::size_t>(h);
}
