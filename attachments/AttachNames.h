// The names the attachment manager derives from a path: the shown name, the extension, and the
// search for a folder name inside a path, all walking whole CP949 characters.
#pragma once

#include <string>
#include <string_view>

namespace drev {

// The text after the last path separator ("\" or "/"), or the whole path when it has none. The
// second byte of a double-byte character is never taken for a separator.
std::string AttachNameOfPath(std::string_view path);

// The tail of `name` from its last "." on, dot included; the whole name when it holds no dot (a
// trail byte that reads as "." does not count).
std::string AttachExtensionOf(std::string_view name);

// Whether `text` occurs in `path` starting at a character boundary, letter case exact (so a match
// never begins in the middle of a double-byte character).
bool PathContains(std::string_view path, std::string_view text);

}  // namespace drev
