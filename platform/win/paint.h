// Painting: update areas, WM_ERASEBKGND/WM_PAINT dispatch, paint and window device contexts over the
// top-level window's surface, and window snapshots.
#pragma once

#include <string>

#include "platform/win/winuser.h"

namespace plat::gdi {
class CRgn;
}

namespace plat::win {

// Adds `rect` (client coordinates; null: the whole client area) to the window's update area and to
// the parts of its visible descendants it covers, remembering `erase`. Ignored for hidden windows
// and while the window's redraw is locked (WM_SETREDRAW FALSE). The owner's message loop then sends
// WM_PAINT when nothing else is pending.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, gdi::CRgn* region, BOOL erase);
// Removes `rect` (null: everything) from the update area (an update area is one rectangle: it is
// emptied when `rect` covers it, else left as it is).
BOOL ValidateRect(HWND hwnd, const RECT* rect);
// The update area's bounds in client coordinates; FALSE (and an empty rectangle) when there is none.
// With `erase`, a pending erase is carried out first (WM_ERASEBKGND).
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);
// Paints the window now when its update area is not empty (WM_PAINT sent directly, not queued),
// then its invalid descendants, parents before children. Owner thread only.
BOOL UpdateWindow(HWND hwnd);
// RDW_INVALIDATE/RDW_ERASE/RDW_FRAME mark, RDW_VALIDATE clears, RDW_UPDATENOW/RDW_ERASENOW paint now;
// RDW_ALLCHILDREN is implied for invalidation (children are always marked with their parent).
BOOL RedrawWindow(HWND hwnd, const RECT* rect, gdi::CRgn* region, UINT flags);

// BeginPaint validates the update area, sends WM_ERASEBKGND (wParam: the context) when erasing was
// asked (ps->fErase tells whether the erase is still to be done) and returns a context over the
// client area clipped to the update area and to the window's ancestors. EndPaint releases it.
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
// A context over the client area (GetDC) or the whole window (GetWindowDC), clipped to the window
// and its ancestors; ReleaseDC frees it (1) or answers 0 for a context it did not hand out.
HDC GetDC(HWND hwnd);
HDC GetWindowDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC dc);

// Paints the window and its descendants, then writes the window's area of its top-level surface
// to a PNG file (UTF-8 path). FALSE for a hidden or dead window or when the file cannot be written.
BOOL SnapshotWindow(HWND hwnd, const std::string& utf8PngPath);

// Reads one pixel of what the window shows (client coordinates, after painting what is pending);
// CLR_INVALID outside the window. For tests.
COLORREF GetWindowPixel(HWND hwnd, int x, int y);

// For a process whose windows no screen shows (a page run without a display): with `on`, windows
// are painted only when their pixels are read. The message loop sends no WM_PAINT, UpdateWindow and
// RedrawWindow's RDW_UPDATENOW paint nothing and scroll bars are not drawn as they move; update areas
// are still kept. SnapshotWindow paints the window afresh as it always does, and GetWindowPixel then
// paints the whole top-level window afresh, so what they read is what painting all along would have
// left. Off until switched on; switch it before windows are made.
void PaintOnlyWhenRead(bool on);

}  // namespace plat::win
