// The pictures of the system small-icon list (internal to the shell layer).
#pragma once

#include <memory>

#include "platform/gdi/image_list.h"

namespace plat::shell::detail {

// A new image list of 16 x 16 masked pictures, one per SystemIcon in index order, drawn here.
std::unique_ptr<gdi::CImageList> DrawSystemIcons();

}  // namespace plat::shell::detail
