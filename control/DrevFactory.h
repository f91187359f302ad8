// The module's life count and the class factory that makes DREV controls.
#pragma once

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/module.h"

namespace drev {

// What keeps the module loaded: every live control and every LockServer(TRUE) on its factory.
plat::com::ModuleLifetime& DrevModule();

// A new class factory for the control class DREV (one instance per request). CreateInstance makes
// a CUploadListCtrl (which becomes the current control) and asks it for the requested interface.
plat::com::ComPtr<plat::com::IClassFactory> GetDrevClassFactory();

}  // namespace drev
