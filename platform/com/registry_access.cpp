// Registry steps for registration, over the platform's registry calls.
#include "platform/com/registry_access.h"

#include <vector>

#include "platform/com/hresult.h"
#include "platform/kernel/error.h"
#include "platform/registry/registry.h"

namespace plat::com::detail {

namespace reg = plat::registry;
using plat::kernel::ERROR_FILE_NOT_FOUND;
using plat::kernel::ERROR_MORE_DATA;
using plat::kernel::ERROR_SUCCESS;

namespace {

// An open key that closes itself.
class Key {
 public:
  ~Key() {
    if (key_) reg::RegCloseKey(key_);
  }
  LONG Create(const std::string& path) {
    return reg::RegCreateKeyExA(reg::HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, reg::REG_OPTION_NON_VOLATILE,
                                reg::KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  LONG Open(const std::string& path, reg::REGSAM sam) {
    return reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, path.c_str(), 0, sam, &key_);
  }
  reg::HKEY get() const { return key_; }

 private:
  reg::HKEY key_ = nullptr;
};

}  // namespace

HRESULT SetClassesText(const std::string& path, const std::string& name, const std::string& value) {
  Key key;
  LONG err = key.Create(path);
  if (err == ERROR_SUCCESS)
    err = reg::RegSetValueExA(key.get(), name.c_str(), 0, reg::REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>(value.size() + 1));
  return HResultFromWin32(static_cast<DWORD>(err));
}

HRESULT CreateClassesKey(const std::string& path) {
  Key key;
  return HResultFromWin32(static_cast<DWORD>(key.Create(path)));
}

std::optional<std::string> GetClassesText(const std::string& path, const std::string& name) {
  Key key;
  if (key.Open(path, reg::KEY_QUERY_VALUE) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  if (reg::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  if (type != reg::REG_SZ && type != reg::REG_EXPAND_SZ) return std::nullopt;
  std::vector<BYTE> buffer(size + 1, 0);
  if (reg::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::string(reinterpret_cast<const char*>(buffer.data()));
}

HRESULT DeleteClassesTree(const std::string& path) {
  LONG err = reg::RegDeleteTreeA(reg::HKEY_CLASSES_ROOT, path.c_str());
  if (err == ERROR_FILE_NOT_FOUND) return S_FALSE;
  return HResultFromWin32(static_cast<DWORD>(err));
}

std::vector<std::string> Subkeys(const std::string& path) {
  std::vector<std::string> names;
  Key key;
  if (key.Open(path, reg::KEY_READ) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD size = sizeof name;
    if (reg::RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  return names;
}

}  // namespace plat::com::detail
