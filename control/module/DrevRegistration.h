// Registration of the module: its type library, the control class DREV and its safety categories.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace drev::module {

// DllRegisterServer's work for the module file `modulePath` (absolute, UTF-8): registers the type
// library DREV 1.0 (failure: SELFREG_E_TYPELIB, 0x80040200), then lets the class factory update the
// registry (failure: SELFREG_E_CLASS, 0x80040201); S_OK otherwise. Registering again rewrites the
// same entries and succeeds.
plat::HRESULT RegisterServer(const std::string& modulePath);

// DllUnregisterServer's work: unregisters the type library DREV 1.0 of any locale (failure, also when
// it is not registered: SELFREG_E_TYPELIB), then removes the control class and its ProgID (failure:
// SELFREG_E_CLASS); S_OK otherwise. The class stays listed under its two safety categories.
plat::HRESULT UnregisterServer();

// The class factory's update of the registry. Registering: the safe-for-scripting and
// safe-for-initialising categories are created (locale 0x0409, with their descriptions) and the
// class listed under each (failures there are ignored), then the class is registered with its
// ProgID, user type name (string resource 1), toolbox bitmap 1, apartment threading, miscellaneous
// status 0x00020191 and type library 1.0; the result is that last step's. Removing: the class and
// its ProgID go; the category entries stay. True on success.
bool UpdateRegistry(bool registering, const std::string& modulePath);

}  // namespace drev::module
