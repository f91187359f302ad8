// The window framework in one include: CWnd, CDialog, the paint and client contexts, and the simple
// controls (the common controls are in afxcmn.h).
#pragma once

#include "platform/win/cdialog.h"
#include "platform/win/cwnd.h"
#include "platform/win/simple_controls.h"
#include "platform/win/window_dc.h"
