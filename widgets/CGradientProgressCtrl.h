// CGradientProgressCtrl: a progress bar that paints its filled part as a colour gradient across the
// whole bar, with an optional percentage text over it.
#pragma once

#include <atomic>
#include <memory>

#include "platform/win/simple_controls.h"

namespace drev {

// Bound to an existing progress bar window (SubclassWindow or the dialog's data exchange) or created
// through CProgressCtrl::Create. The control keeps its own copy of range, step and position for
// painting and passes every change on to the platform bar as well.
//
// Threads: SetPos may be called from any thread (the upload worker calls it once per block of file
// content); it stores the position and, only when the position changed, sends the platform position
// message to the bar's window, whose thread repaints. Every other operation, and the painting, run
// on the window's thread.
class CGradientProgressCtrl : public plat::win::CProgressCtrl {
 public:
  CGradientProgressCtrl();
  ~CGradientProgressCtrl() override;

  // Stores both ends and sets the position to `lower`; the platform bar receives the ends as 16-bit
  // values.
  void SetRange(int lower, int upper);
  // Stores the position and passes it on; the window then repaints. Returns the previous position.
  // Cheap when the position is unchanged: nothing is sent then.
  int SetPos(int pos);
  int GetPos() const { return m_nPos.load(); }
  // Stores the increment of StepIt and passes it on; returns the previous one.
  int SetStep(int step);
  // Adds the step to the position; the platform bar steps too. Returns the previous position.
  int StepIt();

  // Colours (0x00BBGGRR) and the percentage flag take effect at the next paint.
  void SetStartColor(plat::COLORREF color) { m_clrStart = color; }
  void SetEndColor(plat::COLORREF color) { m_clrEnd = color; }
  void SetTextColor(plat::COLORREF color) { m_clrText = color; }
  void SetBkColor(plat::COLORREF color) { m_clrBkgnd = color; }
  void ShowPercent(int show = 1) { m_bShowPercent = show; }

  plat::COLORREF GetStartColor() const { return m_clrStart; }
  plat::COLORREF GetEndColor() const { return m_clrEnd; }
  plat::COLORREF GetTextColor() const { return m_clrText; }
  plat::COLORREF GetBkColor() const { return m_clrBkgnd; }
  int GetLower() const { return m_nLower; }
  int GetUpper() const { return m_nUpper; }
  int GetStep() const { return m_nStep; }

 protected:
  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;
  void PreSubclassWindow() override;
  void PostNcDestroy() override;

 private:
  void OnPaint();
  // Passes a platform bar message on and makes sure the window shows the result at once.
  plat::LRESULT ForwardAndRepaint();
  struct GradientPicture;
  // The picture of the whole gradient for this size and the current colours, drawn anew when
  // either changed since the last paint.
  GradientPicture& PictureFor(plat::gdi::CDC* target, int width, int height);

  int m_nLower = 0;
  int m_nUpper = 100;
  int m_nStep = 10;
  std::atomic<int> m_nPos{0};
  // The window the worker thread sends to; set while the bar is bound to a window.
  std::atomic<plat::win::HWND> m_hBar{nullptr};
  plat::COLORREF m_clrStart = 0x0000FF;  // red
  plat::COLORREF m_clrEnd = 0xFF0000;    // blue
  plat::COLORREF m_clrBkgnd;             // button face, read at construction
  plat::COLORREF m_clrText = 0xFFFFFF;   // white
  int m_bShowPercent = 0;
  bool m_bPainted = false;  // set by a paint, to tell whether a forwarded message repainted
  std::unique_ptr<GradientPicture> m_pPicture;  // window's thread only
};

}  // namespace drev
