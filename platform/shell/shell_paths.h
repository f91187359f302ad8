// File system paths (UTF-8) as the control's CP949 texts (internal to the shell layer).
#pragma once

#include <optional>
#include <string>

#include "platform/base/types.h"
#include "platform/win/winuser.h"

namespace plat::shell::detail {

// `utf8Path` made absolute against the current folder and turned into CP949; nothing when CP949
// cannot name it exactly (a character outside the code page, or bytes that are not UTF-8), since a
// path with '?' in place of those characters would name another file or none. Empty paths too.
std::optional<std::string> PathToCp949(const std::string& utf8Path);

// Shows the shell's message box about `utf8Path` (named as well as CP949 can show it, '?' for the
// rest): the path's line, then `what` (a UTF-8 literal), under `caption` (CP949).
void ShowPathMessage(win::HWND owner, const std::string& utf8Path, const char* what, const std::string& caption);

}  // namespace plat::shell::detail
