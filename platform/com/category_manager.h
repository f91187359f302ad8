// The standard component category manager: ICatRegister over the registry store.
#pragma once

#include "platform/com/cat_register.h"
#include "platform/com/com_ptr.h"

namespace plat::com {

// Makes the system's standard component category manager in process (what a module asks for with
// CLSID_StdComponentCategoriesMgr) and asks it for `riid` (ICatRegister or IUnknown). The manager
// keeps, under HKEY_CLASSES_ROOT:
//   Component Categories\{catid}          value "<lcid in hex>" (0x0409 -> "409") = description
//   CLSID\{clsid}\Implemented Categories\{catid}
// Descriptions are cut to kCategoryDescriptionMax UTF-16 units (never in the middle of a surrogate
// pair) and stored as CP949; characters CP949 lacks become '?'. Registry failures come back as
// HResultFromWin32 of the registry's error number.
HRESULT CreateCategoryManager(const IID& riid, void** ppv);

// The same for C++ callers.
ComPtr<ICatRegister> CreateCategoryManager();

}  // namespace plat::com
