// The module's application object: what runs when zelk.ocx is loaded (start) and unloaded (stop).
#pragma once

#include <string>

#include "platform/base/types.h"

namespace drev::module {

// What every entry point answers after a failed start: the platform's code for a library whose
// initialisation routine failed (HRESULT_FROM_WIN32(ERROR_DLL_INIT_FAILED)). A module constructor
// cannot make dlopen fail, so a module that could not start stays mapped but serves nothing: a host
// that asks it for a class or a registration gets this code and treats the module as not loadable.
inline constexpr plat::HRESULT kModuleStartFailed = static_cast<plat::HRESULT>(0x8007045A);

// True when the module started: the framework's initialisation ran (resources registered) and the
// component system started. False after "AfxOleInit Error!" was shown.
bool ModuleStarted();

// The module file's absolute path (UTF-8), as registration writes it into the registry.
const std::string& ModulePath();

}  // namespace drev::module
