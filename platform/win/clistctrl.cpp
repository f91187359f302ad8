// CListCtrl.
#include "platform/win/clistctrl.h"

#include <vector>

#include "platform/win/afx_internal.h"

namespace plat::win {

namespace {
LPARAM Ptr(const void* p) { return reinterpret_cast<LPARAM>(p); }
WPARAM Index(int i) { return static_cast<WPARAM>(i); }
}  // namespace

BOOL CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create(WC_LISTVIEW, "", style, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, const LVCOLUMN* info) {
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, Index(column), Ptr(info)));
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
  LVCOLUMN info;
  info.mask = LVCF_TEXT | LVCF_FMT;
  info.fmt = format;
  std::string text = heading ? heading : "";
  info.pszText = text.data();
  if (width != -1) {
    info.mask |= LVCF_WIDTH;
    info.cx = width;
  }
  if (subItem != -1) {
    info.mask |= LVCF_SUBITEM;
    info.iSubItem = subItem;
  }
  return InsertColumn(column, &info);
}

BOOL CListCtrl::DeleteColumn(int column) { return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, Index(column))); }
BOOL CListCtrl::GetColumn(int column, LVCOLUMN* info) const {
  return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNA, Index(column), Ptr(info)));
}
BOOL CListCtrl::SetColumn(int column, const LVCOLUMN* info) {
  return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNA, Index(column), Ptr(info)));
}
int CListCtrl::GetColumnWidth(int column) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, Index(column))); }
BOOL CListCtrl::SetColumnWidth(int column, int cx) {
  return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, Index(column), MAKELPARAM(static_cast<WORD>(cx), 0)));
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
  return afx::ObjectOf<CHeaderCtrl>(reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)));
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
int CListCtrl::InsertItem(const LVITEM* item) { return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, Ptr(item))); }

int CListCtrl::InsertItem(int index, const char* text) {
  LVITEM item;
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(text);
  return InsertItem(&item);
}

int CListCtrl::InsertItem(int index, const char* text, int image) {
  LVITEM item;
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = index;
  item.pszText = const_cast<char*>(text);
  item.iImage = image;
  return InsertItem(&item);
}

BOOL CListCtrl::DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, Index(index))); }
BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
BOOL CListCtrl::GetItem(LVITEM* item) const { return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, Ptr(item))); }
BOOL CListCtrl::SetItem(const LVITEM* item) { return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, Ptr(item))); }

BOOL CListCtrl::SetItem(int index, int subItem, UINT mask, const char* text, int image, UINT state, UINT stateMask,
                        LPARAM lParam) {
  LVITEM item;
  item.mask = mask;
  item.iItem = index;
  item.iSubItem = subItem;
  item.pszText = const_cast<char*>(text);
  item.iImage = image;
  item.state = state;
  item.stateMask = stateMask;
  item.lParam = lParam;
  return SetItem(&item);
}

BOOL CListCtrl::SetItemText(int index, int subItem, const char* text) {
  LVITEM item;
  item.iSubItem = subItem;
  item.pszText = const_cast<char*>(text);
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, Index(index), Ptr(&item)));
}

std::string CListCtrl::GetItemText(int index, int subItem) const {
  // The list answers at most capacity - 1 bytes: grow until the text fits.
  for (int capacity = 256;; capacity *= 4) {
    std::vector<char> buffer(static_cast<std::size_t>(capacity), '\0');
    int length = GetItemText(index, subItem, buffer.data(), capacity);
    if (length < capacity - 1) return std::string(buffer.data(), static_cast<std::size_t>(length));
  }
}

int CListCtrl::GetItemText(int index, int subItem, char* buffer, int length) const {
  LVITEM item;
  item.iSubItem = subItem;
  item.pszText = buffer;
  item.cchTextMax = length;
  return static_cast<int>(SendMessage(LVM_GETITEMTEXTA, Index(index), Ptr(&item)));
}

BOOL CListCtrl::SetItemData(int index, DWORD_PTR data) {
  return SetItem(index, 0, LVIF_PARAM, nullptr, 0, 0, 0, static_cast<LPARAM>(data));
}

DWORD_PTR CListCtrl::GetItemData(int index) const {
  LVITEM item;
  item.mask = LVIF_PARAM;
  item.iItem = index;
  return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int index, UINT state, UINT mask) {
  LVITEM item;
  item.state = state;
  item.stateMask = mask;
  return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, Index(index), Ptr(&item)));
}
UINT CListCtrl::GetItemState(int index, UINT mask) const {
  return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, Index(index), static_cast<LPARAM>(mask)));
}
int CListCtrl::GetNextItem(int start, int flags) const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, Index(start), static_cast<LPARAM>(flags)));
}
UINT CListCtrl::GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }

BOOL CListCtrl::GetItemRect(int index, RECT* rect, UINT area) const {
  if (!rect) return FALSE;
  rect->left = static_cast<LONG>(area);
  return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, Index(index), Ptr(rect)));
}

BOOL CListCtrl::GetSubItemRect(int index, int subItem, int area, RECT& rect) const {
  rect.top = subItem;
  rect.left = area;
  return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, Index(index), Ptr(&rect)));
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const { return static_cast<int>(SendMessage(LVM_HITTEST, 0, Ptr(info))); }

int CListCtrl::HitTest(POINT point, UINT* flags) const {
  LVHITTESTINFO info;
  info.pt = point;
  int index = HitTest(&info);
  if (flags) *flags = info.flags;
  return index;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) {
  return static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, Ptr(info)));
}

gdi::CImageList* CListCtrl::SetImageList(gdi::CImageList* images, int which) {
  return reinterpret_cast<gdi::CImageList*>(SendMessage(LVM_SETIMAGELIST, Index(which), Ptr(images)));
}
gdi::CImageList* CListCtrl::GetImageList(int which) const {
  return reinterpret_cast<gdi::CImageList*>(SendMessage(LVM_GETIMAGELIST, Index(which)));
}
DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
}
DWORD CListCtrl::GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
COLORREF CListCtrl::GetBkColor() const { return static_cast<COLORREF>(SendMessage(LVM_GETBKCOLOR)); }
BOOL CListCtrl::SetBkColor(COLORREF c) { return static_cast<BOOL>(SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(c))); }
COLORREF CListCtrl::GetTextColor() const { return static_cast<COLORREF>(SendMessage(LVM_GETTEXTCOLOR)); }
BOOL CListCtrl::SetTextColor(COLORREF c) { return static_cast<BOOL>(SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(c))); }
COLORREF CListCtrl::GetTextBkColor() const { return static_cast<COLORREF>(SendMessage(LVM_GETTEXTBKCOLOR)); }
BOOL CListCtrl::SetTextBkColor(COLORREF c) {
  return static_cast<BOOL>(SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(c)));
}
BOOL CListCtrl::RedrawItems(int first, int last) {
  return static_cast<BOOL>(SendMessage(LVM_REDRAWITEMS, Index(first), static_cast<LPARAM>(last)));
}
BOOL CListCtrl::Update(int index) { return static_cast<BOOL>(SendMessage(LVM_UPDATE, Index(index))); }
BOOL CListCtrl::EnsureVisible(int index, BOOL partialOk) {
  return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, Index(index), partialOk));
}
BOOL CListCtrl::Scroll(SIZE size) {
  return static_cast<BOOL>(SendMessage(LVM_SCROLL, static_cast<WPARAM>(size.cx), static_cast<LPARAM>(size.cy)));
}
int CListCtrl::GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
int CListCtrl::GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }

}  // namespace plat::win
