// Dialog base units of a font: what dialog templates measure their layouts in.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/objects.h"

namespace plat::gdi {

// For the font `lf` at 96 dpi: cx = the average width of "A".."Z" and "a".."z", rounded to nearest
// ((width of the 52 letters / 26 + 1) / 2, as the platform computes it), cy = the font height
// (ascent + descent). A dialog unit is cx / 4 pixels across and cy / 8 pixels down.
SIZE GetDialogBaseUnits(const LOGFONT& lf);

}  // namespace plat::gdi
