// CToolTipCtrl: the framework's object over a tooltip control.
#pragma once

#include <string>

#include "platform/win/cwnd.h"

namespace plat::win {

class CToolTipCtrl : public CWnd {
 public:
  // A hidden top-level tooltip window owned by `parent` (may be null).
  BOOL Create(CWnd* parent, DWORD style = 0);
  // Adds or replaces the tool (hwnd, uId); lpszText may be LPSTR_TEXTCALLBACKA.
  BOOL AddTool(const TOOLINFOA* info);
  void DelTool(const TOOLINFOA* info);
  int GetToolCount() const;
  // The tool's text (asked from its window when it has a callback text).
  std::string GetText(const TOOLINFOA* info) const;
  void Activate(BOOL active);
  // Hands a mouse message to the control, which shows the tool under it.
  void RelayEvent(MSG* msg);
  void Pop();
  // The text being shown, empty when the tip is hidden.
  std::string GetShownText() const;
};

// The calling thread's tooltip control used by EnableToolTips windows (made on first use).
CToolTipCtrl* ThreadToolTip();

}  // namespace plat::win
