// The system's MIME database: content types by file extension (internal to the registry).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plat::registry::detail {

// The content type of the extension `ext` (without its dot, compared without ASCII letter case)
// from /etc/mime.types, read once per process; nothing when the database has no such extension or
// cannot be read. When an extension is listed twice the first line wins.
std::optional<std::string> LookupMimeType(std::string_view ext);

}  // namespace plat::registry::detail
