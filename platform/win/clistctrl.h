// CListCtrl: the framework's object over a list view in report mode.
#pragma once

#include <string>

#include "platform/win/cheaderctrl.h"
#include "platform/win/cwnd.h"

namespace plat::win {

class CListCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  // Columns.
  int InsertColumn(int column, const LVCOLUMN* info);
  int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL DeleteColumn(int column);
  BOOL GetColumn(int column, LVCOLUMN* info) const;
  BOOL SetColumn(int column, const LVCOLUMN* info);
  int GetColumnWidth(int column) const;
  // The width goes to the list as a 16-bit value (-1 and -2 are the platform's autosize codes).
  BOOL SetColumnWidth(int column, int cx);
  // The list's header, as the object attached to it or a framework-owned one.
  CHeaderCtrl* GetHeaderCtrl() const;

  // Items. Insertion answers the new index or -1; texts are CP949.
  int GetItemCount() const;
  int InsertItem(const LVITEM* item);
  int InsertItem(int index, const char* text);
  int InsertItem(int index, const char* text, int image);
  BOOL DeleteItem(int index);
  BOOL DeleteAllItems();
  BOOL GetItem(LVITEM* item) const;
  BOOL SetItem(const LVITEM* item);
  BOOL SetItem(int index, int subItem, UINT mask, const char* text, int image, UINT state, UINT stateMask,
               LPARAM lParam);
  BOOL SetItemText(int index, int subItem, const char* text);
  std::string GetItemText(int index, int subItem) const;
  int GetItemText(int index, int subItem, char* buffer, int length) const;
  BOOL SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
  BOOL SetItemState(int index, UINT state, UINT mask);
  UINT GetItemState(int index, UINT mask) const;
  int GetNextItem(int start, int flags) const;
  UINT GetSelectedCount() const;

  // Geometry and hit tests (client coordinates).
  BOOL GetItemRect(int index, RECT* rect, UINT area) const;
  // Column 0's bounds are the whole row, as the platform answers.
  BOOL GetSubItemRect(int index, int subItem, int area, RECT& rect) const;
  int HitTest(LVHITTESTINFO* info) const;
  int HitTest(POINT point, UINT* flags = nullptr) const;
  int SubItemHitTest(LVHITTESTINFO* info);

  // Looks and styles.
  gdi::CImageList* SetImageList(gdi::CImageList* images, int which);
  gdi::CImageList* GetImageList(int which) const;
  DWORD SetExtendedStyle(DWORD style);
  DWORD GetExtendedStyle() const;
  COLORREF GetBkColor() const;
  BOOL SetBkColor(COLORREF color);
  COLORREF GetTextColor() const;
  BOOL SetTextColor(COLORREF color);
  COLORREF GetTextBkColor() const;
  BOOL SetTextBkColor(COLORREF color);
  BOOL RedrawItems(int first, int last);
  BOOL Update(int index);
  // Scrolling: the rows move by whole rows; Scroll takes pixels (cy) and rounds them to rows.
  BOOL EnsureVisible(int index, BOOL partialOk);
  BOOL Scroll(SIZE size);
  int GetTopIndex() const;
  int GetCountPerPage() const;
};

}  // namespace plat::win
