// Resource ids of the module: bitmaps and strings (dialog templates are numbered 101 and 102).
#pragma once

#include "platform/base/types.h"

constexpr plat::UINT IDB_DREV = 1;              // toolbox picture of the control, 16 x 15
constexpr plat::UINT IDB_HEADER_CHECKS = 301;   // 48 x 16: blank, empty box, ticked box on 0xFF00FF
constexpr plat::UINT IDB_CELL_PICTURES = 302;   // 285 x 16: three 95 x 16 status badges on 0xFF00FF
constexpr plat::UINT IDB_DROP_HINT = 303;       // 210 x 49: the empty list's drop hint

constexpr plat::UINT IDS_DREV = 1;  // "DREV multiupload control", the control's user type name
