// CHeaderCtrl.
#include "platform/win/cheaderctrl.h"

namespace plat::win {

BOOL CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(WC_HEADER, "", style, rect, parent, id);
}
int CHeaderCtrl::GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
int CHeaderCtrl::InsertItem(int index, const HDITEM* item) {
  return static_cast<int>(SendMessage(HDM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
BOOL CHeaderCtrl::DeleteItem(int index) { return static_cast<BOOL>(SendMessage(HDM_DELETEITEM, static_cast<WPARAM>(index))); }
BOOL CHeaderCtrl::GetItem(int index, HDITEM* item) const {
  return static_cast<BOOL>(SendMessage(HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
BOOL CHeaderCtrl::SetItem(int index, const HDITEM* item) {
  return static_cast<BOOL>(SendMessage(HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
}
BOOL CHeaderCtrl::GetItemRect(int index, RECT* rect) const {
  return static_cast<BOOL>(SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
}
gdi::CImageList* CHeaderCtrl::SetImageList(gdi::CImageList* images) {
  return reinterpret_cast<gdi::CImageList*>(SendMessage(HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images)));
}
gdi::CImageList* CHeaderCtrl::GetImageList() const {
  return reinterpret_cast<gdi::CImageList*>(SendMessage(HDM_GETIMAGELIST));
}
int CHeaderCtrl::OrderToIndex(int order) const {
  return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, static_cast<WPARAM>(order)));
}
BOOL CHeaderCtrl::Layout(HDLAYOUT* layout) {
  return static_cast<BOOL>(SendMessage(HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(layout)));
}
int CHeaderCtrl::HitTest(HDHITTESTINFO* info) const {
  return static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(info)));
}

}  // namespace plat::win
