// CWnd: the window framework's object over a window handle — subclassing, the message procedure a
// derived class overrides, default handling, reflected notifications, tooltips, and thin wrappers of
// the window functions.
#pragma once

#include <string>

#include "platform/win/commctrl.h"
#include "platform/win/winuser.h"

namespace plat::gdi {
class CDC;
class CFont;
class CRgn;
}  // namespace plat::gdi

namespace plat::win {

class CWnd {
 public:
  CWnd() = default;
  // A window still attached when the object goes is first given its own procedure back (so no
  // message reaches a half-destroyed object) and then destroyed. Owners destroy their windows
  // before their objects in the normal course.
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object attached to a window (Attach, SubclassWindow, Create), or null.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // The attached object, else a temporary one owned by the framework (kept while the window lives);
  // null for a null handle.
  static CWnd* FromHandle(HWND hwnd);

  // Attach ties the object to the window without routing its messages here; Detach unties it.
  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Routes the window's messages to WindowProc, the previous procedure staying reachable through
  // Default. FALSE when the window is dead or another object is attached to it already.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Gives the window its previous procedure back and unties it; the handle, or null.
  HWND UnsubclassWindow();

  // Creates a window of a registered class routed to this object from its first message
  // (PreSubclassWindow is called then). FALSE when the window could not be created.
  virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                      UINT id);
  virtual BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                        CWnd* parent, UINT id, void* param = nullptr);
  virtual BOOL DestroyWindow();

  // The message procedure. Derived classes override it with a switch that calls small handlers and
  // passes everything else to the base class; the base gives the message to the previous procedure.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The previous procedure's handling of the message being handled now.
  LRESULT Default();
  // The previous procedure's handling of any message.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // A notification (WM_NOTIFY, or WM_COMMAND from a control) that this window sent its parent,
  // offered back here before the parent handles it. TRUE with *result: handled, the parent does not
  // see it; FALSE: the parent handles it (whether or not this object acted on it).
  virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Called when the object is tied to its window by SubclassWindow or Create, before any message.
  virtual void PreSubclassWindow() {}
  // Called after the window's last message (WM_NCDESTROY); the object is untied already.
  virtual void PostNcDestroy() {}

  // Tooltips: with tooltips on, mouse moves over the window ask OnToolHitTest for the tool under the
  // point and show it with the thread's tooltip control, which asks the tool's window for callback
  // texts (TTN_NEEDTEXTA). The default hit test finds a child control (its handle as the tool id,
  // TTF_IDISHWND, callback text) and answers its control id, or -1 for no tool.
  BOOL EnableToolTips(BOOL enable = TRUE);
  virtual INT_PTR OnToolHitTest(POINT point, TOOLINFOA* ti) const;

  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void SendMessageToDescendants(UINT msg, WPARAM wParam, LPARAM lParam, BOOL deep = TRUE) const;

  CWnd* GetParent() const;
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

  BOOL MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE);
  BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE);
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  BOOL ShowWindow(int cmd);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  void GetClientRect(RECT* rect) const;
  void GetWindowRect(RECT* rect) const;
  void ClientToScreen(POINT* point) const;
  void ClientToScreen(RECT* rect) const;
  void ScreenToClient(POINT* point) const;
  void ScreenToClient(RECT* rect) const;

  void Invalidate(BOOL erase = TRUE);
  void InvalidateRect(const RECT* rect, BOOL erase = TRUE);
  void ValidateRect(const RECT* rect);
  void UpdateWindow();
  BOOL RedrawWindow(const RECT* rect = nullptr, gdi::CRgn* region = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  // The window-update lock (WM_SETREDRAW): FALSE stops invalidation until TRUE lifts it.
  void SetRedraw(BOOL redraw = TRUE);
  gdi::CDC* GetDC();
  int ReleaseDC(gdi::CDC* dc);

  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr);
  BOOL KillTimer(UINT_PTR id);

  void SetFont(gdi::CFont* font, BOOL redraw = TRUE);
  gdi::CFont* GetFont() const;
  void SetWindowText(const std::string& text);
  std::string GetWindowText() const;
  void GetWindowText(std::string& text) const { text = GetWindowText(); }
  void SetDlgItemText(int id, const std::string& text);
  std::string GetDlgItemText(int id) const;

  CWnd* SetFocus();
  static CWnd* GetFocus();
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

  // The window procedure of every framework window (routes to the attached object).
  static LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  WNDPROC m_pfnSuper = nullptr;  // the procedure the framework replaced

 private:
  friend struct CWndAccess;
  void FilterToolTipMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  bool m_bToolTips = false;
  INT_PTR m_nLastHit = -1;
  TOOLINFOA m_lastTool{};
};

}  // namespace plat::win
