// The cell record's defaults.
#include "widgets/XListCellData.h"

#include "platform/gdi/syscolor.h"

namespace drev {

XListCellData::XListCellData()
    : textColor(plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOWTEXT)),
      backColor(plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOW)) {}

}  // namespace drev
