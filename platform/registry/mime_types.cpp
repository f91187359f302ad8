// /etc/mime.types read once into a map from lower-case extension to content type.
#include "platform/registry/mime_types.h"

#include <fstream>
#include <iterator>
#include <unordered_map>

#include "platform/registry/key_tree.h"

namespace plat::registry::detail {
namespace {

constexpr const char* kDatabase = "/etc/mime.types";

// The whole file is read at once and cut in place: this runs at the start of every upload
// program, and a stream per line made it cost millions of instructions for 70 KB.
std::unordered_map<std::string, std::string> Load() {
  std::ifstream in(kDatabase, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return ParseMimeTypes(text);
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::unordered_map<std::string, std::string> ParseMimeTypes(std::string_view text) {
  std::unordered_map<std::string, std::string> types;
  types.reserve(2048);
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    line = line.substr(0, line.find('#'));
    std::string_view type;
    while (!line.empty()) {
      std::size_t start = 0;
      while (start < line.size() && Blank(line[start])) ++start;
      std::size_t stop = start;
      while (stop < line.size() && !Blank(line[stop])) ++stop;
      std::string_view word = line.substr(start, stop - start);
      line.remove_prefix(stop);
      if (word.empty()) break;
      if (type.empty()) {
        type = word;
      } else {
        types.emplace(Fold(word), std::string(type));
      }
    }
  }
  return types;
}

std::optional<std::string> LookupMimeType(std::string_view ext) {
  static const std::unordered_map<std::string, std::string> types = Load();
  auto it = types.find(Fold(ext));
  if (it == types.end()) return std::nullopt;
  return it->second;
}

}  // namespace plat::registry::detail
