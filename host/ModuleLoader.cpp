// Loading modules with dlopen and reaching their classes through the registry.
#include "host/ModuleLoader.h"

#include <dlfcn.h>

#include <cstdio>
#include <filesystem>

#include "platform/com/class_registry.h"
#include "platform/com/typelib_registry.h"
#include "platform/registry/registry.h"

namespace drev::host {

namespace pc = plat::com;
namespace reg = plat::registry;
using plat::HRESULT;

namespace {

// What DllGetClassObject answers when the module's own start failed (ERROR_DLL_INIT_FAILED).
constexpr HRESULT kModuleStartFailed = static_cast<HRESULT>(0x8007045A);

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

template <class Fn>
Fn Symbol(void* handle, const char* name) {
  return reinterpret_cast<Fn>(dlsym(handle, name));
}

// The default value of HKEY_CLASSES_ROOT\<key>, or nullopt.
std::optional<std::string> ClassesText(const std::string& key) {
  reg::HKEY handle = nullptr;
  if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, key.c_str(), 0, reg::KEY_READ, &handle) != 0) return std::nullopt;
  char buffer[1024];
  plat::DWORD size = sizeof buffer;
  plat::DWORD type = 0;
  plat::LONG result = reg::RegQueryValueExA(handle, "", nullptr, &type, reinterpret_cast<plat::BYTE*>(buffer), &size);
  reg::RegCloseKey(handle);
  if (result != 0 || type != reg::REG_SZ || size == 0) return std::nullopt;
  return std::string(buffer, size - 1);
}

std::optional<pc::TypeDispInterface> Interface(const pc::TypeLibrary& lib, const std::string& name) {
  if (const pc::TypeDispInterface* found = lib.FindInterface(name)) return *found;
  return std::nullopt;
}

}  // namespace

std::string AbsoluteModulePath(const std::string& path) {
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::canonical(path, error);
  if (!error) return canonical.string();
  return std::filesystem::absolute(path, error).string();
}

std::unique_ptr<Module> Module::Load(const std::string& path, std::string* error) {
  std::string absolute = AbsoluteModulePath(path);
  void* handle = dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    if (error) *error = why ? why : "dlopen failed";
    return nullptr;
  }
  std::unique_ptr<Module> module(new Module());
  module->path_ = absolute;
  module->getClassObject_ = Symbol<pc::DllGetClassObjectFn>(handle, pc::kDllGetClassObject);
  module->canUnloadNow_ = Symbol<pc::DllCanUnloadNowFn>(handle, pc::kDllCanUnloadNow);
  module->registerServer_ = Symbol<pc::DllRegisterServerFn>(handle, pc::kDllRegisterServer);
  module->unregisterServer_ = Symbol<pc::DllUnregisterServerFn>(handle, pc::kDllUnregisterServer);
  // The handle is not closed: the module stays for the life of the process.
  return module;
}

HRESULT Module::GetClassObject(const pc::CLSID& clsid, pc::IClassFactory** factory) const {
  if (!getClassObject_) return pc::E_NOTIMPL;
  return getClassObject_(&clsid, &pc::IClassFactory::iid, reinterpret_cast<void**>(factory));
}

HRESULT Module::CanUnloadNow() const { return canUnloadNow_ ? canUnloadNow_() : pc::E_NOTIMPL; }
HRESULT Module::RegisterServer() const { return registerServer_ ? registerServer_() : pc::E_NOTIMPL; }
HRESULT Module::UnregisterServer() const { return unregisterServer_ ? unregisterServer_() : pc::E_NOTIMPL; }

pc::ComPtr<pc::IClassFactory> ModuleSet::GetFactory(const pc::CLSID& clsid, CreateFailure* failure,
                                                    std::string* error) {
  const std::string name = pc::FormatGuid(clsid);
  const auto fail = [&](CreateFailure why, std::string text) {
    *failure = why;
    *error = std::move(text);
    return pc::ComPtr<pc::IClassFactory>();
  };
  std::string path;
  if (pc::FAILED(pc::GetInprocServerPath(clsid, &path)))
    return fail(CreateFailure::kClassNotRegistered, "class " + name + " is not registered");

  auto found = modules_.find(path);
  if (found == modules_.end()) {
    std::string why;
    auto module = Module::Load(path, &why);
    if (!module) return fail(CreateFailure::kModuleNotLoadable, "module " + path + " of class " + name +
                                                                    " cannot be loaded: " + why);
    found = modules_.emplace(path, std::move(module)).first;
  }
  pc::ComPtr<pc::IClassFactory> factory;
  HRESULT hr = found->second->GetClassObject(clsid, factory.Put());
  if (hr == kModuleStartFailed || hr == pc::E_NOTIMPL)
    return fail(CreateFailure::kModuleNotLoadable,
                "module " + path + " of class " + name + " is not loadable: " +
                    (hr == pc::E_NOTIMPL ? "it has no DllGetClassObject" : "its start failed (" + Hex(hr) + ")"));
  if (pc::FAILED(hr) || !factory)
    return fail(CreateFailure::kFactoryFailed,
                "module " + path + " gave no class factory for class " + name + " (" + pc::HResultName(hr) + ")");
  *failure = CreateFailure::kNone;
  return factory;
}

HRESULT ModuleSet::CanUnloadNow() const {
  for (const auto& [path, module] : modules_) {
    if (module->CanUnloadNow() != pc::S_OK) return pc::S_FALSE;
  }
  return pc::S_OK;
}

std::optional<ClassTypeInfo> FindClassTypeInfo(const pc::CLSID& clsid) {
  const std::string key = "CLSID\\" + pc::FormatGuid(clsid);
  auto libText = ClassesText(key + "\\TypeLib");
  auto libid = libText ? pc::ParseGuid(*libText) : std::nullopt;
  if (!libid) return std::nullopt;
  unsigned major = 1, minor = 0;
  if (auto version = ClassesText(key + "\\Version")) std::sscanf(version->c_str(), "%u.%u", &major, &minor);
  ClassTypeInfo info;
  if (pc::FAILED(pc::LoadRegTypeLib(*libid, static_cast<plat::WORD>(major), static_cast<plat::WORD>(minor),
                                    &info.library)))
    return std::nullopt;
  for (const pc::TypeCoClass& coclass : info.library.coclasses) {
    if (coclass.clsid != clsid) continue;
    info.dispatch = Interface(info.library, coclass.defaultInterface);
    info.events = Interface(info.library, coclass.defaultSource);
  }
  return info;
}

std::optional<pc::TypeLibrary> FindModuleTypeLib(const std::string& path) {
  const std::string wanted = AbsoluteModulePath(path);
  for (const pc::RegTypeLibEntry& entry : pc::ListRegTypeLibs()) {
    if (AbsoluteModulePath(entry.path) != wanted) continue;
    pc::TypeLibrary library;
    if (pc::SUCCEEDED(pc::LoadRegTypeLib(entry.libid, entry.major, entry.minor, &library))) return library;
  }
  return std::nullopt;
}

}  // namespace drev::host
