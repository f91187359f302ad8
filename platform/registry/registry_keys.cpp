// Opening, creating, deleting, listing and closing keys.
#include <cstring>

#include "platform/kernel/error.h"
#include "platform/registry/open_keys.h"
#include "platform/registry/registry.h"
#include "platform/registry/store.h"

namespace plat::registry {

using namespace plat::kernel;
using detail::Json;
using detail::KeyPath;
using detail::OpenKey;

namespace {

// The key named by `subKey` under an open handle, with the handle's own key.
LONG Locate(HKEY key, const char* subKey, OpenKey& base, KeyPath& path) {
  if (LONG r = detail::ResolveKey(key, base); r != ERROR_SUCCESS) return r;
  return detail::ExtendPath(base.path, subKey, path);
}

// Removes the last key of `path` from its parent; `onlyLeaf` refuses a key that has subkeys.
LONG RemoveKey(Json& tree, const KeyPath& path, bool onlyLeaf, bool& modified) {
  KeyPath parentPath(path.begin(), path.end() - 1);
  Json* parent = detail::FindKey(tree, parentPath);
  if (parent == nullptr) return ERROR_FILE_NOT_FOUND;
  Json& keys = (*parent)["keys"];
  auto child = keys.find(detail::Fold(path.back()));
  if (child == keys.end()) return ERROR_FILE_NOT_FOUND;
  if (onlyLeaf && !(*child)["keys"].empty()) return ERROR_ACCESS_DENIED;
  keys.erase(child);
  modified = true;
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM sam, HKEY* result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey base;
  KeyPath path;
  if (LONG r = Locate(key, subKey, base, path); r != ERROR_SUCCESS) return r;
  std::shared_ptr<const Json> tree;
  if (LONG r = detail::ReadTree(tree); r != ERROR_SUCCESS) return r;
  if (LONG r = detail::CheckStillThere(*tree, base.path); r != ERROR_SUCCESS) return r;
  if (!detail::KeyExists(*tree, path)) return ERROR_FILE_NOT_FOUND;
  *result = detail::AddOpenKey({std::move(path), sam});
  return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, char* /*keyClass*/, DWORD /*options*/,
                     REGSAM sam, void* /*security*/, HKEY* result, DWORD* disposition) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  OpenKey base;
  KeyPath path;
  if (LONG r = Locate(key, subKey, base, path); r != ERROR_SUCCESS) return r;
  bool created = false;
  LONG r = detail::UpdateTree([&](Json& tree, bool& modified) {
    if (LONG there = detail::CheckStillThere(tree, base.path); there != ERROR_SUCCESS) return there;
    if (detail::FindKey(tree, path) != nullptr) return static_cast<LONG>(ERROR_SUCCESS);
    if (!detail::Allows(base, KEY_CREATE_SUB_KEY)) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    detail::CreateKey(tree, path, &created);
    modified = created;
    return static_cast<LONG>(ERROR_SUCCESS);
  });
  if (r != ERROR_SUCCESS) return r;
  if (disposition != nullptr) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = detail::AddOpenKey({std::move(path), sam});
  return ERROR_SUCCESS;
}

LONG RegDeleteKeyA(HKEY key, const char* subKey) {
  if (subKey == nullptr || *subKey == '\0') return ERROR_INVALID_PARAMETER;
  OpenKey base;
  KeyPath path;
  if (LONG r = Locate(key, subKey, base, path); r != ERROR_SUCCESS) return r;
  return detail::UpdateTree([&](Json& tree, bool& modified) {
    if (LONG there = detail::CheckStillThere(tree, base.path); there != ERROR_SUCCESS) return there;
    return RemoveKey(tree, path, true, modified);
  });
}

LONG RegDeleteTreeA(HKEY key, const char* subKey) {
  OpenKey base;
  KeyPath path;
  if (LONG r = Locate(key, subKey, base, path); r != ERROR_SUCCESS) return r;
  return detail::UpdateTree([&](Json& tree, bool& modified) {
    if (LONG there = detail::CheckStillThere(tree, base.path); there != ERROR_SUCCESS) return there;
    if (path.size() > base.path.size()) return RemoveKey(tree, path, false, modified);
    Json* node = detail::FindKey(tree, path);
    if (node == nullptr) return static_cast<LONG>(ERROR_SUCCESS);  // answered by the MIME database only
    modified = !(*node)["keys"].empty() || !(*node)["values"].empty();
    (*node)["keys"] = Json::object();
    (*node)["values"] = Json::object();
    return static_cast<LONG>(ERROR_SUCCESS);
  });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* cchName, DWORD* /*reserved*/, char* keyClass,
                   DWORD* cchClass, void* /*lastWriteTime*/) {
  OpenKey open;
  if (LONG r = detail::ResolveKey(key, open); r != ERROR_SUCCESS) return r;
  if (!detail::Allows(open, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  std::shared_ptr<const Json> tree;
  if (LONG r = detail::ReadTree(tree); r != ERROR_SUCCESS) return r;
  if (LONG r = detail::CheckStillThere(*tree, open.path); r != ERROR_SUCCESS) return r;
  const Json* node = detail::FindKey(*tree, open.path);
  if (node == nullptr || index >= node->at("keys").size()) return ERROR_NO_MORE_ITEMS;
  auto child = node->at("keys").begin();
  std::advance(child, index);
  if (LONG r = detail::CopyName(child->at("name").get<std::string>(), name, cchName); r != ERROR_SUCCESS) return r;
  if (keyClass != nullptr && cchClass != nullptr && *cchClass > 0) {
    keyClass[0] = '\0';
    *cchClass = 0;
  }
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
  return detail::CloseOpenKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

std::string RegistryStorePath() { return detail::StorePath(); }

}  // namespace plat::registry
