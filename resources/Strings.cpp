// The module's string table.
#include <string>

#include "platform/kernel/resource.h"
#include "resources/ModuleResources.h"
#include "resources/Resource.h"

namespace drev {

namespace {

// CP949 texts, alive for the whole process as the table's entries require.
const std::string& UserTypeName() {
  static const std::string text = "DREV multiupload control";
  return text;
}

}  // namespace

void RegisterModuleStrings(const void* owner) {
  const std::string& name = UserTypeName();
  plat::kernel::RegisterResource(plat::kernel::ResourceKind::String, IDS_DREV, &name, name.size(), owner);
}

}  // namespace drev
