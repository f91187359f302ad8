// Modules loaded with dlopen, their entry points, and finding a class's factory through the registry.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/module.h"
#include "platform/com/typelib.h"

namespace drev::host {

// One loaded module file. It stays mapped for the life of the process: a module's window classes and
// resources may be in use by the platform until the end.
class Module {
 public:
  // Loads the module at `path` (made absolute first, so that a module registers the path it was
  // really loaded from). nullptr with `error` set when dlopen fails or the file lacks
  // DllGetClassObject.
  static std::unique_ptr<Module> Load(const std::string& path, std::string* error);

  const std::string& Path() const { return path_; }
  // The entry points; E_NOTIMPL for one the module does not export.
  plat::HRESULT GetClassObject(const plat::com::CLSID& clsid, plat::com::IClassFactory** factory) const;
  plat::HRESULT CanUnloadNow() const;
  plat::HRESULT RegisterServer() const;
  plat::HRESULT UnregisterServer() const;

 private:
  Module() = default;
  std::string path_;
  plat::com::DllGetClassObjectFn getClassObject_ = nullptr;
  plat::com::DllCanUnloadNowFn canUnloadNow_ = nullptr;
  plat::com::DllRegisterServerFn registerServer_ = nullptr;
  plat::com::DllUnregisterServerFn unregisterServer_ = nullptr;
};

// Why an object could not be made.
enum class CreateFailure {
  kNone,
  kClassNotRegistered,  // no InprocServer32 for the class id
  kModuleNotLoadable,   // dlopen failed, no entry point, or the module's start failed
  kFactoryFailed,       // the module has no factory for the class, or the factory made nothing
};

// The modules of one run, each loaded once.
class ModuleSet {
 public:
  // The class factory of `clsid`: the registry names the module (InprocServer32), which is loaded and
  // asked through DllGetClassObject. On failure returns an empty pointer, sets `failure` and
  // `error` (a sentence naming the class, the module and the result code).
  plat::com::ComPtr<plat::com::IClassFactory> GetFactory(const plat::com::CLSID& clsid, CreateFailure* failure,
                                                         std::string* error);
  // Asks every loaded module whether it could be unloaded now: S_OK when all say so.
  plat::HRESULT CanUnloadNow() const;

 private:
  std::map<std::string, std::unique_ptr<Module>> modules_;
};

// The script and event interfaces of a registered class, from its registered type library.
struct ClassTypeInfo {
  plat::com::TypeLibrary library;
  std::optional<plat::com::TypeDispInterface> dispatch;  // the default interface
  std::optional<plat::com::TypeDispInterface> events;    // the default source
};
// nullopt when the class names no type library or it is not registered.
std::optional<ClassTypeInfo> FindClassTypeInfo(const plat::com::CLSID& clsid);

// The registered type library of the module file `path`, by the path it was registered with.
// nullopt when that module registered none.
std::optional<plat::com::TypeLibrary> FindModuleTypeLib(const std::string& path);

// The module file's absolute, symlink-free path when it exists, else its absolute path.
std::string AbsoluteModulePath(const std::string& path);

}  // namespace drev::host
