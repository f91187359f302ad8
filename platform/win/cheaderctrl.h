// CHeaderCtrl: the framework's object over a header control.
#pragma once

#include "platform/win/cwnd.h"

namespace plat::win {

class CHeaderCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int GetItemCount() const;
  // The new item's index, or -1.
  int InsertItem(int index, const HDITEM* item);
  BOOL DeleteItem(int index);
  BOOL GetItem(int index, HDITEM* item) const;
  BOOL SetItem(int index, const HDITEM* item);
  BOOL GetItemRect(int index, RECT* rect) const;
  // Attaches an image list (not owned) and returns the previous one.
  gdi::CImageList* SetImageList(gdi::CImageList* images);
  gdi::CImageList* GetImageList() const;
  int OrderToIndex(int order) const;
  BOOL Layout(HDLAYOUT* layout);
  int HitTest(HDHITTESTINFO* info) const;
};

}  // namespace plat::win
