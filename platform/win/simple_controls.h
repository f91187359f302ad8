// CStatic, CButton and CProgressCtrl: the framework's objects over the simple built-in controls.
#pragma once

#include "platform/win/cwnd.h"

namespace plat::win {

class CStatic : public CWnd {
 public:
  BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};

class CButton : public CWnd {
 public:
  BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetCheck() const;
  void SetCheck(int check);
  // As a click: WM_COMMAND BN_CLICKED to the parent.
  void Click();
};

// The progress bar, with the platform's messages; SetRange passes 16-bit ends, SetRange32 full ints.
class CProgressCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  int SetPos(int pos);  // returns the previous position
  int GetPos() const;
  int OffsetPos(int delta);
  int SetStep(int step);
  int StepIt();
};

}  // namespace plat::win
