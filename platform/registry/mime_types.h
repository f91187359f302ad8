// The system's MIME database: content types by file extension (internal to the registry).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace plat::registry::detail {

// The content type of the extension `ext` (without its dot, compared without ASCII letter case)
// from /etc/mime.types, read once per process; nothing when the database has no such extension or
// cannot be read. When an extension is listed twice the first line wins.
std::optional<std::string> LookupMimeType(std::string_view ext);

// The table of a database's text: lines of "type ext ext ..." separated by blanks, '#' starting a
// comment; the first line of an extension wins. The extensions are folded to lower case in place
// and the table's words point into `text`, which must outlive it.
std::unordered_map<std::string_view, std::string_view> ParseMimeTypes(std::string& text);

}  // namespace plat::registry::detail
