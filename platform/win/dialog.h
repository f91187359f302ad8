// Dialogs: templates, creation from a template, the dialog manager's default handling and keys,
// EndDialog and the nested modal loop.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/win/winuser.h"

namespace plat::win {

// One control of a dialog template; positions and sizes in dialog units, texts CP949.
struct DialogItemTemplate {
  std::string className;
  std::string text;
  int id = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  DWORD style = 0;  // WS_CHILD is added when missing
  DWORD exStyle = 0;
};

// A dialog template, registered in plat::kernel's resource table as ResourceKind::Dialog with the
// data pointing at this structure. The size is the client area's, in dialog units of the font.
struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  std::string faceName;  // CP949, e.g. "굴림"
  int pointSize = 9;
  BYTE charSet = 1;
  std::string caption;   // CP949
  std::vector<DialogItemTemplate> items;
};

// The dialog window class.
inline constexpr const char* WC_DIALOG = "#32770";

// Pixel size of the dialog units of a template's font: cx / 4 pixels across and cy / 8 down.
SIZE DialogBaseUnits(const DialogTemplate& tmpl);
// Converts a rectangle in dialog units of that dialog's font to pixels:
// x = MulDiv(x, baseX, 4), y = MulDiv(y, baseY, 8). FALSE for a window that is not a dialog.
BOOL MapDialogRect(HWND dialog, RECT* rect);

// Creates a modeless dialog: the "#32770" window (a child of `parent` when the template style has
// WS_CHILD, else a top-level window owned by it, placed relative to the owner's client area), its
// template font given with WM_SETFONT, each item created with its class, style, id and text and
// the font, then WM_INITDIALOG (wParam: the first WS_TABSTOP control, lParam: `initParam`; a
// nonzero answer gives that control the focus); shown when the template has WS_VISIBLE. `proc` may
// be null (a framework that subclasses the window handles the messages). Null when the window or
// any item cannot be created.
HWND CreateDialogIndirectParam(const DialogTemplate* tmpl, HWND parent, DLGPROC proc, LPARAM initParam);
// The same from the template registered under `templateId`; null when none is.
HWND CreateDialogParam(UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam);

// A modal dialog: creates it (hidden), disables the owner's top-level window, shows the dialog, runs
// the modal loop until EndDialog, re-enables the owner, destroys the dialog and returns the
// EndDialog value; -1 when the dialog could not be created or the loop met WM_QUIT (which is posted
// again for the outer loop).
INT_PTR DialogBoxIndirectParam(const DialogTemplate* tmpl, HWND owner, DLGPROC proc, LPARAM initParam);
INT_PTR DialogBoxParam(UINT templateId, HWND owner, DLGPROC proc, LPARAM initParam);

// Marks the dialog ended with `result` and wakes its modal loop, which returns once the message
// being handled is finished. Only that dialog's loop ends; an outer loop goes on. FALSE for a window
// that is not a dialog.
BOOL EndDialog(HWND dialog, INT_PTR result);
// Runs a modal loop for an existing dialog until it is ended (or destroyed: -1): GetMessage, the
// dialog manager's keys, DispatchMessage. Sends from other threads and timers are served throughout.
INT_PTR RunModalLoop(HWND dialog);

// The dialog manager for a message taken from the queue: for the dialog or its descendants, Enter
// becomes WM_COMMAND with the default button's id (DM_GETDEFID; IDOK unless set) and Escape
// WM_COMMAND IDCANCEL; other messages are dispatched. FALSE (nothing done) for other windows.
BOOL IsDialogMessage(HWND dialog, MSG* msg);

// The dialog class's procedure: calls the dialog procedure first (a nonzero answer means handled;
// the result is then DWLP_MSGRESULT, or the answer itself for WM_INITDIALOG), else default handling
// (WM_CLOSE becomes WM_COMMAND IDCANCEL, DM_GETDEFID/DM_SETDEFID, then DefWindowProc).
LRESULT DefDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace plat::win
