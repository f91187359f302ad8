// The table of open key handles, name conversion at the edge, and the MIME-answered keys.
#include "platform/registry/open_keys.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/kernel/error.h"
#include "platform/registry/mime_types.h"
#include "platform/text/text.h"

namespace plat::registry::detail {
namespace {

using plat::kernel::ERROR_INVALID_HANDLE;
using plat::kernel::ERROR_INVALID_PARAMETER;
using plat::kernel::ERROR_NO_UNICODE_TRANSLATION;
using plat::kernel::ERROR_SUCCESS;

struct Table {
  std::mutex mutex;
  std::uintptr_t next = 0x1000;  // far below the predefined keys
  std::unordered_map<std::uintptr_t, OpenKey> keys;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

LONG ResolveKey(HKEY key, OpenKey& out) {
  if (key == HKEY_CLASSES_ROOT) {
    out = OpenKey{{}, KEY_ALL_ACCESS};
    return ERROR_SUCCESS;
  }
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(key));
  if (it == t.keys.end()) return ERROR_INVALID_HANDLE;
  out = it->second;
  return ERROR_SUCCESS;
}

HKEY AddOpenKey(OpenKey key) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  std::uintptr_t value = t.next;
  t.next += 4;
  t.keys.emplace(value, std::move(key));
  return reinterpret_cast<HKEY>(value);
}

bool CloseOpenKey(HKEY key) {
  Table& t = TheTable();
  std::lock_guard lock(t.mutex);
  return t.keys.erase(reinterpret_cast<std::uintptr_t>(key)) == 1;
}

LONG NameToUtf8(const char* cp949, std::string& utf8) {
  if (cp949 == nullptr) {
    utf8.clear();
    return ERROR_SUCCESS;
  }
  bool lossless = true;
  utf8 = text::Cp949ToUtf8(cp949, &lossless);
  return lossless ? ERROR_SUCCESS : ERROR_NO_UNICODE_TRANSLATION;
}

LONG ExtendPath(const KeyPath& base, const char* subKey, KeyPath& out) {
  std::string utf8;
  if (LONG r = NameToUtf8(subKey, utf8); r != ERROR_SUCCESS) return r;
  out = base;
  return AppendPath(utf8, out) ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

std::optional<std::string> MimeContentType(const KeyPath& path) {
  if (path.size() != 1 || path[0].size() < 2 || path[0][0] != '.') return std::nullopt;
  return LookupMimeType(std::string_view(path[0]).substr(1));
}

bool KeyExists(const Json& tree, const KeyPath& path) {
  return FindKey(tree, path) != nullptr || MimeContentType(path).has_value();
}

}  // namespace plat::registry::detail

namespace plat::registry::detail {

LONG CheckStillThere(const Json& tree, const KeyPath& path) {
  return KeyExists(tree, path) ? ERROR_SUCCESS : plat::kernel::ERROR_KEY_DELETED;
}

LONG CopyName(const std::string& utf8, char* buffer, DWORD* size) {
  if (buffer == nullptr || size == nullptr) return ERROR_INVALID_PARAMETER;
  std::string cp949 = text::Utf8ToCp949(utf8);
  if (cp949.size() + 1 > *size) return plat::kernel::ERROR_MORE_DATA;
  std::memcpy(buffer, cp949.c_str(), cp949.size() + 1);
  *size = static_cast<DWORD>(cp949.size());
  return ERROR_SUCCESS;
}

}  // namespace plat::registry::detail
