// Reading, writing, deleting and listing the values of a key.
#include <cstring>
#include <map>

#include "platform/kernel/error.h"
#include "platform/registry/open_keys.h"
#include "platform/registry/registry.h"
#include "platform/registry/store.h"
#include "platform/text/text.h"

namespace plat::registry {

using namespace plat::kernel;
using detail::Json;
using detail::KeyPath;
using detail::OpenKey;

namespace {

constexpr const char* kHex = "0123456789abcdef";
constexpr const char* kContentType = "Content Type";

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The stored record of a value written with these bytes.
LONG MakeRecord(const std::string& utf8Name, DWORD type, const BYTE* data, DWORD size, Json& record) {
  const char* bytes = reinterpret_cast<const char*>(data);
  Json stored;
  if (IsText(type)) {
    std::string text(bytes, strnlen(bytes, size));
    bool lossless = true;
    stored = text::Cp949ToUtf8(text, &lossless);
    if (!lossless) return ERROR_NO_UNICODE_TRANSLATION;
  } else if (type == REG_DWORD) {
    if (size != 4) return ERROR_INVALID_PARAMETER;
    DWORD number = 0;
    std::memcpy(&number, data, 4);
    stored = number;
  } else {
    std::string hex;
    for (DWORD i = 0; i < size; ++i) {
      hex += kHex[data[i] >> 4];
      hex += kHex[data[i] & 0xF];
    }
    stored = hex;
  }
  record = Json{{"name", utf8Name}, {"type", type}, {"data", std::move(stored)}};
  return ERROR_SUCCESS;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

// The bytes a reader gets for a stored record: CP949 text with its terminator, a little-endian
// number, or the stored bytes.
std::string RecordBytes(const Json& record) {
  DWORD type = record.at("type").get<DWORD>();
  const Json& data = record.at("data");
  if (data.is_number()) {
    DWORD number = data.get<DWORD>();
    return std::string(reinterpret_cast<const char*>(&number), 4);
  }
  const std::string& stored = data.get_ref<const std::string&>();
  if (IsText(type)) return text::Utf8ToCp949(stored) + '\0';
  std::string bytes;
  for (std::size_t i = 0; i + 1 < stored.size(); i += 2)
    bytes += static_cast<char>((HexDigit(stored[i]) << 4) | HexDigit(stored[i + 1]));
  return bytes;
}

// Hands a value's type and bytes to the caller's buffers as the query calls do.
LONG Deliver(const Json& record, DWORD* type, BYTE* data, DWORD* cbData) {
  std::string bytes = RecordBytes(record);
  DWORD size = static_cast<DWORD>(bytes.size());
  if (type != nullptr) *type = record.at("type").get<DWORD>();
  if (data != nullptr) {
    if (*cbData < size) {
      *cbData = size;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, bytes.data(), size);
  }
  if (cbData != nullptr) *cbData = size;
  return ERROR_SUCCESS;
}

// Every value of a key as a reader sees it: the stored ones, and "Content Type" from the MIME
// database for an extension key that does not store one. Ordered by folded name.
LONG VisibleValues(const OpenKey& open, std::map<std::string, Json>& values) {
  std::shared_ptr<const Json> tree;
  if (LONG r = detail::ReadTree(tree); r != ERROR_SUCCESS) return r;
  if (LONG r = detail::CheckStillThere(*tree, open.path); r != ERROR_SUCCESS) return r;
  if (const Json* node = detail::FindKey(*tree, open.path))
    for (const auto& [folded, record] : node->at("values").items()) values.emplace(folded, record);
  std::string folded = detail::Fold(kContentType);
  if (!values.contains(folded))
    if (auto mime = detail::MimeContentType(open.path))
      values.emplace(folded, Json{{"name", kContentType}, {"type", REG_SZ}, {"data", *mime}});
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData) {
  if (reserved != nullptr || (data != nullptr && cbData == nullptr)) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  if (LONG r = detail::ResolveKey(key, open); r != ERROR_SUCCESS) return r;
  if (!detail::Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::string name;
  if (LONG r = detail::NameToUtf8(valueName, name); r != ERROR_SUCCESS) return r;
  std::map<std::string, Json> values;
  if (LONG r = VisibleValues(open, values); r != ERROR_SUCCESS) return r;
  auto it = values.find(detail::Fold(name));
  if (it == values.end()) return ERROR_FILE_NOT_FOUND;
  return Deliver(it->second, type, data, cbData);
}

LONG RegSetValueExA(HKEY key, const char* valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                    DWORD cbData) {
  if (data == nullptr && cbData > 0) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  if (LONG r = detail::ResolveKey(key, open); r != ERROR_SUCCESS) return r;
  if (!detail::Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string name;
  if (LONG r = detail::NameToUtf8(valueName, name); r != ERROR_SUCCESS) return r;
  static const BYTE kNothing[1] = {0};
  Json record;
  if (LONG r = MakeRecord(name, type, data ? data : kNothing, cbData, record); r != ERROR_SUCCESS) return r;
  return detail::UpdateTree([&](Json& tree, bool& modified) {
    if (LONG there = detail::CheckStillThere(tree, open.path); there != ERROR_SUCCESS) return there;
    bool created = false;  // a key answered by the MIME database enters the store with its first value
    Json& node = detail::CreateKey(tree, open.path, &created);
    node["values"][detail::Fold(name)] = record;
    modified = true;
    return static_cast<LONG>(ERROR_SUCCESS);
  });
}

LONG RegDeleteValueA(HKEY key, const char* valueName) {
  OpenKey open;
  if (LONG r = detail::ResolveKey(key, open); r != ERROR_SUCCESS) return r;
  if (!detail::Allows(open, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  std::string name;
  if (LONG r = detail::NameToUtf8(valueName, name); r != ERROR_SUCCESS) return r;
  return detail::UpdateTree([&](Json& tree, bool& modified) {
    if (LONG there = detail::CheckStillThere(tree, open.path); there != ERROR_SUCCESS) return there;
    Json* node = detail::FindKey(tree, open.path);
    if (node == nullptr || (*node)["values"].erase(detail::Fold(name)) == 0)
      return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    modified = true;
    return static_cast<LONG>(ERROR_SUCCESS);
  });
}

LONG RegEnumValueA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* reserved, DWORD* type, BYTE* data,
                   DWORD* cbData) {
  if (reserved != nullptr || (data != nullptr && cbData == nullptr)) return ERROR_INVALID_PARAMETER;
  OpenKey open;
  if (LONG r = detail::ResolveKey(key, open); r != ERROR_SUCCESS) return r;
  if (!detail::Allows(open, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  std::map<std::string, Json> values;
  if (LONG r = VisibleValues(open, values); r != ERROR_SUCCESS) return r;
  if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
  auto it = values.begin();
  std::advance(it, index);
  if (LONG r = detail::CopyName(it->second.at("name").get<std::string>(), name, cchName); r != ERROR_SUCCESS)
    return r;
  return Deliver(it->second, type, data, cbData);
}

}  // namespace plat::registry
