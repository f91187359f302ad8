// The cell record's defaults.
#include "widgets/XListCellData.h"

#include "platform/gdi/syscolor.h"

XListCellData::XListCellData()
    : textColor(plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOWTEXT)),
      backColor(plat::gdi::GetSysColor(plat::gdi::COLOR_WINDOW)) {}
