// The "SysHeader32" class: column items (width, text, format, image index, lParam, order), their
// rectangles, layout, image list, and HDN_ITEMCLICK to the parent for a click on an item.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/commctrl.h"
#include "platform/win/controls_internal.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win::detail {

namespace {

struct HeaderItem {
  int width = 0;
  std::string text;
  int fmt = HDF_LEFT;
  LPARAM lParam = 0;
  int image = 0;
};

struct HeaderState : ControlData {
  std::vector<HeaderItem> items;
  std::vector<int> order;  // display position -> item index
  HIMAGELIST images = nullptr;
  int pressed = -1;
};

void Apply(HeaderItem& item, const HDITEMA& hd) {
  if (hd.mask & HDI_WIDTH) item.width = hd.cxy;
  if ((hd.mask & HDI_TEXT) && hd.pszText) item.text = hd.pszText;
  if (hd.mask & HDI_FORMAT) item.fmt = hd.fmt;
  if (hd.mask & HDI_LPARAM) item.lParam = hd.lParam;
  if (hd.mask & HDI_IMAGE) item.image = hd.iImage;
}

int PositionOf(const HeaderState& s, int index) {
  auto it = std::find(s.order.begin(), s.order.end(), index);
  return it == s.order.end() ? -1 : static_cast<int>(it - s.order.begin());
}

LRESULT Insert(HWND hwnd, HeaderState& s, int index, const HDITEMA* hd) {
  if (!hd) return -1;
  index = std::clamp(index, 0, static_cast<int>(s.items.size()));
  HeaderItem item;
  Apply(item, *hd);
  s.items.insert(s.items.begin() + index, item);
  for (int& o : s.order)
    if (o >= index) ++o;
  int position = (hd->mask & HDI_ORDER) ? std::clamp(hd->iOrder, 0, static_cast<int>(s.order.size())) : index;
  position = std::min(position, static_cast<int>(s.order.size()));
  s.order.insert(s.order.begin() + position, index);
  InvalidateRect(hwnd, nullptr, TRUE);
  return index;
}

LRESULT Delete(HWND hwnd, HeaderState& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.items.size())) return FALSE;
  s.items.erase(s.items.begin() + index);
  std::erase(s.order, index);
  for (int& o : s.order)
    if (o > index) --o;
  InvalidateRect(hwnd, nullptr, TRUE);
  return TRUE;
}

LRESULT Get(const HeaderState& s, int index, HDITEMA* hd) {
  if (!hd || index < 0 || index >= static_cast<int>(s.items.size())) return FALSE;
  const HeaderItem& item = s.items[static_cast<std::size_t>(index)];
  if (hd->mask & HDI_WIDTH) hd->cxy = item.width;
  if ((hd->mask & HDI_TEXT) && hd->pszText && hd->cchTextMax > 0) {
    std::size_t n = std::min(item.text.size(), static_cast<std::size_t>(hd->cchTextMax - 1));
    std::memcpy(hd->pszText, item.text.data(), n);
    hd->pszText[n] = '\0';
  }
  if (hd->mask & HDI_FORMAT) hd->fmt = item.fmt;
  if (hd->mask & HDI_LPARAM) hd->lParam = item.lParam;
  if (hd->mask & HDI_IMAGE) hd->iImage = item.image;
  if (hd->mask & HDI_ORDER) hd->iOrder = PositionOf(s, index);
  return TRUE;
}

RECT ItemRect(HWND hwnd, const HeaderState& s, int index) {
  RECT client{};
  GetClientRect(hwnd, &client);
  int left = 0;
  for (int i : s.order) {
    int width = std::max(0, s.items[static_cast<std::size_t>(i)].width);
    if (i == index) return RECT{left, 0, left + width, client.bottom};
    left += width;
  }
  return RECT{};
}

int HitItem(HWND hwnd, const HeaderState& s, POINT p) {
  for (int i : s.order)
    if (ItemRect(hwnd, s, i).Contains(p)) return i;
  return -1;
}

LRESULT Layout(HWND hwnd, const HDLAYOUT* layout) {
  if (!layout || !layout->prc || !layout->pwpos) return FALSE;
  bool hidden = (GetWindowLongPtr(hwnd, GWL_STYLE) & HDS_HIDDEN) != 0;
  int height = hidden ? 0 : FontLineHeight(ControlFont(hwnd)) + 7;
  RECT& r = *layout->prc;
  *layout->pwpos = WINDOWPOS{hwnd, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER};
  r.top += height;
  return TRUE;
}

void Click(HWND hwnd, HeaderState& s, UINT msg, POINT p) {
  int hit = HitItem(hwnd, s, p);
  if (msg == WM_LBUTTONDOWN) {
    s.pressed = hit;
    return;
  }
  int pressed = s.pressed;
  s.pressed = -1;
  if (hit < 0 || hit != pressed || !(GetWindowLongPtr(hwnd, GWL_STYLE) & HDS_BUTTONS)) return;
  NMHEADERA nm;
  nm.iItem = hit;
  nm.iButton = 0;
  NotifyParent(hwnd, HDN_ITEMCLICKA, &nm);
}

void Paint(HWND hwnd, const HeaderState& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client{};
  GetClientRect(hwnd, &client);
  dc->FillSolidRect(client, gdi::GetSysColor(gdi::COLOR_BTNFACE));
  gdi::CFont* old = dc->SelectObject(ControlFont(hwnd));
  dc->SetBkMode(gdi::TRANSPARENT);
  dc->SetTextColor(gdi::GetSysColor(gdi::COLOR_BTNTEXT));
  // Flat items: a divider (shadow, then highlight) after each, a shadow line along the bottom.
  gdi::CPen shadow(gdi::PS_SOLID, 1, gdi::GetSysColor(gdi::COLOR_BTNSHADOW));
  gdi::CPen highlight(gdi::PS_SOLID, 1, gdi::GetSysColor(gdi::COLOR_BTNHIGHLIGHT));
  gdi::CPen* oldPen = dc->SelectObject(&shadow);
  dc->MoveTo(client.left, client.bottom - 1);
  dc->LineTo(client.right, client.bottom - 1);
  for (int i : s.order) {
    RECT r = ItemRect(hwnd, s, i);
    const HeaderItem& item = s.items[static_cast<std::size_t>(i)];
    dc->SelectObject(&shadow);
    dc->MoveTo(r.right - 1, r.top + 2);
    dc->LineTo(r.right - 1, r.bottom - 3);
    dc->SelectObject(&highlight);
    dc->MoveTo(r.right, r.top + 2);
    dc->LineTo(r.right, r.bottom - 3);
    RECT text{r.left + 6, r.top, r.right - 6, r.bottom};
    UINT align = (item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? gdi::DT_CENTER
                 : (item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? gdi::DT_RIGHT
                                                             : gdi::DT_LEFT;
    if (!text.IsEmpty())
      dc->DrawText(item.text, &text, align | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS);
  }
  if (old) dc->SelectObject(old);
  if (oldPen) dc->SelectObject(oldPen);
  EndPaint(hwnd, &ps);
}

LRESULT Handle(HWND hwnd, HeaderState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  int index = static_cast<int>(wParam);
  switch (msg) {
    case HDM_GETITEMCOUNT: return static_cast<LRESULT>(s.items.size());
    case HDM_INSERTITEMA: return Insert(hwnd, s, index, reinterpret_cast<const HDITEMA*>(lParam));
    case HDM_DELETEITEM: return Delete(hwnd, s, index);
    case HDM_GETITEMA: return Get(s, index, reinterpret_cast<HDITEMA*>(lParam));
    case HDM_SETITEMA: {
      auto* hd = reinterpret_cast<const HDITEMA*>(lParam);
      if (!hd || index < 0 || index >= static_cast<int>(s.items.size())) return FALSE;
      Apply(s.items[static_cast<std::size_t>(index)], *hd);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case HDM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || index < 0 || index >= static_cast<int>(s.items.size())) return FALSE;
      *r = ItemRect(hwnd, s, index);
      return TRUE;
    }
    case HDM_LAYOUT: return Layout(hwnd, reinterpret_cast<const HDLAYOUT*>(lParam));
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
      if (!info) return -1;
      info->iItem = HitItem(hwnd, s, info->pt);
      info->flags = info->iItem >= 0 ? HHT_ONHEADER : HHT_NOWHERE;
      return info->iItem;
    }
    case HDM_SETIMAGELIST: {
      HIMAGELIST previous = s.images;
      s.images = reinterpret_cast<HIMAGELIST>(lParam);
      InvalidateRect(hwnd, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(previous);
    }
    case HDM_GETIMAGELIST: return reinterpret_cast<LRESULT>(s.images);
    case HDM_ORDERTOINDEX:
      return (index >= 0 && index < static_cast<int>(s.order.size())) ? s.order[static_cast<std::size_t>(index)] : index;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: Click(hwnd, s, msg, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_PAINT: Paint(hwnd, s); return 0;
    default: return DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

LRESULT HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) SetControl(hwnd, std::make_shared<HeaderState>());
  auto state = ControlOf<HeaderState>(hwnd);
  if (!state) return DefWindowProc(hwnd, msg, wParam, lParam);
  return Handle(hwnd, *state, msg, wParam, lParam);
}

}  // namespace plat::win::detail
