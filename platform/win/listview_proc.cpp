// The "SysListView32" class: its message dispatch, header child, mouse and keyboard handling, and
// the deletion notices when the window goes.
#include <algorithm>
#include <memory>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/controls_internal.h"
#include "platform/win/listview_internal.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win::detail {

namespace {

void CreateHeader(HWND hwnd, ListViewState& s) {
  DWORD style = static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE));
  DWORD headerStyle = WS_CHILD | HDS_HORZ | ((style & LVS_NOSORTHEADER) ? 0 : HDS_BUTTONS);
  s.header = CreateWindowEx(0, WC_HEADER, "", headerStyle, 0, 0, 0, 0, hwnd, 0, nullptr);
  LayoutHeader(hwnd, s);
}

// Selects `row` alone (or toggles it with Ctrl) and gives it the focus mark; -1 clears the selection.
void SelectByClick(HWND hwnd, ListViewState& s, int row, WPARAM keys) {
  LVITEMA change;
  if (keys & MK_CONTROL) {
    if (!s.Valid(row)) return;
    UINT selected = s.items[static_cast<std::size_t>(row)].state & LVIS_SELECTED;
    change.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    change.state = (selected ? 0 : LVIS_SELECTED) | LVIS_FOCUSED;
    SetItemState(hwnd, s, row, &change);
    return;
  }
  for (int i = 0; i < s.Count(); ++i) {
    if (i == row) continue;
    change.stateMask = LVIS_SELECTED;
    change.state = 0;
    SetItemState(hwnd, s, i, &change);
  }
  if (s.Valid(row)) {
    change.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    change.state = LVIS_SELECTED | LVIS_FOCUSED;
    SetItemState(hwnd, s, row, &change);
  }
}

// A left click selects the row under the point and tells the parent (NM_CLICK), as the platform's
// list does before the button comes up.
void LeftButtonDown(HWND hwnd, ListViewState& s, WPARAM keys, POINT p) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  LVHITTESTINFO hit;
  hit.pt = p;
  int row = HitTest(hwnd, s, &hit, false);
  SelectByClick(hwnd, s, row, keys);
  LVHITTESTINFO sub;
  sub.pt = p;
  HitTest(hwnd, s, &sub, true);
  NMITEMACTIVATE nm;
  nm.iItem = row;
  nm.iSubItem = row >= 0 ? sub.iSubItem : 0;
  nm.ptAction = p;
  nm.lParam = s.Valid(row) ? s.items[static_cast<std::size_t>(row)].lParam : 0;
  nm.uKeyFlags = static_cast<UINT>(keys);
  NotifyParent(hwnd, NM_CLICK, &nm);
}

void KeyDown(HWND hwnd, ListViewState& s, WPARAM key) {
  NMLVKEYDOWN nm;
  nm.wVKey = static_cast<WORD>(key);
  NotifyParent(hwnd, LVN_KEYDOWN, &nm);
  if (s.Count() == 0) return;
  int focus = static_cast<int>(GetNextItem(s, -1, LVNI_FOCUSED));
  int next = focus;
  switch (key) {
    case VK_UP: next = std::max(focus - 1, 0); break;
    case VK_DOWN: next = std::min(focus + 1, s.Count() - 1); break;
    case VK_HOME: next = 0; break;
    case VK_END: next = s.Count() - 1; break;
    default: return;
  }
  SelectByClick(hwnd, s, next, 0);
  EnsureVisible(hwnd, s, next, false);
}

LRESULT HeaderNotice(HWND hwnd, ListViewState& s, const NMHDR* hdr) {
  if (!hdr || hdr->hwndFrom != s.header) return 0;
  if (hdr->code == HDN_ITEMCLICKA) {
    const auto* nm = reinterpret_cast<const NMHEADERA*>(hdr);
    NotifyItem(hwnd, LVN_COLUMNCLICK, -1, nm->iItem, 0);
  }
  return 0;
}

LRESULT EraseBackground(HWND hwnd, const ListViewState& s, WPARAM wParam) {
  auto* dc = reinterpret_cast<gdi::CDC*>(wParam);
  if (!dc) return 0;
  RECT client{};
  GetClientRect(hwnd, &client);
  dc->FillSolidRect(client, s.bkColor == CLR_DEFAULT ? gdi::GetSysColor(gdi::COLOR_WINDOW) : s.bkColor);
  return 1;
}

LRESULT SetImageList(HWND hwnd, ListViewState& s, int which, HIMAGELIST list) {
  HIMAGELIST* slot = which == LVSIL_SMALL ? &s.smallImages : which == LVSIL_STATE ? &s.stateImages : &s.normalImages;
  HIMAGELIST previous = *slot;
  *slot = list;
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateScrollBars(hwnd, s);  // the small images' height may change the rows' height
  return reinterpret_cast<LRESULT>(previous);
}

// A list without LVS_SHAREIMAGELISTS destroys its image lists with itself, as the platform's does
// (the image list objects stay valid, emptied); a shared one only borrowed them.
void ReleaseImageLists(HWND hwnd, ListViewState& s) {
  if (GetWindowLongPtr(hwnd, GWL_STYLE) & LVS_SHAREIMAGELISTS) return;
  for (HIMAGELIST list : {s.normalImages, s.smallImages, s.stateImages})
    if (list) list->DeleteImageList();
  s.normalImages = s.smallImages = s.stateImages = nullptr;
}

LRESULT SetColour(HWND hwnd, COLORREF& slot, LPARAM value) {
  slot = static_cast<COLORREF>(value);
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT ListMessage(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  int index = static_cast<int>(wParam);
  auto* item = reinterpret_cast<LVITEMA*>(lParam);
  auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
  switch (msg) {
    case LVM_GETITEMCOUNT: return s.Count();
    case LVM_INSERTITEMA: return InsertItem(hwnd, s, item);
    case LVM_DELETEITEM: return DeleteItem(hwnd, s, index);
    case LVM_DELETEALLITEMS: return DeleteAllItems(hwnd, s);
    case LVM_SETITEMA: return SetItem(hwnd, s, item);
    case LVM_GETITEMA: return GetItem(s, item);
    case LVM_SETITEMTEXTA: return SetItemText(hwnd, s, index, item);
    case LVM_GETITEMTEXTA: return GetItemText(s, index, item);
    case LVM_SETITEMSTATE: return SetItemState(hwnd, s, index, item);
    case LVM_GETITEMSTATE:
      return s.Valid(index) ? static_cast<LRESULT>(s.items[static_cast<std::size_t>(index)].state & static_cast<UINT>(lParam)) : 0;
    case LVM_GETNEXTITEM: return GetNextItem(s, index, static_cast<UINT>(lParam));
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(s.items.begin(), s.items.end(), [](const ListItem& i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_INSERTCOLUMNA: return InsertColumn(hwnd, s, index, column);
    case LVM_SETCOLUMNA: return SetColumn(hwnd, s, index, column);
    case LVM_GETCOLUMNA: return GetColumn(s, index, column);
    case LVM_DELETECOLUMN: return DeleteColumn(hwnd, s, index);
    case LVM_SETCOLUMNWIDTH: return SetColumnWidth(hwnd, s, index, static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lParam))));
    case LVM_GETCOLUMNWIDTH: return ColumnWidth(s, index);
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(s.header);
    case LVM_SETIMAGELIST: return SetImageList(hwnd, s, index, reinterpret_cast<HIMAGELIST>(lParam));
    case LVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(index == LVSIL_SMALL ? s.smallImages : index == LVSIL_STATE ? s.stateImages : s.normalImages);
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD previous = s.exStyle;
      DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
      s.exStyle = (s.exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
      InvalidateRect(hwnd, nullptr, TRUE);
      return previous;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return s.exStyle;
    case LVM_GETITEMRECT: return GetItemRect(hwnd, s, index, reinterpret_cast<RECT*>(lParam));
    case LVM_GETSUBITEMRECT: return GetSubItemRect(hwnd, s, index, reinterpret_cast<RECT*>(lParam));
    case LVM_HITTEST: return HitTest(hwnd, s, reinterpret_cast<LVHITTESTINFO*>(lParam), false);
    case LVM_SUBITEMHITTEST: return HitTest(hwnd, s, reinterpret_cast<LVHITTESTINFO*>(lParam), true);
    case LVM_REDRAWITEMS:
      for (int i = std::max(index, 0); i <= static_cast<int>(lParam) && i < s.Count(); ++i) InvalidateItem(hwnd, s, i);
      return TRUE;
    case LVM_UPDATE:
      InvalidateItem(hwnd, s, index);
      UpdateWindow(hwnd);
      return s.Valid(index);
    case LVM_ENSUREVISIBLE: return EnsureVisible(hwnd, s, index, lParam != 0);
    case LVM_SCROLL: return ScrollPixels(hwnd, s, static_cast<int>(lParam));
    case LVM_GETTOPINDEX: return s.top;
    case LVM_GETCOUNTPERPAGE: return CountPerPage(hwnd, s);
    case LVM_GETBKCOLOR: return s.bkColor == CLR_DEFAULT ? gdi::GetSysColor(gdi::COLOR_WINDOW) : s.bkColor;
    case LVM_SETBKCOLOR: return SetColour(hwnd, s.bkColor, lParam);
    case LVM_GETTEXTCOLOR: return s.textColor == CLR_DEFAULT ? gdi::GetSysColor(gdi::COLOR_WINDOWTEXT) : s.textColor;
    case LVM_SETTEXTCOLOR: return SetColour(hwnd, s.textColor, lParam);
    case LVM_GETTEXTBKCOLOR: return s.textBkColor == CLR_DEFAULT ? gdi::GetSysColor(gdi::COLOR_WINDOW) : s.textBkColor;
    case LVM_SETTEXTBKCOLOR: return SetColour(hwnd, s.textBkColor, lParam);
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

LRESULT WindowMessage(HWND hwnd, ListViewState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: CreateHeader(hwnd, s); return 0;
    case WM_SIZE:
      LayoutHeader(hwnd, s);
      UpdateScrollBars(hwnd, s);
      return 0;
    case WM_SETFONT:
      DefWindowProc(hwnd, msg, wParam, lParam);
      if (s.header) SendMessage(s.header, WM_SETFONT, wParam, lParam);
      LayoutHeader(hwnd, s);
      UpdateScrollBars(hwnd, s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_VSCROLL: return VScroll(hwnd, s, wParam);
    case WM_MOUSEWHEEL: return MouseWheel(hwnd, s, wParam);
    case WM_NOTIFY: return HeaderNotice(hwnd, s, reinterpret_cast<const NMHDR*>(lParam));
    case WM_LBUTTONDOWN: LeftButtonDown(hwnd, s, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_KEYDOWN: KeyDown(hwnd, s, wParam); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      NMHDR nm;
      NotifyParent(hwnd, msg == WM_SETFOCUS ? NM_SETFOCUS : NM_KILLFOCUS, &nm);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_SETREDRAW:
      // As the platform's list does (and callers rely on): turning drawing back on repaints the
      // whole list, since whatever changed while it was off was never marked for painting.
      DefWindowProc(hwnd, msg, wParam, lParam);
      if (wParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND: return EraseBackground(hwnd, s, wParam);
    case WM_PAINT: PaintList(hwnd, s); return 0;
    case WM_NCDESTROY:
      // The remaining items go with the window, each with its deletion notice.
      if (!s.items.empty()) DeleteAllItems(hwnd, s);
      ReleaseImageLists(hwnd, s);
      return DefWindowProc(hwnd, msg, wParam, lParam);
    default: return ListMessage(hwnd, s, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) SetControl(hwnd, std::make_shared<ListViewState>());
  // Holding the state keeps it alive should a notice's handler destroy the window.
  auto state = ControlOf<ListViewState>(hwnd);
  if (!state) return DefWindowProc(hwnd, msg, wParam, lParam);
  return WindowMessage(hwnd, *state, msg, wParam, lParam);
}

}  // namespace plat::win::detail
