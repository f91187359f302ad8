// Names derived from paths, walking whole CP949 characters.
#include "attachments/AttachNames.h"

#include "platform/text/text.h"

namespace drev {

std::string AttachNameOfPath(std::string_view path) {
  std::size_t separator = plat::text::ReverseFindAny(path, "\\/");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string AttachExtensionOf(std::string_view name) {
  std::size_t dot = plat::text::ReverseFindChar(name, '.');
  return std::string(dot == std::string_view::npos ? name : name.substr(dot));
}

bool PathContains(std::string_view path, std::string_view text) {
  for (std::size_t i = 0; i + text.size() <= path.size(); ++i) {
    if (path.compare(i, text.size(), text) == 0) return true;
    if (plat::text::IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ++i;
  }
  return false;
}

}  // namespace drev
