// The module's four exported entry points. Nothing else of the module is visible to its host
// (zelk.map), and no exception crosses these functions.
#include <new>

#include "control/DrevFactory.h"
#include "control/Identifiers.h"
#include "control/module/DrevRegistration.h"
#include "control/module/ModuleApp.h"
#include "platform/com/module.h"

namespace pc = plat::com;
using drev::module::kModuleStartFailed;
using drev::module::ModuleStarted;
using plat::HRESULT;

extern "C" {

HRESULT DllRegisterServer() {
  if (!ModuleStarted()) return kModuleStartFailed;
  try {
    return drev::module::RegisterServer(drev::module::ModulePath());
  } catch (const std::bad_alloc&) {
    return pc::E_OUTOFMEMORY;
  } catch (...) {
    return pc::E_UNEXPECTED;
  }
}

HRESULT DllUnregisterServer() {
  if (!ModuleStarted()) return kModuleStartFailed;
  try {
    return drev::module::UnregisterServer();
  } catch (const std::bad_alloc&) {
    return pc::E_OUTOFMEMORY;
  } catch (...) {
    return pc::E_UNEXPECTED;
  }
}

// The factory of the control class DREV (a new one per request); CLASS_E_CLASSNOTAVAILABLE for any
// other class.
HRESULT DllGetClassObject(const pc::CLSID* clsid, const pc::IID* riid, void** ppv) {
  if (!ppv) return pc::E_POINTER;
  *ppv = nullptr;
  if (!clsid || !riid) return pc::E_INVALIDARG;
  if (!ModuleStarted()) return kModuleStartFailed;
  if (*clsid != drev::CLSID_DREV) return pc::CLASS_E_CLASSNOTAVAILABLE;
  try {
    return drev::GetDrevClassFactory()->QueryInterface(*riid, ppv);
  } catch (const std::bad_alloc&) {
    return pc::E_OUTOFMEMORY;
  } catch (...) {
    return pc::E_UNEXPECTED;
  }
}

// S_OK when no control object and no LockServer(TRUE) holds the module, else S_FALSE. A module that
// did not start holds nothing.
HRESULT DllCanUnloadNow() {
  if (!ModuleStarted()) return pc::S_OK;
  return drev::DrevModule().CanUnloadNow();
}

}  // extern "C"

// The entry points keep the types the host looks them up with.
static_assert(std::is_same_v<decltype(&DllRegisterServer), pc::DllRegisterServerFn>);
static_assert(std::is_same_v<decltype(&DllUnregisterServer), pc::DllUnregisterServerFn>);
static_assert(std::is_same_v<decltype(&DllGetClassObject), pc::DllGetClassObjectFn>);
static_assert(std::is_same_v<decltype(&DllCanUnloadNow), pc::DllCanUnloadNowFn>);
