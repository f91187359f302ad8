// GUIDs: the 128-bit identifiers of classes, interfaces, type libraries and categories.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace plat::com {

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  std::array<BYTE, 8> Data4{};

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
  friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
using CATID = GUID;

inline constexpr GUID GUID_NULL{};

namespace detail {

constexpr int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses the 36-character form xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx, optionally inside braces.
constexpr std::optional<GUID> ParseGuidText(std::string_view s) {
  if (s.size() == 38) {
    if (s.front() != '{' || s.back() != '}') return std::nullopt;
    s = s.substr(1, 36);
  }
  if (s.size() != 36) return std::nullopt;
  unsigned char bytes[16] = {};
  std::size_t nibble = 0;
  for (std::size_t i = 0; i < 36; ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (s[i] != '-') return std::nullopt;
      continue;
    }
    int v = HexDigit(s[i]);
    if (v < 0) return std::nullopt;
    bytes[nibble / 2] = static_cast<unsigned char>(bytes[nibble / 2] << 4 | v);
    ++nibble;
  }
  GUID g;
  g.Data1 = static_cast<DWORD>(bytes[0]) << 24 | static_cast<DWORD>(bytes[1]) << 16 |
            static_cast<DWORD>(bytes[2]) << 8 | bytes[3];
  g.Data2 = static_cast<WORD>(bytes[4] << 8 | bytes[5]);
  g.Data3 = static_cast<WORD>(bytes[6] << 8 | bytes[7]);
  for (std::size_t i = 0; i < 8; ++i) g.Data4[i] = bytes[8 + i];
  return g;
}

}  // namespace detail

// Parses "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" with or without the braces, in any letter case.
// Anything else (wrong length, a missing dash, a stray brace, a non-hex digit) gives nullopt.
constexpr std::optional<GUID> ParseGuid(std::string_view text) { return detail::ParseGuidText(text); }

// A GUID written in the source: MakeGuid("{...}"). A malformed literal stops the compilation.
consteval GUID MakeGuid(std::string_view text) {
  auto g = detail::ParseGuidText(text);
  if (!g) throw std::invalid_argument("malformed GUID literal");
  return *g;
}

// The registry's form: upper case, with braces, 38 characters.
std::string FormatGuid(const GUID& guid);

}  // namespace plat::com

template <>
struct std::hash<plat::com::GUID> {
  std::size_t operator()(const plat::com::GUID& g) const noexcept;
};
