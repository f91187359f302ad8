// CXListCtrl: the report list that keeps a record of extra attributes for every cell (colours,
// check box, progress, cell image, bold, tooltip) plus an enabled flag and a caller value per row.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/image_list.h"
#include "platform/gdi/objects.h"
#include "platform/win/afxcmn.h"
#include "widgets/CXHeaderCtrl.h"
#include "widgets/XListCellData.h"

namespace drev {

// The registered message a mouse click on a cell's check box sends (synchronously) to the list's
// parent, or its owner when it has no parent: wParam = row, lParam = column; the answer is ignored.
// Its number comes from RegisterWindowMessageA("WM_XLISTCTRL_CHECKBOX_CLICKED").
extern const plat::UINT WM_XLISTCTRL_CHECKBOX_CLICKED;

// Rows and columns are zero-based. "In range" means 0 <= row < GetItemCount() and
// 0 <= column < GetColumns() (and, for a cell, that the row has a record for the column: a row has
// records only for the columns that existed when it was inserted). An operation given anything out
// of range changes nothing and answers the value in brackets in its comment. Every setter that
// changes a cell repaints that cell at once (UpdateSubItem). All operations run on the window's
// thread.
//
// Drawing and input: the list draws every cell itself through its own custom-draw notification
// (the parent does not see it): the cell image, else a progress bar, else a check box, else the small
// image and the text, in the cell's colours (greyed for a disabled row; selection colours for
// selected rows). A left click in any cell that has a check box toggles it and sends
// WM_XLISTCTRL_CHECKBOX_CLICKED; clicks on disabled rows are swallowed. A click on a column header
// whose check state is not 0 checks or unchecks every box of that column (then the parent sees the
// column click). With no rows, the empty-list picture (SetBkImage) is painted 5 pixels right of the
// centre. With tooltips on (EnableToolTips), each cell label is a tool with the cell's tooltip text.
//
// Each row's records travel with it: they hang on the list view's item parameter and are released
// (the parameter cleared first) before the row leaves the view, so the deletion notice the parent
// gets finds GetItemData answering 0.
class CXListCtrl : public plat::win::CListCtrl {
 public:
  CXListCtrl();
  ~CXListCtrl() override;

  // ----- rows -----
  // Inserts a row with column 0's text; column 0's record gets the cached window-text and window
  // colours (or those given) and image -1. The new index, or -1.
  int InsertItem(int nItem, const char* text);
  int InsertItem(int nItem, const char* text, plat::COLORREF crText, plat::COLORREF crBackground);
  // Inserts through the view; column 0's record gets the cached colours and the description's image
  // (LVIF_IMAGE; else -1). A caller's LVIF_PARAM value becomes the row's caller value.
  int InsertItem(const plat::win::LVITEM* pItem);
  // Releases the row's records, clears its item parameter, then deletes it from the view. [0]
  plat::BOOL DeleteItem(int nItem);
  // The same for every row, then deletes them all from the view.
  plat::BOOL DeleteAllItems();

  // ----- texts and items -----
  plat::BOOL SetItemText(int nItem, int nSubItem, const char* text);  // view's result [0]
  // Sets the text when one is given and stores the colours; (COLORREF)-1 stands for the cached
  // window-text / window colour. The view's result, or 1 without text. [0]
  plat::BOOL SetItemText(int nItem, int nSubItem, const char* text, plat::COLORREF crText,
                         plat::COLORREF crBackground);
  // Sets the item through the view (its LVIF_PARAM goes to the caller value, not the view), then
  // stores the description's image as the cell's image. 1 [-1 for a negative row; 0 when the view
  // refuses or the cell has no record]
  int SetItem(const plat::win::LVITEM* pItem);
  plat::BOOL SetItemImage(int nItem, int nSubItem, int nImage);  // 1 [0]
  void SetCellImage(int nItem, int nSubItem, int nImage);       // -1 removes it
  int GetCellImage(int nItem, int nSubItem);                    // [-1]

  // ----- check boxes -----
  // Sets the state (-1 removes the box), then brings the column's header box into line: unless the
  // header state is 0 it becomes 2 when every row's box is checked, else 1. 1 [0]
  plat::BOOL SetCheckbox(int nItem, int nSubItem, int nCheckedState);
  int GetCheckbox(int nItem, int nSubItem);                       // [-1]
  plat::BOOL SetHeaderCheckedState(int nSubItem, int nCheckedState);  // the header item's image 0/1/2; 1 [0]
  int GetHeaderCheckedState(int nSubItem);                        // [-1]
  int CountCheckedItems(int nSubItem);                            // rows whose box is 1 [0]

  // ----- other cell attributes -----
  plat::BOOL SetBold(int nItem, int nSubItem, plat::BOOL bBold);  // 1 [0]
  plat::BOOL GetBold(int nItem, int nSubItem);                    // [0]
  plat::BOOL SetEnabled(int nItem, plat::BOOL bEnable);           // column 0's flag, whole row repainted; 1 [0]
  plat::BOOL GetEnabled(int nItem);                               // [0]
  // A progress cell at 0 % with the show-text flag and format (empty: "%d%%"). 1 [0]
  plat::BOOL SetProgress(int nItem, int nSubItem, plat::BOOL bShowProgressText = 1, const char* lpszProgressText = "");
  void UpdateProgress(int nItem, int nSubItem, int nPercent);
  void DeleteProgress(int nItem, int nSubItem);  // back to text, percent 0
  plat::BOOL SetItemToolTipText(int nItem, int nSubItem, const char* text);  // no repaint; 1 [0]
  std::string GetItemToolTipText(int nItem, int nSubItem);                  // [empty]
  void DeleteAllToolTips();
  // The row's caller value, kept in column 0's record (no repaint). 1 [0] / value [0]
  plat::BOOL SetItemData(int nItem, plat::win::DWORD_PTR dwData);
  plat::win::DWORD_PTR GetItemData(int nItem);

  // ----- geometry and queries -----
  int GetColumns();  // the header's item count
  int GetCurSel();   // first selected row, or -1
  // The view's answer, except that column 0's rectangle ends where column 1's begins. [0]
  plat::BOOL GetSubItemRect(int nItem, int nSubItem, int nArea, plat::RECT& rect);
  // Invalidates the cell (with erasing) and updates the window at once. Nothing while drawing is
  // held (SetRedraw(FALSE)): nothing could be marked for painting then, and lifting the hold
  // repaints the whole list.
  void UpdateSubItem(int nItem, int nSubItem);

  // ----- empty-list picture -----
  // Discards the previous picture and palette, then loads bitmap resource `id` (or a name "#303" /
  // "303"): its size, and a palette of its colour table (up to 256 colours) or the halftone palette.
  // FALSE when the bitmap cannot be loaded (the old picture is gone then too).
  plat::BOOL SetBkImage(plat::UINT id);
  plat::BOOL SetBkImage(const char* name);
  bool HasBkImage() const { return m_nBkImageWidth > 0 && m_nBkImageHeight > 0; }
  plat::SIZE GetBkImageSize() const { return plat::SIZE{m_nBkImageWidth, m_nBkImageHeight}; }
  const plat::gdi::CPalette& GetBkImagePalette() const { return m_palBkImage; }

  // The records behind a row (null for a row without records or out of range).
  XListRowData* GetRowData(int nItem);

  // Image lists the owner fills: the header's check-box pictures (0 blank, 1 empty box, 2 ticked)
  // and the pictures drawn in cells with a cell image.
  plat::gdi::CImageList m_cImageListHeader;
  plat::gdi::CImageList m_cImageListCell;

 protected:
  void PreSubclassWindow() override;
  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;
  // The list view's own custom-draw and column-click notifications, offered back before the parent.
  plat::BOOL OnChildNotify(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam, plat::LRESULT* pResult) override;
  plat::win::INT_PTR OnToolHitTest(plat::POINT point, plat::win::TOOLINFOA* pTI) const override;

  // Drawing (CXListCtrl_draw.cpp).
  plat::LRESULT OnCustomDraw(plat::win::NMLVCUSTOMDRAW& cd);
  // The selection colours: a selected cell (any column with full-row select, else column 0) takes
  // the highlight colours when the list has the focus, window text on button face when it has not
  // but always shows its selection; otherwise the colours stay.
  void GetDrawColors(int nItem, int nSubItem, plat::COLORREF& crText, plat::COLORREF& crBkgnd);
  // Draws the small image (cell image when `cellImage`) after filling the cell; the width it took
  // (spacing + image width), or 0 when it drew none.
  int DrawImage(int nItem, int nSubItem, plat::gdi::CDC* pDC, plat::COLORREF crText, plat::COLORREF crBkgnd,
                plat::RECT rect, XListRowData* pRecords, bool cellImage);
  void DrawText(int nItem, int nSubItem, plat::gdi::CDC* pDC, plat::COLORREF crText, plat::COLORREF crBkgnd,
                plat::RECT rect, XListRowData* pRecords);
  void DrawCheckbox(int nItem, int nSubItem, plat::gdi::CDC* pDC, plat::COLORREF crText, plat::COLORREF crBkgnd,
                    plat::RECT rect, XListRowData* pRecords);
  void DrawProgress(int nItem, int nSubItem, plat::gdi::CDC* pDC, plat::COLORREF crText, plat::COLORREF crBkgnd,
                    plat::RECT rect, XListRowData* pRecords);

  // Input and the empty-list picture (CXListCtrl_input.cpp).
  void OnLButtonDown(plat::UINT nFlags, plat::POINT point);
  // The reflected column click: the header's check-all box. FALSE: the parent sees it too.
  plat::BOOL OnColumnClick(const plat::win::NMLISTVIEW& nm);
  void OnPaint();
  void PaintBkImage();
  // The tooltip text request, narrow or wide; TRUE when answered as handled.
  plat::BOOL OnToolTipText(plat::win::NMHDR* pNMHDR);
  // The header item's format for a column (0 when there is none).
  int HeaderFormat(int nSubItem);

  void GetColors();
  void SubclassHeaderControl();
  // The header window: the taken-over one, else the view's answer.
  plat::win::HWND HeaderWindow();
  // InsertItem with column 0's colours set before the row exists.
  int InsertRow(const plat::win::LVITEM* pItem, plat::COLORREF crText, plat::COLORREF crBackground);
  // The record of a cell in range, else null.
  XListCellData* Cell(int nItem, int nSubItem);
  // Releases a row's records after clearing its item parameter.
  void ReleaseRow(int nItem);
  // Keeps m_nChecked in step with one box of column `nSubItem` going from `before` to `after`.
  void NoteCheck(int nSubItem, int before, int after);
  void OnDestroy();

  // The header object (the list's header window is taken over by it once, when the control is
  // attached to a list window or creates its own; GetHeaderCtrl then answers it) and its flag.
  CXHeaderCtrl m_HeaderCtrl;
  bool m_bHeaderIsSubclassed = false;
  // Drawing held by WM_SETREDRAW FALSE, until WM_SETREDRAW TRUE.
  bool m_bRedrawHeld = false;

  // The colour cache: read at construction and after every system colour change.
  plat::COLORREF m_crGrayText = 0;
  plat::COLORREF m_crHighLight = 0;
  plat::COLORREF m_crHighLightText = 0;
  plat::COLORREF m_crWindow = 0;
  plat::COLORREF m_crWindowText = 0;
  plat::COLORREF m_cr3DFace = 0;
  plat::COLORREF m_crBtnShadow = 0;

  // The empty-list picture: the bitmap, the palette made for it, its size in pixels.
  plat::gdi::CBitmap m_bmpBkImage;
  plat::gdi::CPalette m_palBkImage;
  plat::LONG m_nBkImageWidth = 0;
  plat::LONG m_nBkImageHeight = 0;

  // Checked boxes (state 1) per sub-item, kept as boxes change and rows go, so that bringing the
  // header's box into line after each change does not walk every row.
  std::vector<int> m_nChecked;
};

}  // namespace drev
