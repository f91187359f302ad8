// IPropertyBag: named values handed to an object when it loads, such as a page's <param> elements.
#pragma once

#include <string_view>

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

namespace plat::com {

class IPropertyBag : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{55272A00-42CB-11CE-8135-00AA004BB851}");
  using base_interface = IUnknown;

  // The value stored under `name` (letter case ignored), as it was written; the reader converts it.
  // E_INVALIDARG when the bag has no such name; E_POINTER when value is null.
  virtual HRESULT Read(std::u16string_view name, Variant* value) = 0;
  // Stores `value` under `name`, replacing a value of the same name.
  virtual HRESULT Write(std::u16string_view name, const Variant& value) = 0;

 protected:
  ~IPropertyBag() = default;
};

}  // namespace plat::com
