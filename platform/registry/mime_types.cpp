// /etc/mime.types read once into a map from lower-case extension to content type.
#include "platform/registry/mime_types.h"

#include <fstream>
#include <sstream>
#include <unordered_map>

#include "platform/registry/key_tree.h"

namespace plat::registry::detail {
namespace {

constexpr const char* kDatabase = "/etc/mime.types";

// Lines are "type ext ext ..." separated by blanks; '#' starts a comment.
std::unordered_map<std::string, std::string> Load() {
  std::unordered_map<std::string, std::string> types;
  std::ifstream in(kDatabase);
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string type, ext;
    if (!(words >> type)) continue;
    while (words >> ext) types.emplace(Fold(ext), type);
  }
  return types;
}

}  // namespace

std::optional<std::string> LookupMimeType(std::string_view ext) {
  static const std::unordered_map<std::string, std::string> types = Load();
  auto it = types.find(Fold(ext));
  if (it == types.end()) return std::nullopt;
  return it->second;
}

}  // namespace plat::registry::detail
