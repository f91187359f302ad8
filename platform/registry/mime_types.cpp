// /etc/mime.types read once into a map from lower-case extension to content type.
#include "platform/registry/mime_types.h"

#include <fstream>
#include <string>
#include <unordered_map>

#include "platform/registry/key_tree.h"

namespace plat::registry::detail {
namespace {

constexpr const char* kDatabase = "/etc/mime.types";

// The database's text and its table of words in it, for the rest of the process. The whole file is
// read at once and cut in place: this runs at the start of every upload program, and a stream per
// line, with a string for every word, made it cost millions of instructions for 70 KB.
struct Database {
  std::string text;
  std::unordered_map<std::string_view, std::string_view> types;
};

const Database& TheDatabase() {
  static const Database* database = [] {
    auto* d = new Database;
    std::ifstream in(kDatabase, std::ios::binary | std::ios::ate);
    const std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : 0;
    if (size > 0 && in.seekg(0)) {
      d->text.resize(static_cast<std::size_t>(size));
      in.read(d->text.data(), size);
      d->text.resize(static_cast<std::size_t>(in.gcount()));
    }
    d->types = ParseMimeTypes(d->text);
    return d;
  }();
  return *database;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::unordered_map<std::string_view, std::string_view> ParseMimeTypes(std::string& text) {
  std::unordered_map<std::string_view, std::string_view> types;
  types.reserve(2048);
  char* const begin = text.data();
  const std::size_t size = text.size();
  std::size_t at = 0;
  while (at < size) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = size;
    const std::size_t comment = std::string_view(begin + at, end - at).find('#');
    const std::size_t stop = comment == std::string_view::npos ? end : at + comment;
    std::string_view type;
    for (std::size_t i = at; i < stop;) {
      while (i < stop && Blank(begin[i])) ++i;
      const std::size_t start = i;
      while (i < stop && !Blank(begin[i])) ++i;
      if (start == i) break;
      if (type.empty()) {
        type = std::string_view(begin + start, i - start);
        continue;
      }
      for (std::size_t k = start; k < i; ++k)
        if (begin[k] >= 'A' && begin[k] <= 'Z') begin[k] = static_cast<char>(begin[k] - 'A' + 'a');
      types.emplace(std::string_view(begin + start, i - start), type);
    }
    at = end + 1;
  }
  return types;
}

std::optional<std::string> LookupMimeType(std::string_view ext) {
  const Database& database = TheDatabase();
  auto it = database.types.find(Fold(ext));
  if (it == database.types.end()) return std::nullopt;
  return std::string(it->second);
}

}  // namespace plat::registry::detail
