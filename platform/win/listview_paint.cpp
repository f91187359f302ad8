// The list view's paint: the custom-draw stages to the parent, then the default drawing of what the
// parent left to it.
#include <algorithm>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/controls_internal.h"
#include "platform/win/listview_internal.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win::detail {

namespace {

constexpr int kCellTextInset = 6;

COLORREF Resolve(COLORREF c, int sysColor) { return c == CLR_DEFAULT ? gdi::GetSysColor(sysColor) : c; }

UINT Alignment(const ListViewState& s, int column) {
  HDITEMA hd;
  hd.mask = HDI_FORMAT;
  SendMessage(s.header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&hd));
  switch (hd.fmt & HDF_JUSTIFYMASK) {
    case HDF_CENTER: return gdi::DT_CENTER;
    case HDF_RIGHT: return gdi::DT_RIGHT;
    default: return gdi::DT_LEFT;
  }
}

struct PaintContext {
  HWND hwnd;
  ListViewState& s;
  HDC dc;
  bool focused;
  bool showSelAlways;
};

void DrawCell(const PaintContext& p, int row, int column, COLORREF text, COLORREF back) {
  const ListItem& item = p.s.items[static_cast<std::size_t>(row)];
  RECT cell = CellRect(p.hwnd, p.s, row, column, LVIR_BOUNDS);
  bool selected = (item.state & LVIS_SELECTED) && (column == 0 || (p.s.exStyle & LVS_EX_FULLROWSELECT));
  if (selected && p.focused) {
    text = gdi::GetSysColor(gdi::COLOR_HIGHLIGHTTEXT);
    back = gdi::GetSysColor(gdi::COLOR_HIGHLIGHT);
  } else if (selected && p.showSelAlways) {
    text = gdi::GetSysColor(gdi::COLOR_WINDOWTEXT);
    back = gdi::GetSysColor(gdi::COLOR_BTNFACE);
  }
  p.dc->FillSolidRect(cell, back);
  int iconWidth = IconWidth(p.s, column);
  if (iconWidth > 0 && column == 0 && item.image >= 0) {
    SIZE image = SmallImageSize(p.s);
    POINT at{cell.left, (cell.top + cell.bottom) / 2 - image.cy / 2};
    SIZE shown{std::min(image.cx, cell.Width()), std::min(image.cy, cell.Height())};
    if (shown.cx > 0 && shown.cy > 0)
      p.s.smallImages->DrawEx(p.dc, item.image, at, shown, CLR_NONE, CLR_DEFAULT, gdi::ILD_TRANSPARENT);
  }
  int subItem = p.s.columnSubItem[static_cast<std::size_t>(column)];
  if (static_cast<std::size_t>(subItem) >= item.texts.size() || item.texts[static_cast<std::size_t>(subItem)].empty())
    return;
  RECT textRect{cell.left + iconWidth + kCellTextInset, cell.top, cell.right - kCellTextInset, cell.bottom};
  if (textRect.IsEmpty()) return;
  p.dc->SetBkMode(gdi::TRANSPARENT);
  p.dc->SetTextColor(text);
  p.dc->DrawText(item.texts[static_cast<std::size_t>(subItem)], &textRect,
                 Alignment(p.s, column) | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
}

// One row: the item stage, then each column's sub-item stage and default drawing.
void PaintRow(const PaintContext& p, int row, LRESULT whole) {
  const ListItem& item = p.s.items[static_cast<std::size_t>(row)];
  NMLVCUSTOMDRAW cd;
  cd.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  cd.nmcd.hdc = p.dc;
  cd.nmcd.rc = RowBounds(p.hwnd, p.s, row);
  cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
  cd.nmcd.uItemState = ((item.state & LVIS_SELECTED) ? CDIS_SELECTED : 0) | ((item.state & LVIS_FOCUSED) ? CDIS_FOCUS : 0);
  cd.nmcd.lItemlParam = item.lParam;
  cd.clrText = Resolve(p.s.textColor, gdi::COLOR_WINDOWTEXT);
  cd.clrTextBk = Resolve(p.s.textBkColor, gdi::COLOR_WINDOW);
  LRESULT itemResult = (whole & CDRF_NOTIFYITEMDRAW) ? NotifyParent(p.hwnd, NM_CUSTOMDRAW, &cd) : CDRF_DODEFAULT;
  if ((itemResult & CDRF_SKIPDEFAULT) || !p.s.Valid(row)) return;
  int columns = ColumnCount(p.s);
  for (int position = 0; position < columns; ++position) {
    int column = static_cast<int>(SendMessage(p.s.header, HDM_ORDERTOINDEX, static_cast<WPARAM>(position), 0));
    NMLVCUSTOMDRAW sub = cd;
    sub.iSubItem = column;
    if (itemResult & CDRF_NOTIFYSUBITEMDRAW) {
      sub.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
      sub.nmcd.rc = CellRect(p.hwnd, p.s, row, column, LVIR_BOUNDS);
      LRESULT subResult = NotifyParent(p.hwnd, NM_CUSTOMDRAW, &sub);
      if (!p.s.Valid(row) || column >= ColumnCount(p.s)) return;
      if (subResult & CDRF_SKIPDEFAULT) continue;
    }
    DrawCell(p, row, column, sub.clrText, sub.clrTextBk);
  }
  if (itemResult & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
    NotifyParent(p.hwnd, NM_CUSTOMDRAW, &cd);
  }
}

}  // namespace

void PaintList(HWND hwnd, ListViewState& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  DWORD style = static_cast<DWORD>(GetWindowLongPtr(hwnd, GWL_STYLE));
  PaintContext p{hwnd, s, dc, GetFocus() == hwnd, (style & LVS_SHOWSELALWAYS) != 0};
  gdi::CFont* oldFont = dc->SelectObject(ControlFont(hwnd));
  NMLVCUSTOMDRAW cd;
  cd.nmcd.dwDrawStage = CDDS_PREPAINT;
  cd.nmcd.hdc = dc;
  GetClientRect(hwnd, &cd.nmcd.rc);
  LRESULT whole = NotifyParent(hwnd, NM_CUSTOMDRAW, &cd);
  if (!(whole & CDRF_SKIPDEFAULT))
    for (int row = s.top; row < s.Count(); ++row) {
      RECT bounds = RowBounds(hwnd, s, row);
      if (bounds.top >= ps.rcPaint.bottom) break;  // the rows below are out of the paint's reach
      if (!IntersectRects(bounds, ps.rcPaint).IsEmpty()) PaintRow(p, row, whole);
    }
  if (whole & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.dwDrawStage = CDDS_POSTPAINT;
    NotifyParent(hwnd, NM_CUSTOMDRAW, &cd);
  }
  if (oldFont) dc->SelectObject(oldFont);
  EndPaint(hwnd, &ps);
}

}  // namespace plat::win::detail
