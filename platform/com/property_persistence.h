// PropertyPersistence: an object's load, save and reset, run through its one exchange routine, and its
// modified flag.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/com/prop_exchange.h"

namespace plat::com {

// An object that persists its properties keeps one of these and forwards IPersistStreamInit and
// IPersistPropertyBag to it. The exchange routine is the object's own (it calls ExchangeVersion and
// PX_* in a fixed order); this class picks the direction and keeps the modified flag.
//
// The modified flag is set by the object's property writes (SetModifiedFlag), cleared by a load,
// a reset and a save that asks for it, and read through IsModified / IsDirty.
class PropertyPersistence {
 public:
  using ExchangeRoutine = std::function<void(PropExchange&)>;
  explicit PropertyPersistence(ExchangeRoutine routine);

  // Resets every property to its default; clears the modified flag.
  HRESULT InitNew();
  // Loads from named values; what is missing or unusable takes its default. Clears the flag.
  HRESULT Load(IPropertyBag* bag);
  // Loads from saved state. On failure (truncated, damaged, from another routine) the object is
  // reset to its defaults, so it is never left half loaded, and the error is returned. Clears the
  // flag either way.
  HRESULT Load(IStream* stream);
  // Saves; `clearDirty` clears the flag when the save succeeded.
  HRESULT Save(IPropertyBag* bag, bool clearDirty);
  HRESULT Save(IStream* stream, bool clearDirty);
  // The bytes Save(stream) would write now.
  HRESULT GetSizeMax(std::uint64_t* size);

  void SetModifiedFlag(bool modified = true) { modified_ = modified; }
  bool IsModified() const { return modified_; }
  // IPersistStreamInit::IsDirty's answer: S_OK when modified, else S_FALSE.
  HRESULT IsDirty() const { return modified_ ? S_OK : S_FALSE; }

 private:
  HRESULT Run(PropExchange& exchange);
  ExchangeRoutine routine_;
  bool modified_ = false;
};

}  // namespace plat::com
