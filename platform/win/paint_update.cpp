// Update areas: invalidating, validating and painting what is pending, parents before children.
#include <algorithm>
#include <atomic>

#include "platform/gdi/objects.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace {

std::atomic<bool> g_paintOnlyWhenRead{false};
thread_local int t_readingPixels = 0;

RECT Union(const RECT& a, const RECT& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

void Mark(Wnd& w, RECT area, bool erase);

// With the lock held: adds the parts of `area` (w's client coordinates) that w's visible children
// cover to their update areas.
void MarkChildren(Wnd& w, RECT area, bool erase) {
  for (HWND h : w.children) {
    Wnd* c = Find(h);
    if (!c || !(c->style & WS_VISIBLE)) continue;
    RECT covered = IntersectRects(area, c->rect);
    if (covered.IsEmpty()) continue;
    RECT childClient = ClientArea(*c);
    bool framed = childClient.left > 0 || childClient.top > 0 || childClient.right < c->rect.Width() ||
                  childClient.bottom < c->rect.Height();
    if (framed) c->frameDirty = true;  // the parent paints over the child's frame (and scroll bar) too
    covered.Offset(-c->rect.left - childClient.left, -c->rect.top - childClient.top);
    RECT inside{0, 0, childClient.Width(), childClient.Height()};
    // Only the frame covered: the child still needs a paint for its frame to be drawn again.
    if (framed && IntersectRects(covered, inside).IsEmpty()) covered = inside;
    Mark(*c, covered, erase);
  }
}

// With the lock held: adds `area` (client coordinates) to w and to the visible children it covers.
void Mark(Wnd& w, RECT area, bool erase) {
  RECT client = ClientArea(w);
  area = IntersectRects(area, RECT{0, 0, client.Width(), client.Height()});
  if (area.IsEmpty() || !w.redraw) return;
  w.update = Union(w.update, area);
  w.erase = w.erase || erase;
  auto& dirty = w.queue->dirty;
  if (std::find(dirty.begin(), dirty.end(), w.handle) == dirty.end()) dirty.push_back(w.handle);
  w.queue->wake.notify_all();
  MarkChildren(w, area, erase);
}

// The window and its descendants in paint order (parents first), lock held.
void Collect(Wnd& w, std::vector<HWND>& out) {
  out.push_back(w.handle);
  for (HWND h : w.children)
    if (Wnd* c = Find(h)) Collect(*c, out);
}

}  // namespace

namespace detail {

bool PaintsWaitForReader() { return t_readingPixels == 0 && g_paintOnlyWhenRead.load(std::memory_order_relaxed); }

ReadingPixels::ReadingPixels() { ++t_readingPixels; }
ReadingPixels::~ReadingPixels() { --t_readingPixels; }

void InvalidateChildrenUnder(Wnd& w, const RECT& area, bool erase) { MarkChildren(w, area, erase); }

bool AcceptsInvalidation(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  return w && w->redraw && VisibleChain(*w);
}

}  // namespace detail

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  if (!VisibleChain(*w)) return TRUE;
  RECT client = ClientArea(*w);
  Mark(*w, rect ? *rect : RECT{0, 0, client.Width(), client.Height()}, erase != FALSE);
  return TRUE;
}

BOOL InvalidateRgn(HWND hwnd, gdi::CRgn* region, BOOL erase) {
  return InvalidateRect(hwnd, region ? &region->Rect() : nullptr, erase);
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return FALSE;
  if (!rect || IntersectRects(*rect, w->update) == w->update) {
    w->update = RECT{};
    w->erase = false;
  }
  return TRUE;
}

void PaintOnlyWhenRead(bool on) { g_paintOnlyWhenRead.store(on, std::memory_order_relaxed); }

BOOL UpdateWindow(HWND hwnd) {
  std::vector<HWND> order;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w || w->queue != CurrentQueue()) return FALSE;
    if (PaintsWaitForReader()) return TRUE;  // the update areas wait for the reader
    Collect(*w, order);
  }
  for (HWND h : order) {
    bool pending = false;
    {
      auto lock = Lock();
      Wnd* w = Find(h);
      pending = w && !w->update.IsEmpty() && w->redraw && VisibleChain(*w);
    }
    if (pending) SendMessage(h, WM_PAINT, 0, 0);
  }
  return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, gdi::CRgn* region, UINT flags) {
  if (!IsWindow(hwnd)) return FALSE;
  const RECT* area = region ? &region->Rect() : rect;
  if (flags & RDW_INVALIDATE) {
    InvalidateRect(hwnd, area, (flags & RDW_ERASE) ? TRUE : FALSE);
    if (flags & RDW_FRAME) {
      auto lock = Lock();
      if (Wnd* w = Find(hwnd)) w->frameDirty = true;
    }
  }
  if (flags & RDW_VALIDATE) ValidateRect(hwnd, area);
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) UpdateWindow(hwnd);
  return TRUE;
}

}  // namespace plat::win
