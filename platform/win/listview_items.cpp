// The list view's items, sub-item texts, states and columns (columns live in the header child).
#include <algorithm>
#include <cstring>

#include "platform/win/controls_internal.h"
#include "platform/win/listview_internal.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace plat::win::detail {

namespace {

bool IsCallbackText(const char* text) { return text == LPSTR_TEXTCALLBACKA; }

void StoreText(ListItem& item, int subItem, const char* text) {
  if (subItem < 0) return;
  if (item.texts.size() <= static_cast<std::size_t>(subItem)) item.texts.resize(static_cast<std::size_t>(subItem) + 1);
  item.texts[static_cast<std::size_t>(subItem)] = (text && !IsCallbackText(text)) ? text : "";
}

LRESULT CopyOut(const std::string& text, char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  std::size_t n = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

const std::string& TextOf(const ListItem& item, int subItem) {
  static const std::string empty;
  if (subItem < 0 || static_cast<std::size_t>(subItem) >= item.texts.size()) return empty;
  return item.texts[static_cast<std::size_t>(subItem)];
}

// Applies a state change to one item; LVIS_FOCUSED moves, and single selection stays single.
void ChangeState(HWND hwnd, ListViewState& s, int index, UINT state, UINT mask) {
  if (!s.Valid(index)) return;
  UINT old = s.items[static_cast<std::size_t>(index)].state;
  UINT next = (old & ~mask) | (state & mask);
  if (next == old) return;
  bool single = (GetWindowLongPtr(hwnd, GWL_STYLE) & LVS_SINGLESEL) != 0;
  if ((next & LVIS_FOCUSED) && !(old & LVIS_FOCUSED))
    for (int i = 0; i < s.Count(); ++i)
      if (i != index && (s.items[static_cast<std::size_t>(i)].state & LVIS_FOCUSED))
        ChangeState(hwnd, s, i, 0, LVIS_FOCUSED);
  if (single && (next & LVIS_SELECTED) && !(old & LVIS_SELECTED))
    for (int i = 0; i < s.Count(); ++i)
      if (i != index && (s.items[static_cast<std::size_t>(i)].state & LVIS_SELECTED))
        ChangeState(hwnd, s, i, 0, LVIS_SELECTED);
  if (!s.Valid(index)) return;
  s.items[static_cast<std::size_t>(index)].state = next;
  InvalidateItem(hwnd, s, index);
  NotifyStateChange(hwnd, s, index, old, next);
}

HDITEMA ToHeaderItem(const LVCOLUMNA& column) {
  HDITEMA hd;
  if (column.mask & LVCF_WIDTH) {
    hd.mask |= HDI_WIDTH;
    hd.cxy = column.cx;
  }
  if ((column.mask & LVCF_TEXT) && column.pszText) {
    hd.mask |= HDI_TEXT;
    hd.pszText = column.pszText;
  }
  if (column.mask & LVCF_FMT) {
    hd.mask |= HDI_FORMAT;
    hd.fmt = (column.fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING;
    if (column.fmt & LVCFMT_IMAGE) hd.fmt |= HDF_IMAGE;
    if (column.fmt & LVCFMT_BITMAP_ON_RIGHT) hd.fmt |= HDF_BITMAP_ON_RIGHT;
  }
  if (column.mask & LVCF_IMAGE) {
    hd.mask |= HDI_IMAGE;
    hd.iImage = column.iImage;
  }
  if (column.mask & LVCF_ORDER) {
    hd.mask |= HDI_ORDER;
    hd.iOrder = column.iOrder;
  }
  return hd;
}

}  // namespace

LRESULT NotifyItem(HWND hwnd, UINT code, int item, int subItem, LPARAM lParam) {
  NMLISTVIEW nm;
  nm.iItem = item;
  nm.iSubItem = subItem;
  nm.lParam = lParam;
  return NotifyParent(hwnd, code, &nm);
}

void NotifyStateChange(HWND hwnd, const ListViewState& s, int item, UINT oldState, UINT newState) {
  NMLISTVIEW nm;
  nm.iItem = item;
  nm.uOldState = oldState;
  nm.uNewState = newState;
  nm.uChanged = LVIF_STATE;
  nm.lParam = s.Valid(item) ? s.items[static_cast<std::size_t>(item)].lParam : 0;
  NotifyParent(hwnd, LVN_ITEMCHANGED, &nm);
}

LRESULT InsertItem(HWND hwnd, ListViewState& s, const LVITEMA* item) {
  if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
  int index = std::min(item->iItem, s.Count());
  ListItem row;
  if (item->mask & LVIF_TEXT) StoreText(row, 0, item->pszText);
  if (item->mask & LVIF_IMAGE) row.image = item->iImage;
  if (item->mask & LVIF_PARAM) row.lParam = item->lParam;
  if (item->mask & LVIF_INDENT) row.indent = item->iIndent;
  if (item->mask & LVIF_STATE) row.state = item->state & item->stateMask;
  s.items.insert(s.items.begin() + index, std::move(row));
  for (int i = index; i < s.Count(); ++i) InvalidateItem(hwnd, s, i);
  UpdateScrollBars(hwnd, s);
  NotifyItem(hwnd, LVN_INSERTITEM, index, 0, 0);
  return index;
}

LRESULT DeleteItem(HWND hwnd, ListViewState& s, int index) {
  if (!s.Valid(index)) return FALSE;
  NotifyItem(hwnd, LVN_DELETEITEM, index, 0, s.items[static_cast<std::size_t>(index)].lParam);
  // The parent may have changed the list while it handled the notice.
  if (!s.Valid(index)) return FALSE;
  s.items.erase(s.items.begin() + index);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateScrollBars(hwnd, s);
  return TRUE;
}

LRESULT DeleteAllItems(HWND hwnd, ListViewState& s) {
  if (s.deletingAll) return FALSE;
  s.deletingAll = true;
  // A nonzero answer asks for no per-item notices.
  bool suppress = NotifyItem(hwnd, LVN_DELETEALLITEMS, -1, 0, 0) != 0;
  if (!suppress)
    for (int i = s.Count() - 1; i >= 0; --i)
      if (s.Valid(i)) NotifyItem(hwnd, LVN_DELETEITEM, i, 0, s.items[static_cast<std::size_t>(i)].lParam);
  s.items.clear();
  s.top = 0;
  s.deletingAll = false;
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateScrollBars(hwnd, s);
  return TRUE;
}

LRESULT SetItem(HWND hwnd, ListViewState& s, const LVITEMA* item) {
  if (!item || !s.Valid(item->iItem) || item->iSubItem < 0) return FALSE;
  ListItem& row = s.items[static_cast<std::size_t>(item->iItem)];
  if (item->iSubItem > 0) {
    // A sub-item holds only its text.
    if (!(item->mask & LVIF_TEXT)) return TRUE;
    StoreText(row, item->iSubItem, item->pszText);
    InvalidateItem(hwnd, s, item->iItem);
    return TRUE;
  }
  if (item->mask & LVIF_TEXT) StoreText(row, 0, item->pszText);
  if (item->mask & LVIF_IMAGE) row.image = item->iImage;
  if (item->mask & LVIF_PARAM) row.lParam = item->lParam;
  if (item->mask & LVIF_INDENT) row.indent = item->iIndent;
  InvalidateItem(hwnd, s, item->iItem);
  if (item->mask & LVIF_STATE) ChangeState(hwnd, s, item->iItem, item->state, item->stateMask);
  return TRUE;
}

LRESULT GetItem(const ListViewState& s, LVITEMA* item) {
  if (!item || !s.Valid(item->iItem) || item->iSubItem < 0) return FALSE;
  const ListItem& row = s.items[static_cast<std::size_t>(item->iItem)];
  if (item->mask & LVIF_TEXT) CopyOut(TextOf(row, item->iSubItem), item->pszText, item->cchTextMax);
  if (item->mask & LVIF_IMAGE) item->iImage = item->iSubItem == 0 ? row.image : 0;
  if (item->mask & LVIF_PARAM) item->lParam = row.lParam;
  if (item->mask & LVIF_INDENT) item->iIndent = row.indent;
  if (item->mask & LVIF_STATE) item->state = row.state & item->stateMask;
  return TRUE;
}

LRESULT SetItemText(HWND hwnd, ListViewState& s, int index, const LVITEMA* item) {
  if (!item || !s.Valid(index) || item->iSubItem < 0) return FALSE;
  StoreText(s.items[static_cast<std::size_t>(index)], item->iSubItem, item->pszText);
  InvalidateItem(hwnd, s, index);
  return TRUE;
}

LRESULT GetItemText(const ListViewState& s, int index, LVITEMA* item) {
  if (!item || !s.Valid(index)) return 0;
  return CopyOut(TextOf(s.items[static_cast<std::size_t>(index)], item->iSubItem), item->pszText, item->cchTextMax);
}

LRESULT SetItemState(HWND hwnd, ListViewState& s, int index, const LVITEMA* item) {
  if (!item) return FALSE;
  if (index == -1) {
    for (int i = 0; i < s.Count(); ++i) ChangeState(hwnd, s, i, item->state, item->stateMask);
    return TRUE;
  }
  if (!s.Valid(index)) return FALSE;
  ChangeState(hwnd, s, index, item->state, item->stateMask);
  return TRUE;
}

LRESULT GetNextItem(const ListViewState& s, int start, UINT flags) {
  UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
  auto matches = [&](int i) { return (s.items[static_cast<std::size_t>(i)].state & want) == want; };
  if (flags & LVNI_ABOVE) {
    for (int i = std::min(start, s.Count()) - 1; i >= 0; --i)
      if (matches(i)) return i;
    return -1;
  }
  for (int i = std::max(start + 1, 0); i < s.Count(); ++i)
    if (matches(i)) return i;
  return -1;
}

int ColumnCount(const ListViewState& s) { return static_cast<int>(s.columnSubItem.size()); }

LRESULT InsertColumn(HWND, ListViewState& s, int index, const LVCOLUMNA* column) {
  if (!column || index < 0) return -1;
  index = std::min(index, ColumnCount(s));
  HDITEMA hd = ToHeaderItem(*column);
  if (SendMessage(s.header, HDM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd)) < 0) return -1;
  int subItem = (column->mask & LVCF_SUBITEM) ? column->iSubItem : index;
  s.columnSubItem.insert(s.columnSubItem.begin() + index, subItem);
  return index;
}

LRESULT SetColumn(HWND hwnd, ListViewState& s, int index, const LVCOLUMNA* column) {
  if (!column || index < 0 || index >= ColumnCount(s)) return FALSE;
  HDITEMA hd = ToHeaderItem(*column);
  hd.mask &= ~HDI_ORDER;
  SendMessage(s.header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
  if (column->mask & LVCF_SUBITEM) s.columnSubItem[static_cast<std::size_t>(index)] = column->iSubItem;
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT GetColumn(const ListViewState& s, int index, LVCOLUMNA* column) {
  if (!column || index < 0 || index >= ColumnCount(s)) return FALSE;
  HDITEMA hd;
  hd.mask = HDI_WIDTH | HDI_FORMAT | HDI_IMAGE | HDI_ORDER;
  if ((column->mask & LVCF_TEXT) && column->pszText) {
    hd.mask |= HDI_TEXT;
    hd.pszText = column->pszText;
    hd.cchTextMax = column->cchTextMax;
  }
  SendMessage(s.header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
  if (column->mask & LVCF_WIDTH) column->cx = hd.cxy;
  if (column->mask & LVCF_FMT) {
    column->fmt = hd.fmt & LVCFMT_JUSTIFYMASK;
    if (hd.fmt & HDF_IMAGE) column->fmt |= LVCFMT_IMAGE;
    if (hd.fmt & HDF_BITMAP_ON_RIGHT) column->fmt |= LVCFMT_BITMAP_ON_RIGHT;
  }
  if (column->mask & LVCF_IMAGE) column->iImage = hd.iImage;
  if (column->mask & LVCF_ORDER) column->iOrder = hd.iOrder;
  if (column->mask & LVCF_SUBITEM) column->iSubItem = s.columnSubItem[static_cast<std::size_t>(index)];
  return TRUE;
}

LRESULT DeleteColumn(HWND hwnd, ListViewState& s, int index) {
  if (index < 0 || index >= ColumnCount(s)) return FALSE;
  SendMessage(s.header, HDM_DELETEITEM, static_cast<WPARAM>(index), 0);
  s.columnSubItem.erase(s.columnSubItem.begin() + index);
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

int ColumnWidth(const ListViewState& s, int index) {
  HDITEMA hd;
  hd.mask = HDI_WIDTH;
  if (!SendMessage(s.header, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd))) return 0;
  return hd.cxy;
}

LRESULT SetColumnWidth(HWND hwnd, ListViewState& s, int index, int width) {
  constexpr int kAutosize = -1;
  constexpr int kAutosizeUseHeader = -2;
  if (index < 0 || index >= ColumnCount(s)) return FALSE;
  if (width == kAutosize || width == kAutosizeUseHeader) width = AutosizeWidth(hwnd, s, index, width == kAutosizeUseHeader);
  HDITEMA hd;
  hd.mask = HDI_WIDTH;
  hd.cxy = std::max(width, 0);
  SendMessage(s.header, HDM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&hd));
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

}  // namespace plat::win::detail
