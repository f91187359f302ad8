// Cutting code page 949 texts to a byte budget without splitting a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace drev {

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a character boundary (a
// double-byte character that would straddle the limit is left out whole).
std::string AnsiPrefix(std::string_view text, std::size_t maxBytes);

}  // namespace drev
