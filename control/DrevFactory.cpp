// The class factory of the control class DREV over the component layer's factory helper.
#include "control/DrevFactory.h"

#include "control/CUploadListCtrl.h"

namespace drev {

plat::com::ModuleLifetime& DrevModule() {
  static plat::com::ModuleLifetime module;
  return module;
}

plat::com::ComPtr<plat::com::IClassFactory> GetDrevClassFactory() {
  auto factory = plat::com::MakeCom<plat::com::ClassFactory>(DrevModule(), [] {
    auto control = plat::com::MakeCom<CUploadListCtrl>();
    return plat::com::ComPtr<plat::com::IUnknown>(static_cast<plat::com::IDispatch*>(control.Get()));
  });
  return factory;
}

}  // namespace drev
