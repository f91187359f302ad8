// A path's system icon index: its kind judged by name through the extension's MIME type.
#include "platform/shell/system_icons.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"
#include "platform/shell/icon_pictures.h"
#include "platform/text/text.h"

namespace plat::shell {
namespace {

constexpr UINT kKnownFlags = SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool OneOf(std::string_view s, std::initializer_list<std::string_view> set) {
  return std::find(set.begin(), set.end(), s) != set.end();
}

// The office families, each with the older, the Office Open and the OpenDocument types.
bool IsWordProcessor(std::string_view t) {
  return OneOf(t, {"application/msword", "application/rtf", "text/rtf", "application/x-hwp",
                   "application/vnd.hancom.hwp", "application/haansofthwp", "application/x-hwpx"}) ||
         StartsWith(t, "application/vnd.openxmlformats-officedocument.wordprocessingml") ||
         StartsWith(t, "application/vnd.oasis.opendocument.text") || StartsWith(t, "application/vnd.ms-word");
}

bool IsSpreadsheet(std::string_view t) {
  return t == "text/csv" || StartsWith(t, "application/vnd.ms-excel") ||
         StartsWith(t, "application/vnd.openxmlformats-officedocument.spreadsheetml") ||
         StartsWith(t, "application/vnd.oasis.opendocument.spreadsheet");
}

bool IsPresentation(std::string_view t) {
  return StartsWith(t, "application/vnd.ms-powerpoint") ||
         StartsWith(t, "application/vnd.openxmlformats-officedocument.presentationml") ||
         StartsWith(t, "application/vnd.oasis.opendocument.presentation");
}

bool IsArchive(std::string_view t) {
  return OneOf(t, {"application/zip", "application/x-zip-compressed", "application/gzip", "application/x-gzip",
                   "application/x-tar", "application/x-gtar", "application/x-gtar-compressed",
                   "application/x-7z-compressed", "application/vnd.rar", "application/x-rar-compressed",
                   "application/x-bzip", "application/x-bzip2", "application/x-xz", "application/zstd",
                   "application/x-lzh", "application/x-lha", "application/x-lzh-compressed", "application/x-compress",
                   "application/x-cpio", "application/java-archive", "application/vnd.debian.binary-package",
                   "application/x-iso9660-image", "application/x-apple-diskimage", "application/x-alz"});
}

bool IsProgram(std::string_view t) {
  return OneOf(t, {"application/x-msdos-program", "application/x-msdownload", "application/x-msi",
                   "application/x-ms-installer", "application/x-executable", "application/x-sh", "text/x-sh",
                   "application/x-bat", "application/vnd.microsoft.portable-executable",
                   "application/vnd.android.package-archive", "application/x-ms-dos-executable"});
}

// The picture for a MIME type (already in lower case).
SystemIcon IconForContentType(std::string_view t) {
  if (t == "application/pdf") return kIconPdf;
  if (IsWordProcessor(t)) return kIconWordDocument;
  if (IsSpreadsheet(t)) return kIconSpreadsheet;
  if (IsPresentation(t)) return kIconPresentation;
  if (IsArchive(t)) return kIconArchive;
  if (IsProgram(t)) return kIconProgram;
  if (t == "text/html" || t == "application/xhtml+xml") return kIconWeb;
  if (StartsWith(t, "image/")) return kIconImage;
  if (StartsWith(t, "audio/")) return kIconAudio;
  if (StartsWith(t, "video/")) return kIconVideo;
  if (StartsWith(t, "text/") || OneOf(t, {"application/json", "application/xml", "application/javascript"}))
    return kIconText;
  return kIconDocument;
}

// "Content Type" of HKEY_CLASSES_ROOT\<ext>, read into 512 bytes; empty when there is none.
std::string ContentTypeOf(const std::string& ext) {
  registry::HKEY key = nullptr;
  if (registry::RegOpenKeyExA(registry::HKEY_CLASSES_ROOT, ext.c_str(), 0, registry::KEY_QUERY_VALUE, &key) != 0)
    return {};
  std::array<char, 512> buffer{};
  DWORD size = buffer.size();
  DWORD type = 0;
  LONG read = registry::RegQueryValueExA(key, "Content Type", nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                         &size);
  registry::RegCloseKey(key);
  if (read != 0 || (type != registry::REG_SZ && type != registry::REG_EXPAND_SZ)) return {};
  buffer.back() = '\0';
  std::string contentType(buffer.data());
  std::transform(contentType.begin(), contentType.end(), contentType.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return contentType;
}

// The picture for a file judged by its name (the text after the last separator).
SystemIcon IconForName(std::string_view path) {
  std::size_t slash = text::ReverseFindAny(path, "\\/");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::size_t dot = text::ReverseFindChar(name, '.');
  if (dot == std::string_view::npos || dot + 1 == name.size()) return kIconDocument;
  std::string contentType = ContentTypeOf(std::string(name.substr(dot)));
  return contentType.empty() ? kIconDocument : IconForContentType(contentType);
}

// "C:", "C:\" or "C:/".
bool IsDriveRoot(std::string_view path) {
  bool letter = path.size() >= 2 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return letter && path[1] == ':' && (path.size() == 2 || (path.size() == 3 && (path[2] == '\\' || path[2] == '/')));
}

// The picture for a path as it stands on disk; false when there is nothing there.
bool IconOnDisk(std::string_view path, SystemIcon* icon) {
  bool lossless = false;
  std::string utf8 = text::Cp949ToUtf8(path, &lossless);
  struct stat st {};
  if (!lossless || utf8.empty() || stat(utf8.c_str(), &st) != 0) return false;
  *icon = S_ISDIR(st.st_mode) ? kIconFolder : IconForName(path);
  return true;
}

}  // namespace

gdi::CImageList* GetSystemSmallIconList() {
  // Made once and never destroyed while the process runs: every list view borrows it.
  static const std::unique_ptr<gdi::CImageList> list = detail::DrawSystemIcons();
  return list.get();
}

DWORD_PTR SHGetFileInfoA(const char* path, DWORD attributes, SHFILEINFOA* info, UINT cbInfo, UINT flags) {
  if (path == nullptr || info == nullptr || cbInfo < sizeof(SHFILEINFOA)) return 0;
  if ((flags & SHGFI_SYSICONINDEX) == 0 || (flags & ~kKnownFlags) != 0) return 0;
  std::string_view p(path);
  SystemIcon icon = kIconDocument;
  if (IsDriveRoot(p)) {
    icon = kIconDrive;
  } else if (flags & SHGFI_USEFILEATTRIBUTES) {
    icon = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? kIconFolder : IconForName(p);
  } else if (!IconOnDisk(p, &icon)) {
    return 0;
  }
  info->iIcon = icon;
  return reinterpret_cast<DWORD_PTR>(GetSystemSmallIconList());
}

}  // namespace plat::shell
