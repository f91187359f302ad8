// Cutting code page 949 texts to a byte budget on a character boundary.
#include "widgets/AnsiPrefix.h"

#include "platform/text/text.h"

namespace drev {

std::string AnsiPrefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t width = (plat::text::IsLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size()) ? 2 : 1;
    if (end + width > maxBytes) break;
    end += width;
  }
  return std::string(text.substr(0, end));
}

}  // namespace drev
