// The in-memory property bag.
#include "platform/com/memory_property_bag.h"

#include <algorithm>

namespace plat::com {

namespace {
char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }
bool SameName(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}
}  // namespace

std::vector<std::pair<std::u16string, Variant>>::iterator PropertyBag::FindName(std::u16string_view name) {
  return std::find_if(entries_.begin(), entries_.end(), [name](const auto& e) { return SameName(e.first, name); });
}

HRESULT PropertyBag::Read(std::u16string_view name, Variant* value) {
  if (!value) return E_POINTER;
  auto it = FindName(name);
  if (it == entries_.end()) return E_INVALIDARG;
  *value = it->second;
  return S_OK;
}

HRESULT PropertyBag::Write(std::u16string_view name, const Variant& value) {
  auto it = FindName(name);
  if (it != entries_.end())
    it->second = value;
  else
    entries_.emplace_back(std::u16string(name), value);
  return S_OK;
}

}  // namespace plat::com
