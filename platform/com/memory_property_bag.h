// PropertyBag: named values in memory, in the order they were first written.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/com/property_bag.h"
#include "platform/com/ref_counted.h"

namespace plat::com {

// What a host builds from an element's <param name value> pairs, and what it hands to Save. Names
// are matched without regard to letter case (ASCII letters), as the platform's pages match them; a
// write under an existing name replaces its value and keeps its place.
class PropertyBag : public RefCounted<IPropertyBag> {
 public:
  HRESULT Read(std::u16string_view name, Variant* value) override;
  HRESULT Write(std::u16string_view name, const Variant& value) override;

  // The entries, in first-written order, with the names as first written.
  const std::vector<std::pair<std::u16string, Variant>>& Entries() const { return entries_; }

 private:
  std::vector<std::pair<std::u16string, Variant>>::iterator FindName(std::u16string_view name);
  std::vector<std::pair<std::u16string, Variant>> entries_;
};

}  // namespace plat::com
