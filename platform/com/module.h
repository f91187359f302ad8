// A module's life: its object and lock count, its class factory, and its four entry points.
#pragma once

#include <atomic>
#include <functional>

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/ref_counted.h"

namespace plat::com {

// Counts what keeps a module loaded: live objects (through ModuleLock) and LockServer(TRUE) calls.
// A module has one of these; DllCanUnloadNow answers from it.
class ModuleLifetime {
 public:
  void Lock() { ++count_; }
  void Unlock() { --count_; }
  LONG Count() const { return count_; }
  // S_OK when nothing holds the module, else S_FALSE: DllCanUnloadNow's answer.
  HRESULT CanUnloadNow() const { return count_ == 0 ? S_OK : S_FALSE; }

 private:
  std::atomic<LONG> count_{0};
};

// Holds a module for as long as it lives; an object of the module keeps one as a member.
class ModuleLock {
 public:
  explicit ModuleLock(ModuleLifetime& module) : module_(&module) { module_->Lock(); }
  ModuleLock(const ModuleLock& other) : ModuleLock(*other.module_) {}
  ModuleLock& operator=(const ModuleLock&) = delete;
  ~ModuleLock() { module_->Unlock(); }

 private:
  ModuleLifetime* module_;
};

// A class factory that makes objects with `create`. `create` returns the new object (any of its
// interfaces), or an empty pointer when it cannot be made; an exception it throws is turned into
// E_OUTOFMEMORY (std::bad_alloc) or E_FAIL, so none crosses the interface.
class ClassFactory : public RefCounted<IClassFactory> {
 public:
  using Creator = std::function<ComPtr<IUnknown>()>;
  ClassFactory(ModuleLifetime& module, Creator create);

  HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** ppv) override;
  // TRUE holds the module; FALSE releases one hold taken through this factory (E_UNEXPECTED when
  // there is none).
  HRESULT LockServer(BOOL lock) override;

 private:
  ModuleLifetime* module_;
  Creator create_;
  std::atomic<LONG> serverLocks_{0};
};

// The entry points a module exports with C linkage, under these names, for a host to find by dlsym.
using DllGetClassObjectFn = HRESULT (*)(const CLSID* clsid, const IID* riid, void** ppv);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";
inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";

}  // namespace plat::com
