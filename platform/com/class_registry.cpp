// The registry keys of a control class and the lookups a host makes through them.
#include "platform/com/class_registry.h"

#include <vector>

#include "platform/com/registry_access.h"
#include "platform/kernel/error.h"
#include "platform/text/text.h"

namespace plat::com {

namespace {

std::string ClassKey(const CLSID& clsid) { return "CLSID\\" + FormatGuid(clsid); }

// The subkeys RegisterControlClass owns, removed again on unregistration.
constexpr const char* kOwnedSubkeys[] = {"ProgID", "InprocServer32", "ToolboxBitmap32", "MiscStatus",
                                         "TypeLib", "Version", "Control", "Insertable"};

}  // namespace

HRESULT RegisterControlClass(const ControlClassInfo& info) {
  bool lossless = true;
  const std::string path = plat::text::Utf8ToCp949(info.modulePath, &lossless);
  if (!lossless) return HResultFromWin32(plat::kernel::ERROR_NO_UNICODE_TRANSLATION);
  const std::string key = ClassKey(info.clsid);
  struct Entry { std::string key, name, value; };
  const std::vector<Entry> entries = {
      {key, "", info.userTypeName},
      {key + "\\ProgID", "", info.progId},
      {key + "\\InprocServer32", "", path},
      {key + "\\InprocServer32", "ThreadingModel", info.threadingModel},
      {key + "\\ToolboxBitmap32", "", path + ", " + std::to_string(info.toolboxBitmapId)},
      {key + "\\MiscStatus", "", "0"},
      {key + "\\MiscStatus\\1", "", std::to_string(info.miscStatus)},
      {key + "\\TypeLib", "", FormatGuid(info.typeLib)},
      {key + "\\Version", "", std::to_string(info.typeLibMajor) + "." + std::to_string(info.typeLibMinor)},
      {info.progId, "", info.userTypeName},
      {info.progId + "\\CLSID", "", FormatGuid(info.clsid)},
  };
  for (const auto& e : entries) {
    HRESULT hr = detail::SetClassesText(e.key, e.name, e.value);
    if (FAILED(hr)) return hr;
  }
  HRESULT hr = detail::CreateClassesKey(key + "\\Control");
  if (SUCCEEDED(hr)) hr = info.insertable ? detail::CreateClassesKey(key + "\\Insertable")
                                          : detail::DeleteClassesTree(key + "\\Insertable");
  return FAILED(hr) ? hr : S_OK;
}

HRESULT UnregisterControlClass(const CLSID& clsid, std::string_view progId) {
  const std::string key = ClassKey(clsid);
  for (const char* sub : kOwnedSubkeys) {
    HRESULT hr = detail::DeleteClassesTree(key + "\\" + sub);
    if (FAILED(hr)) return hr;
  }
  if (!progId.empty()) {
    HRESULT hr = detail::DeleteClassesTree(std::string(progId));
    if (FAILED(hr)) return hr;
  }
  if (detail::Subkeys(key).empty()) {
    HRESULT hr = detail::DeleteClassesTree(key);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
  if (!clsid) return E_POINTER;
  if (progId.empty()) return CO_E_CLASSSTRING;
  auto text = detail::GetClassesText(std::string(progId) + "\\CLSID", "");
  auto guid = text ? ParseGuid(*text) : std::nullopt;
  if (!guid) return CO_E_CLASSSTRING;
  *clsid = *guid;
  return S_OK;
}

HRESULT GetInprocServerPath(const CLSID& clsid, std::string* path) {
  if (!path) return E_POINTER;
  auto stored = detail::GetClassesText(ClassKey(clsid) + "\\InprocServer32", "");
  if (!stored || stored->empty()) return REGDB_E_CLASSNOTREG;
  *path = plat::text::Cp949ToUtf8(*stored);
  return S_OK;
}

}  // namespace plat::com
