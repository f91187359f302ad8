// The framework's common controls in one include: list, header and tooltip controls.
#pragma once

#include "platform/win/cheaderctrl.h"
#include "platform/win/clistctrl.h"
#include "platform/win/ctooltipctrl.h"
#include "platform/win/afxwin.h"
