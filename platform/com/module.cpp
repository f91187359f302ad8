// The class factory that modules hand out from DllGetClassObject.
#include "platform/com/module.h"

#include <new>

namespace plat::com {

ClassFactory::ClassFactory(ModuleLifetime& module, Creator create)
    : module_(&module), create_(std::move(create)) {}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, const IID& riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  ComPtr<IUnknown> object;
  try {
    object = create_();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
  if (!object) return E_FAIL;
  return object->QueryInterface(riid, ppv);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    ++serverLocks_;
    module_->Lock();
    return S_OK;
  }
  // An unlock without a lock would let the module unload under a live object: refuse it.
  if (serverLocks_ == 0) return E_UNEXPECTED;
  --serverLocks_;
  module_->Unlock();
  return S_OK;
}

}  // namespace plat::com
