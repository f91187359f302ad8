// Registration of the module's compiled-in resources: each kind registers itself from its own file.
#include "resources/ModuleResources.h"

#include "platform/kernel/resource.h"

namespace drev {

void RegisterModuleResources(const void* owner) {
  RegisterModuleBitmaps(owner);
  RegisterModuleStrings(owner);
  RegisterModuleDialogs(owner);
}

void UnregisterModuleResources(const void* owner) { plat::kernel::UnregisterResources(owner); }

}  // namespace drev
