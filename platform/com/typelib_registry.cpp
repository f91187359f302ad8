// Type library registration: the TypeLib and Interface keys, and reading a registered library back.
#include "platform/com/typelib_registry.h"

#include <cstdio>
#include <cstdlib>

#include "platform/com/registry_access.h"
#include "platform/kernel/error.h"
#include "platform/text/text.h"

namespace plat::com {

namespace {

constexpr CLSID kDispatchMarshaler = MakeGuid("{00020420-0000-0000-C000-000000000046}");
constexpr const char* kDescription = "Description";
constexpr const char* kPlatformKey = "linux";

std::string Hex(unsigned v) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%x", v);
  return buffer;
}

std::string VersionKey(const GUID& libid, WORD major, WORD minor) {
  return "TypeLib\\" + FormatGuid(libid) + "\\" + Hex(major) + "." + Hex(minor);
}

// The locale subkey a library was registered under, answering `lcid` (0: whichever there is).
std::optional<std::string> LocaleKey(const std::string& versionKey, LCID lcid) {
  for (const auto& name : detail::Subkeys(versionKey)) {
    if (name == "FLAGS" || name == "HELPDIR") continue;
    if (lcid == 0 || name == Hex(lcid)) return versionKey + "\\" + name;
  }
  return std::nullopt;
}

std::string Folder(const std::string& path) {
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Writes every key of the registration; the first failure stops it.
HRESULT WriteKeys(const TypeLibrary& lib, const std::string& path) {
  const std::string ver = VersionKey(lib.libid, lib.majorVersion, lib.minorVersion);
  const std::string version = Hex(lib.majorVersion) + "." + Hex(lib.minorVersion);
  struct Entry { std::string key, name, value; };
  std::vector<Entry> entries = {
      {ver, "", lib.helpString},
      {ver, kDescription, ToJson(lib)},
      {ver + "\\FLAGS", "", lib.control ? "2" : "0"},
      {ver + "\\HELPDIR", "", Folder(path)},
      {ver + "\\" + Hex(lib.lcid) + "\\" + kPlatformKey, "", path},
  };
  for (const auto& itf : lib.interfaces) {
    const std::string key = "Interface\\" + FormatGuid(itf.iid);
    entries.push_back({key, "", itf.name});
    entries.push_back({key + "\\TypeLib", "", FormatGuid(lib.libid)});
    entries.push_back({key + "\\TypeLib", "Version", version});
    entries.push_back({key + "\\ProxyStubClsid32", "", FormatGuid(kDispatchMarshaler)});
  }
  for (const auto& e : entries) {
    HRESULT hr = detail::SetClassesText(e.key, e.name, e.value);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT RegisterTypeLib(const TypeLibrary& lib, const std::string& modulePath) {
  // Paths are UTF-8 on this system and registry texts CP949: refuse a path that would not come back.
  bool lossless = true;
  std::string path = plat::text::Utf8ToCp949(modulePath, &lossless);
  if (!lossless) return HResultFromWin32(plat::kernel::ERROR_NO_UNICODE_TRANSLATION);
  HRESULT hr = detail::DeleteClassesTree(VersionKey(lib.libid, lib.majorVersion, lib.minorVersion));
  if (FAILED(hr)) return hr;
  return WriteKeys(lib, path);
}

HRESULT UnRegisterTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid) {
  const std::string ver = VersionKey(libid, major, minor);
  if (!LocaleKey(ver, lcid)) return TYPE_E_REGISTRYACCESS;
  TypeLibrary lib;
  if (auto json = detail::GetClassesText(ver, kDescription); json && SUCCEEDED(FromJson(*json, &lib))) {
    for (const auto& itf : lib.interfaces) {
      // Only the keys that still name this library: another library may have taken the id since.
      const std::string key = "Interface\\" + FormatGuid(itf.iid);
      if (detail::GetClassesText(key + "\\TypeLib", "") == FormatGuid(libid)) {
        HRESULT hr = detail::DeleteClassesTree(key);
        if (FAILED(hr)) return hr;
      }
    }
  }
  HRESULT hr = detail::DeleteClassesTree(ver);
  if (FAILED(hr)) return hr;
  const std::string libKey = "TypeLib\\" + FormatGuid(libid);
  if (detail::Subkeys(libKey).empty()) hr = detail::DeleteClassesTree(libKey);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT LoadRegTypeLib(const GUID& libid, WORD major, WORD minor, TypeLibrary* library) {
  if (!library) return E_POINTER;
  auto json = detail::GetClassesText(VersionKey(libid, major, minor), kDescription);
  if (!json) return TYPE_E_LIBNOTREGISTERED;
  return FromJson(*json, library);
}

HRESULT QueryPathOfRegTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid, std::string* path) {
  if (!path) return E_POINTER;
  auto locale = LocaleKey(VersionKey(libid, major, minor), lcid);
  if (!locale) return TYPE_E_LIBNOTREGISTERED;
  auto stored = detail::GetClassesText(*locale + "\\" + kPlatformKey, "");
  if (!stored) return TYPE_E_LIBNOTREGISTERED;
  *path = plat::text::Cp949ToUtf8(*stored);
  return S_OK;
}

std::vector<RegTypeLibEntry> ListRegTypeLibs() {
  std::vector<RegTypeLibEntry> found;
  for (const auto& libName : detail::Subkeys("TypeLib")) {
    auto libid = ParseGuid(libName);
    if (!libid) continue;
    for (const auto& version : detail::Subkeys("TypeLib\\" + libName)) {
      unsigned major = 0, minor = 0;
      char tail = 0;
      if (std::sscanf(version.c_str(), "%x.%x%c", &major, &minor, &tail) != 2 || major > 0xFFFF || minor > 0xFFFF)
        continue;
      RegTypeLibEntry entry{*libid, static_cast<WORD>(major), static_cast<WORD>(minor), 0, {}};
      auto locale = LocaleKey(VersionKey(*libid, entry.major, entry.minor), 0);
      if (!locale || FAILED(QueryPathOfRegTypeLib(*libid, entry.major, entry.minor, 0, &entry.path))) continue;
      entry.lcid = static_cast<LCID>(std::strtoul(locale->substr(locale->rfind('\\') + 1).c_str(), nullptr, 16));
      found.push_back(std::move(entry));
    }
  }
  return found;
}

}  // namespace plat::com
