// A CXListCtrl in a host window with the attachment list's three columns, and helpers to find its
// cells on screen.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/image_list.h"
#include "widget_host.h"
#include "widgets/CXListCtrl.h"

namespace drev::widgets_test {

constexpr COLORREF kIconBlue = RGB(0, 0, 200);
constexpr COLORREF kIconGreen = RGB(0, 150, 0);

// Image lists of solid pictures: image i is `colours[i]`, each `cx` x `cy`.
void FillSolidImages(gdi::CImageList& list, int cx, int cy, std::initializer_list<COLORREF> colours);

class ListTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // Creates the list (380 x 250, no frame) with `style` added to a report view, and its columns
  // 40 (left), 170 (left) and 70 (centred) wide. Like the attachment list it has a small-icon list
  // of 16 x 16 pictures (image 0 blue, 1 green), so its rows are 17 pixels high.
  void MakeList(DWORD style = 0);
  // Appends rows whose column 1 text is `name` and column 2 text is `size`.
  int AddRow(const std::string& name = "name", const std::string& size = "1KB");
  RECT Cell(int row, int column);
  POINT Centre(const RECT& r) const { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  COLORREF At(int x, int y) { return Pixel(list, x, y); }
  COLORREF Window() const { return gdi::GetSysColor(gdi::COLOR_WINDOW); }

  Host host{420, 300};
  gdi::CImageList smallIcons;  // outlives the list, which releases it with its window
  CXListCtrl list;
  SysColorsGuard colours;
};

}  // namespace drev::widgets_test
