// The module's registration through the platform's type library registry, class registry and
// component category manager.
#include "control/module/DrevRegistration.h"

#include <span>

#include "control/DrevTypeLib.h"
#include "control/Identifiers.h"
#include "platform/com/cat_register.h"
#include "platform/com/category_manager.h"
#include "platform/com/class_registry.h"
#include "platform/com/typelib_registry.h"
#include "platform/kernel/resource.h"

namespace drev::module {

namespace pc = plat::com;
using plat::HRESULT;

namespace {

constexpr pc::LCID kCategoryLocale = 0x0409;
constexpr plat::UINT kUserTypeNameString = 1;
constexpr plat::UINT kToolboxBitmap = 1;

// Creates category `catid` with its description and lists the control class under it. Each step
// uses a category manager of its own, made in process and released afterwards, as a step that may
// fail alone; the caller ignores the result.
HRESULT RegisterInCategory(const pc::CATID& catid, const char16_t* description) {
  auto manager = pc::CreateCategoryManager();
  if (!manager) return pc::E_FAIL;
  pc::CATEGORYINFO info;
  info.catid = catid;
  info.lcid = kCategoryLocale;
  // The manager keeps at most kCategoryDescriptionMax units (never half a surrogate pair).
  info.szDescription = description;
  HRESULT hr = manager->RegisterCategories(std::span(&info, 1));
  if (pc::FAILED(hr)) return hr;
  return manager->RegisterClassImplCategories(CLSID_DREV, std::span(&catid, 1));
}

pc::ControlClassInfo ClassInfo(const std::string& modulePath) {
  pc::ControlClassInfo info;
  info.clsid = CLSID_DREV;
  info.progId = kProgId;
  info.userTypeName = plat::kernel::LoadString(kUserTypeNameString);
  info.modulePath = modulePath;
  info.toolboxBitmapId = kToolboxBitmap;
  info.threadingModel = "Apartment";
  info.miscStatus = kMiscStatus;
  info.typeLib = LIBID_DREV;
  info.typeLibMajor = kTypeLibMajor;
  info.typeLibMinor = kTypeLibMinor;
  info.insertable = false;
  return info;
}

}  // namespace

bool UpdateRegistry(bool registering, const std::string& modulePath) {
  if (!registering) return pc::SUCCEEDED(pc::UnregisterControlClass(CLSID_DREV, kProgId));
  RegisterInCategory(pc::CATID_SafeForScripting, u"Controls that are safely scriptable");
  RegisterInCategory(pc::CATID_SafeForInitializing, u"Controls safely initializable from persistent data");
  return pc::SUCCEEDED(pc::RegisterControlClass(ClassInfo(modulePath)));
}

HRESULT RegisterServer(const std::string& modulePath) {
  if (pc::FAILED(pc::RegisterTypeLib(DrevTypeLibrary(), modulePath))) return pc::SELFREG_E_TYPELIB;
  if (!UpdateRegistry(true, modulePath)) return pc::SELFREG_E_CLASS;
  return pc::S_OK;
}

HRESULT UnregisterServer() {
  if (pc::FAILED(pc::UnRegisterTypeLib(LIBID_DREV, kTypeLibMajor, kTypeLibMinor, 0))) return pc::SELFREG_E_TYPELIB;
  if (!UpdateRegistry(false, {})) return pc::SELFREG_E_CLASS;
  return pc::S_OK;
}

}  // namespace drev::module
