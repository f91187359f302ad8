// IPersist, IPersistStreamInit and IPersistPropertyBag: how a host loads, saves and resets an object.
#pragma once

#include <cstdint>

#include "platform/com/property_bag.h"
#include "platform/com/stream.h"
#include "platform/com/unknown.h"

namespace plat::com {

class IPersist : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{0000010C-0000-0000-C000-000000000046}");
  using base_interface = IUnknown;

  // The class id of the object, which a host stores beside the saved state.
  virtual HRESULT GetClassID(CLSID* clsid) = 0;

 protected:
  ~IPersist() = default;
};

class IPersistStreamInit : public IPersist {
 public:
  static constexpr IID iid = MakeGuid("{7FD52380-4E07-101B-AE2D-08002B2EC713}");
  using base_interface = IPersist;

  // S_OK when the object changed since it was loaded, reset or last saved with clearDirty; else S_FALSE.
  virtual HRESULT IsDirty() = 0;
  // Loads the state from `stream`; a truncated or malformed stream gives an error code.
  virtual HRESULT Load(IStream* stream) = 0;
  // Saves the state into `stream`; clearDirty = TRUE marks the object unmodified afterwards.
  virtual HRESULT Save(IStream* stream, BOOL clearDirty) = 0;
  // An upper bound of the bytes Save would write.
  virtual HRESULT GetSizeMax(std::uint64_t* size) = 0;
  // Resets the state to its defaults, as for an object that was never saved.
  virtual HRESULT InitNew() = 0;

 protected:
  ~IPersistStreamInit() = default;
};

class IPersistPropertyBag : public IPersist {
 public:
  static constexpr IID iid = MakeGuid("{37D84F60-42CB-11CE-8135-00AA004BB851}");
  using base_interface = IPersist;

  // Resets the state to its defaults (the same operation as IPersistStreamInit::InitNew).
  virtual HRESULT InitNew() = 0;
  // Loads the state from named values; what the bag lacks takes its default.
  virtual HRESULT Load(IPropertyBag* bag) = 0;
  // Writes the state as named values; clearDirty = TRUE marks the object unmodified afterwards.
  // saveAll = FALSE allows leaving out values equal to their defaults.
  virtual HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) = 0;

 protected:
  ~IPersistPropertyBag() = default;
};

}  // namespace plat::com
