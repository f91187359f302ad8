// Registering a type library description in the registry store, and reading it back.
#pragma once

#include <string>
#include <vector>

#include "platform/com/typelib.h"

namespace plat::com {

// Registers `library` as the type library of the module file `modulePath`, under HKEY_CLASSES_ROOT:
//   TypeLib\{libid}\<major>.<minor>            (hex digits)  default = help string,
//                                              "Description" = ToJson(library)
//   TypeLib\{libid}\<major>.<minor>\FLAGS      default = "2" for a control library, else "0"
//   TypeLib\{libid}\<major>.<minor>\HELPDIR    default = the module's folder
//   TypeLib\{libid}\<major>.<minor>\<lcid hex>\linux  default = modulePath
//   Interface\{iid}                            default = interface name, for each dispinterface,
//     \TypeLib default = {libid}, "Version" = "<major>.<minor>"; \ProxyStubClsid32 = the dispatch marshaler
// Registering again replaces what was there. Registry failures come back as HResultFromWin32.
HRESULT RegisterTypeLib(const TypeLibrary& library, const std::string& modulePath);

// Removes version <major>.<minor> of library `libid` and the Interface keys it registered; the
// TypeLib\{libid} key goes too when no other version is left. `lcid` names the locale it was
// registered under; 0 (neutral) accepts whatever locale that was. TYPE_E_REGISTRYACCESS when that
// version (or that locale) is not registered.
HRESULT UnRegisterTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid);

// The registered description of library `libid`, version <major>.<minor>;
// TYPE_E_LIBNOTREGISTERED when it is not registered, E_INVALIDARG when its stored form is damaged.
HRESULT LoadRegTypeLib(const GUID& libid, WORD major, WORD minor, TypeLibrary* library);

// The module file registered for library `libid`, version <major>.<minor>, locale `lcid` (0: any);
// TYPE_E_LIBNOTREGISTERED when there is none.
HRESULT QueryPathOfRegTypeLib(const GUID& libid, WORD major, WORD minor, LCID lcid, std::string* path);

// One registered library version, as ListRegTypeLibs finds it.
struct RegTypeLibEntry {
  GUID libid;
  WORD major = 0;
  WORD minor = 0;
  LCID lcid = 0;
  std::string path;  // UTF-8 module path

  friend bool operator==(const RegTypeLibEntry&, const RegTypeLibEntry&) = default;
};

// Every registered library version with its module path, so that a host holding only a module file
// can find the libraries that file registered. Keys that do not parse are passed over.
std::vector<RegTypeLibEntry> ListRegTypeLibs();

}  // namespace plat::com
