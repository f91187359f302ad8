// Windows: classes, creation and destruction, the window tree, geometry, text, styles and focus.
#pragma once

#include <string>
#include <vector>

#include "platform/win/winuser.h"

namespace plat::win {

// A window class. `background` is a system colour index + 1 (the platform's (HBRUSH)(COLOR_x + 1)
// idiom) that WM_ERASEBKGND fills with by default; 0 leaves the background alone.
struct WNDCLASSA {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int background = 0;
  const char* lpszClassName = nullptr;
};

// Registers a class for the whole process; false when the name (compared without letter case) is
// taken or the record lacks a name or procedure. The built-in classes are always registered:
// "#32770" (dialog), "Static", "Button", "Edit", "msctls_progress32", "SysHeader32", "SysListView32",
// "tooltips_class32".
BOOL RegisterClass(const WNDCLASSA& wc);
BOOL GetClassInfo(const char* className, WNDCLASSA* wc);
// The class name of a window; empty for a handle that is not a window.
std::string GetClassName(HWND hwnd);

// Creates a window of a registered class on the calling thread, which owns it from then on.
// Coordinates are in the parent's client area (screen coordinates for a window without parent);
// `id` is the control id of a child. Sends WM_NCCREATE (FALSE fails the creation), WM_CREATE (-1
// fails it; the window is then destroyed and null returned), WM_SIZE and WM_MOVE, and shows the
// window when WS_VISIBLE is in the style. Texts are CP949. Null on failure.
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                    int y, int cx, int cy, HWND parent, UINT_PTR id, void* param);

// Calls `hook(hwnd, context)` for the next window the calling thread creates, before that window's
// first message (the framework attaches its object there, as the platform's creation hook lets it).
// One-shot; a second call before that creation replaces the first.
using CreateHook = void (*)(HWND hwnd, void* context);
void HookNextWindowCreate(CreateHook hook, void* context);

// Destroys a window of the calling thread: hides it, sends it WM_DESTROY (its children still exist
// then), destroys its children the same way, sends it WM_NCDESTROY, and removes its timers, its
// posted messages and the messages other threads are waiting to send it (their senders get 0).
// FALSE for a handle that is not a window or belongs to another thread.
BOOL DestroyWindow(HWND hwnd);

// Whether the handle names a live window (from any thread). True until WM_NCDESTROY has been sent.
BOOL IsWindow(HWND hwnd);

// The window tree. GetParent gives the parent of a child window (null for a top-level one).
HWND GetParent(HWND hwnd);
constexpr UINT GA_PARENT = 1;
constexpr UINT GA_ROOT = 2;
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL IsChild(HWND parent, HWND hwnd);  // true for any descendant
constexpr UINT GW_HWNDNEXT = 2;
constexpr UINT GW_HWNDPREV = 3;
constexpr UINT GW_CHILD = 5;
// Children in creation order: GW_CHILD gives the first, GW_HWNDNEXT/PREV walk the siblings.
HWND GetWindow(HWND hwnd, UINT cmd);
// The first direct child with that control id; null when there is none.
HWND GetDlgItem(HWND parent, int id);
int GetDlgCtrlID(HWND hwnd);
// The id of the thread that created the window (0 for a dead handle); *processId gets the process.
DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);

// GWL_STYLE, GWL_EXSTYLE, GWLP_ID, GWLP_USERDATA, GWLP_WNDPROC, GWLP_HWNDPARENT (read only) and,
// for dialogs, DWLP_MSGRESULT, DWLP_DLGPROC, DWLP_USER. The setter returns the previous value;
// both answer 0 for a dead handle or an unknown index.
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);
// Subclassing in the platform's shape: installs `proc` and returns the procedure it replaces, which
// the new one calls (CallWindowProc) for default handling.
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Default handling of every message (text, font, erase, paint, close, redraw lock, ...).
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Named properties of a window (a pointer per name); the caller owns what they point at.
BOOL SetProp(HWND hwnd, const char* name, void* value);
void* GetProp(HWND hwnd, const char* name);
void* RemoveProp(HWND hwnd, const char* name);

// Text (CP949) through WM_SETTEXT/WM_GETTEXT. GetWindowText copies at most maxCount - 1 bytes and a
// terminator and returns the bytes copied; the string form returns the whole text.
BOOL SetWindowText(HWND hwnd, const std::string& text);
int GetWindowText(HWND hwnd, char* buffer, int maxCount);
std::string GetWindowText(HWND hwnd);
int GetWindowTextLength(HWND hwnd);

// Visibility: ShowWindow sends WM_SHOWWINDOW when it changes and returns whether the window was
// visible before; IsWindowVisible is true when the window and all its ancestors are visible.
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL IsWindowVisible(HWND hwnd);
// EnableWindow sends WM_ENABLE when the state changes and returns whether it was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// Geometry. A window's rectangle is kept in its parent's client coordinates (screen coordinates
// for a top-level window); the client area is the rectangle less the frame: 1 pixel a side for
// WS_BORDER, 2 for WS_EX_CLIENTEDGE, 3 for WS_DLGFRAME or DS_MODALFRAME, under the top frame an
// 18-pixel title bar for a top-level window with WS_CAPTION, and on the right inside the frame a
// 16-pixel vertical scroll bar with WS_VSCROLL (see scrollbar.h). A size change sends WM_SIZE
// (SIZE_RESTORED, client width and height), a move WM_MOVE (client origin in the parent); `repaint`
// invalidates the window and what it uncovered.
BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, RECT* rect);  // screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rect);  // {0, 0, width, height}
BOOL ClientToScreen(HWND hwnd, POINT* point);
BOOL ScreenToClient(HWND hwnd, POINT* point);
// Maps client points of `from` to client points of `to` (null: the screen); returns the offset
// packed as the platform does (low word x, high word y).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
// Grows a client rectangle to the window rectangle for the style's frame.
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
// The deepest visible child of `parent` (or `parent` itself) under a client point of `parent`;
// null when the point is outside it.
HWND ChildWindowFromPointDeep(HWND parent, POINT point);
// The deepest visible window under a screen point, searching top-level windows newest first.
HWND WindowFromPoint(POINT screenPoint);
// Every top-level window of the process, oldest first (the platform's EnumWindows as a list).
std::vector<HWND> GetTopLevelWindows();

// Changes system colours (plat::gdi::SetSysColors) and tells the windows: WM_SYSCOLORCHANGE is
// sent to every window of the calling thread (parents before children, as the framework forwards
// it to its controls) and posted to the windows of other threads. FALSE when an index was unknown.
BOOL SetSysColors(int count, const int* indices, const COLORREF* colors);

// Keyboard focus, per thread: SetFocus sends WM_KILLFOCUS to the old window and WM_SETFOCUS to the
// new one and returns the old one; GetFocus gives the calling thread's focus window or null.
HWND SetFocus(HWND hwnd);
HWND GetFocus();

}  // namespace plat::win
