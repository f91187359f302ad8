// The module's bitmaps: PNG bytes compiled in from the pictures kept beside this file.
#include <cstddef>

#include "platform/kernel/resource.h"
#include "resources/ModuleResources.h"
#include "resources/Resource.h"

// Byte arrays made at build time from the PNG files (see embed-png.cmake).
extern const unsigned char kBitmapToolbox[];
extern const std::size_t kBitmapToolboxSize;
extern const unsigned char kBitmapHeaderChecks[];
extern const std::size_t kBitmapHeaderChecksSize;
extern const unsigned char kBitmapCellPictures[];
extern const std::size_t kBitmapCellPicturesSize;
extern const unsigned char kBitmapDropHint[];
extern const std::size_t kBitmapDropHintSize;

namespace drev {

void RegisterModuleBitmaps(const void* owner) {
  using plat::kernel::RegisterResource;
  using plat::kernel::ResourceKind;
  RegisterResource(ResourceKind::Bitmap, IDB_DREV, kBitmapToolbox, kBitmapToolboxSize, owner);
  RegisterResource(ResourceKind::Bitmap, IDB_HEADER_CHECKS, kBitmapHeaderChecks, kBitmapHeaderChecksSize, owner);
  RegisterResource(ResourceKind::Bitmap, IDB_CELL_PICTURES, kBitmapCellPictures, kBitmapCellPicturesSize, owner);
  RegisterResource(ResourceKind::Bitmap, IDB_DROP_HINT, kBitmapDropHint, kBitmapDropHintSize, owner);
}

}  // namespace drev
