// The list view's state and the operations its message handler is made of. Private to plat::win.
#pragma once

#include <string>
#include <vector>

#include "platform/win/commctrl.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

struct ListItem {
  std::vector<std::string> texts;  // by sub-item index; [0] is the item's own text
  int image = 0;
  LPARAM lParam = 0;
  UINT state = 0;
  int indent = 0;
};

struct ListViewState : ControlData {
  HWND header = nullptr;
  std::vector<ListItem> items;
  std::vector<int> columnSubItem;  // column index -> sub-item index
  DWORD exStyle = 0;
  HIMAGELIST normalImages = nullptr;
  HIMAGELIST smallImages = nullptr;
  HIMAGELIST stateImages = nullptr;
  COLORREF bkColor = CLR_DEFAULT;
  COLORREF textColor = CLR_DEFAULT;
  COLORREF textBkColor = CLR_DEFAULT;
  bool deletingAll = false;
  int top = 0;         // the first row shown, right below the header
  int wheelTurn = 0;   // wheel turn not yet a whole notch

  int Count() const { return static_cast<int>(items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
};

// Items and columns (listview_items.cpp).
LRESULT InsertItem(HWND hwnd, ListViewState& s, const LVITEMA* item);
LRESULT DeleteItem(HWND hwnd, ListViewState& s, int index);
LRESULT DeleteAllItems(HWND hwnd, ListViewState& s);
LRESULT SetItem(HWND hwnd, ListViewState& s, const LVITEMA* item);
LRESULT GetItem(const ListViewState& s, LVITEMA* item);
LRESULT SetItemText(HWND hwnd, ListViewState& s, int index, const LVITEMA* item);
LRESULT GetItemText(const ListViewState& s, int index, LVITEMA* item);
LRESULT SetItemState(HWND hwnd, ListViewState& s, int index, const LVITEMA* item);
LRESULT GetNextItem(const ListViewState& s, int start, UINT flags);
LRESULT InsertColumn(HWND hwnd, ListViewState& s, int index, const LVCOLUMNA* column);
LRESULT SetColumn(HWND hwnd, ListViewState& s, int index, const LVCOLUMNA* column);
LRESULT GetColumn(const ListViewState& s, int index, LVCOLUMNA* column);
LRESULT DeleteColumn(HWND hwnd, ListViewState& s, int index);
LRESULT SetColumnWidth(HWND hwnd, ListViewState& s, int index, int width);
int ColumnWidth(const ListViewState& s, int index);
int ColumnCount(const ListViewState& s);

// Geometry (listview_geometry.cpp). Rows are laid out below the header, one row height apart, the
// top row first: row i lies at header height + (i - top) * row height.
int HeaderHeight(HWND hwnd, const ListViewState& s);
int RowHeight(HWND hwnd, const ListViewState& s);
SIZE SmallImageSize(const ListViewState& s);
RECT ColumnSpan(const ListViewState& s, int column);  // x extent of a column (top/bottom 0)
RECT RowBounds(HWND hwnd, const ListViewState& s, int index);
// The bounds, icon or label part (LVIR_ code) of one cell; column 0's cell ends where column 1's
// begins (unlike LVM_GETSUBITEMRECT's answer for column 0).
RECT CellRect(HWND hwnd, const ListViewState& s, int index, int column, int code);
// Width of the small images drawn in a column (0 when it shows none).
int IconWidth(const ListViewState& s, int column);
LRESULT GetItemRect(HWND hwnd, const ListViewState& s, int index, RECT* rect);
LRESULT GetSubItemRect(HWND hwnd, const ListViewState& s, int index, RECT* rect);
LRESULT HitTest(HWND hwnd, const ListViewState& s, LVHITTESTINFO* info, bool subItems);
void LayoutHeader(HWND hwnd, ListViewState& s);
// The width that fits the column's texts (and, with `useHeader`, its caption; the last column then
// also fills the rest of the client area).
int AutosizeWidth(HWND hwnd, const ListViewState& s, int column, bool useHeader);
void InvalidateItem(HWND hwnd, const ListViewState& s, int index);

// Vertical scrolling by whole rows (listview_scroll.cpp).
// The rows that fit wholly below the header.
int CountPerPage(HWND hwnd, const ListViewState& s);
// Holds the top row in range for the rows and room there are now (repainting when it moves) and
// sets the scroll bar: shown exactly when rows are out of view, unless LVS_NOSCROLL.
void UpdateScrollBars(HWND hwnd, ListViewState& s);
// Makes `row` the top row, held in range; moves the thumb and repaints the list when it changes.
void ScrollToRow(HWND hwnd, ListViewState& s, int row);
// Scrolls the least that shows the row wholly (with `partialOk`, a partly shown row is left as it
// is). FALSE for an index out of range.
LRESULT EnsureVisible(HWND hwnd, ListViewState& s, int index, bool partialOk);
// WM_VSCROLL: a row per line, a page of CountPerPage rows, the thumb's position, top and bottom.
LRESULT VScroll(HWND hwnd, ListViewState& s, WPARAM request);
// LVM_SCROLL: dy pixels, rounded to whole rows (dx has nothing to scroll).
LRESULT ScrollPixels(HWND hwnd, ListViewState& s, int dy);
// WM_MOUSEWHEEL: three rows per notch, turned away from the user scrolls up.
LRESULT MouseWheel(HWND hwnd, ListViewState& s, WPARAM wParam);

// Painting with the custom-draw stages (listview_paint.cpp).
void PaintList(HWND hwnd, ListViewState& s);

// Notices to the parent.
LRESULT NotifyItem(HWND hwnd, UINT code, int item, int subItem, LPARAM lParam);
void NotifyStateChange(HWND hwnd, const ListViewState& s, int item, UINT oldState, UINT newState);

}  // namespace plat::win::detail
