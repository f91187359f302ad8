// Registration of the module's compiled-in resources with the platform's resource table.
#pragma once

namespace drev {

// Registers every bitmap, string and dialog template of the module under the tag `owner`, so that
// plat::kernel::FindResource and the drawing layer's LoadBitmap find them. Registering again with
// the same tag adds the same entries once more (later entries win; both point at the same data).
void RegisterModuleResources(const void* owner);

// Removes everything registered under `owner`.
void UnregisterModuleResources(const void* owner);

// The parts, for the module's own use: each registers one kind of resource.
void RegisterModuleBitmaps(const void* owner);
void RegisterModuleStrings(const void* owner);
void RegisterModuleDialogs(const void* owner);

}  // namespace drev
