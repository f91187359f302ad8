// CXHeaderCtrl: a header that paints itself — a flat face-coloured strip, etched dividers, a raised
// frame round the columns, and per column an image at its left and its caption centred in the rest.
#pragma once

#include <string>

#include "platform/base/types.h"
#include "platform/win/cheaderctrl.h"

namespace plat::gdi {
class CDC;
class CImageList;
}  // namespace plat::gdi

namespace drev {

// Bound to a list view's header window by the list (at most once). Item insertion, deletion and
// layout reach the platform header unchanged; an item's image index 0 means no image. Everything runs
// on the window's thread.
class CXHeaderCtrl : public plat::win::CHeaderCtrl {
 public:
  CXHeaderCtrl();

  // Horizontal gap in pixels: the inset of each item's content from its edges and the gap after an
  // image. The list reads it to place images in cells.
  int GetSpacing() const { return m_nSpacing; }
  void SetSpacing(int spacing) { m_nSpacing = spacing; }
  // Size of image 0 of the image list attached last (0 x 0 until a list with an image 0 is attached).
  plat::SIZE GetImageSize() const { return m_sizeImage; }
  // Whether painting goes through an off-screen context (on by default).
  void SetDoubleBuffer(bool on) { m_bDoubleBuffer = on ? 1 : 0; }

  plat::COLORREF GetFaceColor() const { return m_cr3DFace; }
  plat::COLORREF GetShadowColor() const { return m_cr3DShadow; }
  plat::COLORREF GetHighlightColor() const { return m_cr3DHighLight; }

  // The number of items, remembered from one insertion or deletion to the next (the list asks for
  // it on every cell operation); asked of the header window when not known.
  int GetKeptItemCount();

  // Longest caption shown, in bytes (the caption is read into an 80-byte buffer).
  static constexpr int kMaxCaption = 79;

 protected:
  void PreSubclassWindow() override {
    CHeaderCtrl::PreSubclassWindow();
    m_nItemCount = -1;
  }
  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;

 private:
  void OnPaint();
  void PaintHeader(plat::gdi::CDC& dc);
  // Draws one item's image and caption into `rect` (already inset by the spacing).
  void DrawItem(plat::gdi::CDC& dc, plat::RECT rect, const plat::win::HDITEM& item, const std::string& caption);
  plat::LRESULT OnSetImageList(plat::gdi::CImageList* images);
  void ReadSysColors();

  int m_nItemCount = -1;  // -1: not known; forgotten when items come or go and with the window
  int m_bDoubleBuffer = 1;
  int m_nSpacing = 6;
  plat::SIZE m_sizeImage{0, 0};
  plat::COLORREF m_cr3DHighLight = 0;
  plat::COLORREF m_cr3DShadow = 0;
  plat::COLORREF m_cr3DFace = 0;
};

}  // namespace drev
