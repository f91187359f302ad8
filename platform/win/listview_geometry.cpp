// The list view's geometry in report view: header placement, row and cell rectangles, hit tests.
#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/win/controls_internal.h"
#include "platform/win/listview_internal.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win::detail {

namespace {

constexpr int kTextPadding = 12;  // room around a cell's text when a column is sized to fit

}  // namespace

RECT RowBounds(HWND hwnd, const ListViewState& s, int index) {
  int top = HeaderHeight(hwnd, s) + (index - s.top) * RowHeight(hwnd, s);
  int right = 0;
  for (int c = 0; c < ColumnCount(s); ++c) right = std::max(right, static_cast<int>(ColumnSpan(s, c).right));
  return RECT{0, top, right, top + RowHeight(hwnd, s)};
}

int IconWidth(const ListViewState& s, int column) {
  if (column > 0 && !(s.exStyle & LVS_EX_SUBITEMIMAGES)) return 0;
  return SmallImageSize(s).cx;
}

RECT CellRect(HWND hwnd, const ListViewState& s, int index, int column, int code) {
  RECT row = RowBounds(hwnd, s, index);
  RECT span = ColumnSpan(s, column);
  RECT cell{span.left, row.top, span.right, row.bottom};
  int iconRight = std::min(cell.left + IconWidth(s, column), static_cast<int>(cell.right));
  if (code == LVIR_ICON) return RECT{cell.left, cell.top, iconRight, cell.bottom};
  if (code == LVIR_LABEL) return RECT{iconRight, cell.top, cell.right, cell.bottom};
  return cell;
}

int HeaderHeight(HWND, const ListViewState& s) {
  // The header's own visibility: a list laid out while it (or its parent) is hidden keeps the room.
  if (!s.header || !(GetWindowLongPtr(s.header, GWL_STYLE) & WS_VISIBLE)) return 0;
  RECT r{};
  GetClientRect(s.header, &r);
  return r.bottom;
}

int RowHeight(HWND hwnd, const ListViewState& s) {
  return std::max(FontLineHeight(ControlFont(hwnd)), static_cast<int>(SmallImageSize(s).cy)) + 1;
}

SIZE SmallImageSize(const ListViewState& s) {
  SIZE size{0, 0};
  int cx = 0, cy = 0;
  if (s.smallImages && s.smallImages->GetIconSize(&cx, &cy)) size = SIZE{cx, cy};
  return size;
}

RECT ColumnSpan(const ListViewState& s, int column) {
  RECT r{};
  if (!SendMessage(s.header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r))) return RECT{};
  return RECT{r.left, 0, r.right, 0};
}

void LayoutHeader(HWND hwnd, ListViewState& s) {
  if (!s.header) return;
  bool hidden = (GetWindowLongPtr(hwnd, GWL_STYLE) & LVS_NOCOLUMNHEADER) != 0;
  DWORD headerStyle = static_cast<DWORD>(GetWindowLongPtr(s.header, GWL_STYLE));
  SetWindowLongPtr(s.header, GWL_STYLE, hidden ? (headerStyle | HDS_HIDDEN) : (headerStyle & ~HDS_HIDDEN));
  RECT client{};
  GetClientRect(hwnd, &client);
  WINDOWPOS pos;
  HDLAYOUT layout{&client, &pos};
  SendMessage(s.header, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&layout));
  SetWindowPos(s.header, nullptr, pos.x, pos.y, pos.cx, pos.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(s.header, hidden ? SW_HIDE : SW_SHOWNA);
}

LRESULT GetItemRect(HWND hwnd, const ListViewState& s, int index, RECT* rect) {
  if (!rect || !s.Valid(index)) return FALSE;
  int code = rect->left;
  switch (code) {
    case LVIR_BOUNDS: *rect = RowBounds(hwnd, s, index); return TRUE;
    case LVIR_ICON:
    case LVIR_LABEL: *rect = CellRect(hwnd, s, index, 0, code); return TRUE;
    case LVIR_SELECTBOUNDS:
      *rect = (s.exStyle & LVS_EX_FULLROWSELECT) ? RowBounds(hwnd, s, index) : CellRect(hwnd, s, index, 0, LVIR_BOUNDS);
      return TRUE;
    default: return FALSE;
  }
}

LRESULT GetSubItemRect(HWND hwnd, const ListViewState& s, int index, RECT* rect) {
  if (!rect || !s.Valid(index)) return FALSE;
  int column = rect->top;
  int code = rect->left;
  if (column < 0 || column >= std::max(ColumnCount(s), 1)) return FALSE;
  if (code != LVIR_BOUNDS && code != LVIR_ICON && code != LVIR_LABEL) return FALSE;
  // As on the platform, column 0's bounds are the whole row.
  if (column == 0 && code == LVIR_BOUNDS) *rect = RowBounds(hwnd, s, index);
  else *rect = CellRect(hwnd, s, index, column, code);
  return TRUE;
}

LRESULT HitTest(HWND hwnd, const ListViewState& s, LVHITTESTINFO* info, bool subItems) {
  if (!info) return -1;
  POINT p = info->pt;
  RECT client{};
  GetClientRect(hwnd, &client);
  info->iItem = -1;
  info->iSubItem = 0;
  info->flags = 0;
  if (p.y < 0) info->flags |= LVHT_ABOVE;
  if (p.y >= client.bottom) info->flags |= LVHT_BELOW;
  if (p.x < 0) info->flags |= LVHT_TOLEFT;
  if (p.x >= client.right) info->flags |= LVHT_TORIGHT;
  if (info->flags) return -1;
  info->flags = LVHT_NOWHERE;
  int top = HeaderHeight(hwnd, s);
  if (p.y < top) return -1;
  int row = s.top + (p.y - top) / RowHeight(hwnd, s);
  if (!s.Valid(row)) return -1;
  for (int c = 0; c < ColumnCount(s); ++c) {
    RECT span = ColumnSpan(s, c);
    if (p.x < span.left || p.x >= span.right) continue;
    if (c > 0 && !subItems && !(s.exStyle & LVS_EX_FULLROWSELECT)) return -1;
    RECT icon = CellRect(hwnd, s, row, c, LVIR_ICON);
    info->flags = (p.x < icon.right && (c == 0 || subItems)) ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
    info->iItem = row;
    if (subItems) info->iSubItem = c;
    return row;
  }
  return -1;
}

void InvalidateItem(HWND hwnd, const ListViewState& s, int index) {
  // A row changed while the list's drawing is held (a batch of rows being built) marks nothing.
  if (!s.Valid(index) || !AcceptsInvalidation(hwnd)) return;
  RECT r = RowBounds(hwnd, s, index);
  RECT client{};
  GetClientRect(hwnd, &client);
  r.left = 0;
  r.right = std::max(r.right, client.right);
  InvalidateRect(hwnd, &r, TRUE);
}

int AutosizeWidth(HWND hwnd, const ListViewState& s, int column, bool useHeader) {
  gdi::CDC dc;
  dc.CreateCompatibleDC(nullptr);
  dc.SelectObject(ControlFont(hwnd));
  int subItem = s.columnSubItem[static_cast<std::size_t>(column)];
  int width = 0;
  for (const ListItem& item : s.items)
    if (static_cast<std::size_t>(subItem) < item.texts.size())
      width = std::max(width, static_cast<int>(dc.GetTextExtent(item.texts[static_cast<std::size_t>(subItem)]).cx));
  width += kTextPadding + IconWidth(s, column);
  if (useHeader) {
    char caption[260] = {};
    HDITEMA hd;
    hd.mask = HDI_TEXT;
    hd.pszText = caption;
    hd.cchTextMax = sizeof caption;
    SendMessage(s.header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd));
    width = std::max(width, static_cast<int>(dc.GetTextExtent(caption).cx) + kTextPadding);
    if (column == ColumnCount(s) - 1) {
      RECT client{};
      GetClientRect(hwnd, &client);
      width = std::max(width, static_cast<int>(client.right - ColumnSpan(s, column).left));
    }
  }
  return width;
}

}  // namespace plat::win::detail
