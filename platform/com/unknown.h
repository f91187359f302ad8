// IUnknown: reference counting and interface discovery, the root of every interface.
#pragma once

#include "platform/base/types.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace plat::com {

using LCID = DWORD;

// Interfaces are abstract classes with no data, as on the original platform. Each names its own
// identifier (`iid`) and the interface it extends (`base_interface`), so that the generic helpers
// (ComPtr::As, RefCounted::QueryInterface) can find them. A changed interface is a new interface
// with a new identifier; a published one never changes.
//
// Objects are destroyed by their last Release, never by delete through an interface pointer.
class IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00000000-0000-0000-C000-000000000046}");
  using base_interface = void;

  // Asks for interface `riid`. On success stores a pointer that carries a new reference in *ppv
  // and returns S_OK; otherwise stores nullptr and returns E_NOINTERFACE. E_POINTER when ppv is
  // null. Asking for IUnknown always gives the same pointer for the same object.
  virtual HRESULT QueryInterface(const IID& riid, void** ppv) = 0;
  // Adds a reference; returns the new count (for diagnostics only).
  virtual ULONG AddRef() = 0;
  // Drops a reference and destroys the object when none is left; returns the new count.
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

}  // namespace plat::com
