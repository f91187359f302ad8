// IClassFactory: makes the objects of one class for whoever asks through the module.
#pragma once

#include "platform/com/unknown.h"

namespace plat::com {

class IClassFactory : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00000001-0000-0000-C000-000000000046}");
  using base_interface = IUnknown;

  // Makes a new object and asks it for `riid` (see QueryInterface). Aggregation is not offered: a
  // non-null `outer` gives CLASS_E_NOAGGREGATION. E_POINTER when ppv is null.
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** ppv) = 0;
  // TRUE keeps the module loaded until a matching FALSE, whether or not objects are alive.
  virtual HRESULT LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};

}  // namespace plat::com
