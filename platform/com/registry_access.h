// Internal to the component layer: the few registry steps its registration code takes, as result codes.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace plat::com::detail {

// Creates HKEY_CLASSES_ROOT\`path` (and what is missing on the way) and sets its value `name`
// ("" for the default value) to the CP949 text `value`.
HRESULT SetClassesText(const std::string& path, const std::string& name, const std::string& value);
// Creates HKEY_CLASSES_ROOT\`path` with no value.
HRESULT CreateClassesKey(const std::string& path);
// The text of value `name` of HKEY_CLASSES_ROOT\`path`; nothing when the key or value is missing or
// is not text.
std::optional<std::string> GetClassesText(const std::string& path, const std::string& name);
// Removes HKEY_CLASSES_ROOT\`path` with everything under it; S_FALSE when there was no such key.
HRESULT DeleteClassesTree(const std::string& path);
// The names of the subkeys of HKEY_CLASSES_ROOT\`path`; empty when it has none or does not exist.
std::vector<std::string> Subkeys(const std::string& path);

}  // namespace plat::com::detail
