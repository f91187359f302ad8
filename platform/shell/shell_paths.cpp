// File system paths (UTF-8) as the control's CP949 texts, and the shell's messages naming them.
#include "platform/shell/shell_paths.h"

#include <filesystem>
#include <system_error>

#include "platform/text/text.h"
#include "platform/win/backend.h"

namespace plat::shell::detail {

std::optional<std::string> PathToCp949(const std::string& utf8Path) {
  if (utf8Path.empty()) return std::nullopt;
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(utf8Path), error);
  if (error) return std::nullopt;
  std::string full = absolute.string();
  bool lossless = false;
  std::string cp949 = text::Utf8ToCp949(full, &lossless);
  // The way back must give the same bytes, or the control would open another file than was named.
  bool back = false;
  if (!lossless || text::Cp949ToUtf8(cp949, &back) != full || !back) return std::nullopt;
  return cp949;
}

void ShowPathMessage(win::HWND owner, const std::string& utf8Path, const char* what, const std::string& caption) {
  std::string message = text::Utf8ToCp949(utf8Path) + "\r\n" + text::Ansi(what);
  win::MessageBoxA(owner, message.c_str(), caption.c_str(), win::MB_OK | win::MB_ICONEXCLAMATION);
}

}  // namespace plat::shell::detail
