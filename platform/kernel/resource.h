// The resource table: bitmaps, dialog templates and strings compiled into a module, found by id.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "platform/base/types.h"

namespace plat::kernel {

enum class ResourceKind { Bitmap, Dialog, String, TypeLib };

// A module registers its resources when it loads (the registration lives as long as the process or
// until UnregisterResources with the same owner tag). Bitmap data is PNG bytes; a dialog entry points
// at a plat::win::DialogTemplate; a string entry at a CP949 std::string; the data must stay alive.
void RegisterResource(ResourceKind kind, UINT id, const void* data, std::size_t size, const void* owner);
void UnregisterResources(const void* owner);

struct ResourceData {
  const void* data = nullptr;
  std::size_t size = 0;
  explicit operator bool() const { return data != nullptr; }
};

// The most recently registered resource of that kind and id; empty when there is none.
ResourceData FindResource(ResourceKind kind, UINT id);

// A string resource as CP949 text; empty when missing.
std::string LoadString(UINT id);

}  // namespace plat::kernel
