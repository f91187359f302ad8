// Device contexts over the top-level window's surface: paint, client and window contexts, and the
// default erase, paint and frame handling.
#include <algorithm>
#include <memory>

#include "platform/gdi/dc.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/syscolor.h"
#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/scrollbar_internal.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace {

struct HandedOut {
  std::unique_ptr<gdi::CDC> dc;
  std::shared_ptr<gdi::Surface> surface;  // kept alive while the context draws into it
  HWND hwnd = nullptr;
  HWND root = nullptr;
};
thread_local std::vector<HandedOut> handedOut;

// With the lock held: the root's surface, made or resized to the root's size.
std::shared_ptr<gdi::Surface> SurfaceOf(Wnd& root) {
  int width = std::max(1, static_cast<int>(root.rect.Width()));
  int height = std::max(1, static_cast<int>(root.rect.Height()));
  if (!root.surface) root.surface = std::make_shared<gdi::Surface>(width, height);
  else if (root.surface->Width() != width || root.surface->Height() != height) root.surface->Resize(width, height);
  return root.surface;
}

// With the lock held: w's window rectangle in its root's surface coordinates.
RECT WindowOnSurface(const Wnd& w, const Wnd& root) {
  RECT r = w.rect;
  if ((w.style & WS_CHILD) && w.parent)
    if (Wnd* parent = Find(w.parent)) {
      POINT origin = ClientOriginOnScreen(*parent);
      r.Offset(origin.x - root.rect.left, origin.y - root.rect.top);
      return r;
    }
  r.Offset(-r.left, -r.top);
  return r;
}

// With the lock held: the surface area w may touch (its own area cut by its ancestors' client areas).
RECT VisibleOnSurface(const Wnd& w, const Wnd& root, bool clientOnly) {
  RECT own = WindowOnSurface(w, root);
  RECT area = own;
  if (clientOnly) {
    RECT client = ClientArea(w);
    area = RECT{own.left + client.left, own.top + client.top, own.left + client.right, own.top + client.bottom};
  }
  for (const Wnd* cur = &w; (cur->style & WS_CHILD) && cur->parent;) {
    const Wnd* parent = Find(cur->parent);
    if (!parent) break;
    RECT pOwn = WindowOnSurface(*parent, root);
    RECT pClient = ClientArea(*parent);
    area = IntersectRects(area, RECT{pOwn.left + pClient.left, pOwn.top + pClient.top, pOwn.left + pClient.right,
                                     pOwn.top + pClient.bottom});
    cur = parent;
  }
  return area;
}

// A context over w's client (or whole window) area, clipped further to `limit` (same coordinates as
// the context's logical ones) when given; null for a dead window.
HDC MakeDC(HWND hwnd, bool clientOnly, const RECT* limit) {
  HandedOut out;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return nullptr;
    Wnd* root = RootOf(*w);
    out.surface = SurfaceOf(*root);
    RECT own = WindowOnSurface(*w, *root);
    RECT client = clientOnly ? ClientArea(*w) : RECT{0, 0, w->rect.Width(), w->rect.Height()};
    POINT origin{own.left + client.left, own.top + client.top};
    RECT clip = VisibleOnSurface(*w, *root, clientOnly);
    if (limit) {
      RECT l = *limit;
      l.Offset(origin.x, origin.y);
      clip = IntersectRects(clip, l);
    }
    out.dc = std::make_unique<gdi::CDC>(*out.surface, origin, clip);
    out.hwnd = hwnd;
    out.root = root->handle;
  }
  HDC dc = out.dc.get();
  handedOut.push_back(std::move(out));
  return dc;
}

// Frees a context handed out on this thread; tells the backend the root's surface changed.
bool FreeDC(HDC dc) {
  auto it = std::find_if(handedOut.begin(), handedOut.end(), [dc](const HandedOut& h) { return h.dc.get() == dc; });
  if (it == handedOut.end()) return false;
  HandedOut done = std::move(*it);
  handedOut.erase(it);
  done.dc.reset();
  if (IsWindow(done.root)) GetBackend().Present(done.root, *done.surface);
  return true;
}

// The title bar of a captioned top-level window, in `bar` (window coordinates): the classic
// left-to-right gradient of the active caption colours with the caption text in bold, and a line of
// button face under it.
void PaintCaption(HDC dc, HWND hwnd, RECT bar) {
  const COLORREF from = gdi::GetSysColor(gdi::COLOR_ACTIVECAPTION);
  const COLORREF to = gdi::GetSysColor(gdi::COLOR_GRADIENTACTIVECAPTION);
  const int width = std::max(1, static_cast<int>(bar.Width()));
  auto mix = [width](BYTE a, BYTE b, int x) { return static_cast<BYTE>(a + (b - a) * x / width); };
  RECT title{bar.left, bar.top, bar.right, bar.bottom - 1};
  for (int x = 0; x < bar.Width(); ++x)
    dc->FillSolidRect(RECT{bar.left + x, title.top, bar.left + x + 1, title.bottom},
                      RGB(mix(GetRValue(from), GetRValue(to), x), mix(GetGValue(from), GetGValue(to), x),
                          mix(GetBValue(from), GetBValue(to), x)));
  dc->FillSolidRect(RECT{bar.left, title.bottom, bar.right, bar.bottom}, gdi::GetSysColor(gdi::COLOR_BTNFACE));
  gdi::LOGFONT lf = gdi::DefaultGuiLogFont();
  lf.lfWeight = gdi::FW_BOLD;
  gdi::CFont bold;
  bold.CreateFontIndirect(lf);
  gdi::CFont* old = dc->SelectObject(&bold);
  dc->SetBkMode(gdi::TRANSPARENT);
  dc->SetTextColor(gdi::GetSysColor(gdi::COLOR_CAPTIONTEXT));
  RECT text{title.left + 4, title.top, title.right - 4, title.bottom};
  dc->DrawText(GetWindowText(hwnd), &text,
               gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
  if (old) dc->SelectObject(old);
}

void PaintFrame(HWND hwnd) {
  DWORD style = 0, exStyle = 0;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return;
    w->frameDirty = false;
    style = w->style;
    exStyle = w->exStyle;
  }
  if (FrameInset(style, exStyle) == 0 && !(style & WS_VSCROLL)) return;
  HDC dc = GetWindowDC(hwnd);
  RECT r{};
  GetWindowRect(hwnd, &r);
  r.Offset(-r.left, -r.top);
  if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    dc->DrawEdge(&r, gdi::EDGE_RAISED, gdi::BF_RECT | gdi::BF_ADJUST);
    dc->Draw3dRect(r, gdi::GetSysColor(gdi::COLOR_BTNFACE), gdi::GetSysColor(gdi::COLOR_BTNFACE));
    if (int caption = CaptionHeight(style))
      PaintCaption(dc, hwnd, RECT{r.left + 1, r.top + 1, r.right - 1, r.top + 1 + caption});
  } else {
    if (style & WS_BORDER) {
      dc->Draw3dRect(r, gdi::GetSysColor(gdi::COLOR_WINDOWFRAME), gdi::GetSysColor(gdi::COLOR_WINDOWFRAME));
      r.Inflate(-1, -1);
    }
    if (exStyle & WS_EX_CLIENTEDGE) dc->DrawEdge(&r, gdi::EDGE_SUNKEN, gdi::BF_RECT);
  }
  if (style & WS_VSCROLL) PaintVScrollBar(hwnd, dc);
  ReleaseDC(hwnd, dc);
}

}  // namespace

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  if (!ps) return nullptr;
  bool frame = false;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return nullptr;
    frame = w->frameDirty;
  }
  if (frame) SendMessage(hwnd, WM_NCPAINT, 1, 0);
  RECT update{};
  bool erase = false;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return nullptr;
    update = w->update;
    erase = w->erase;
    w->update = RECT{};
    w->erase = false;
    InvalidateChildrenUnder(*w, update, erase);
  }
  HDC dc = MakeDC(hwnd, true, &update);
  ps->hdc = dc;
  ps->rcPaint = update;
  ps->fErase = erase ? TRUE : FALSE;
  if (dc && erase) ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) { return ps && FreeDC(ps->hdc) ? TRUE : FALSE; }

HDC GetDC(HWND hwnd) { return MakeDC(hwnd, true, nullptr); }
HDC GetWindowDC(HWND hwnd) { return MakeDC(hwnd, false, nullptr); }
int ReleaseDC(HWND, HDC dc) { return FreeDC(dc) ? 1 : 0; }

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  RECT update{};
  bool pendingErase = false;
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    update = w->update;
    pendingErase = w->erase;
  }
  if (erase && pendingErase && !update.IsEmpty()) {
    HDC dc = MakeDC(hwnd, true, &update);
    SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    FreeDC(dc);
    auto lock = Lock();
    if (Wnd* w = Find(hwnd)) w->erase = false;
  }
  if (rect) *rect = update;
  return update.IsEmpty() ? FALSE : TRUE;
}

namespace detail {

LRESULT DefPaintMessage(HWND hwnd, UINT msg, WPARAM wParam) {
  switch (msg) {
    case WM_ERASEBKGND: {
      int background = 0;
      {
        auto lock = Lock();
        Wnd* w = Find(hwnd);
        if (!w) return 0;
        background = w->cls->background;
      }
      auto* dc = reinterpret_cast<gdi::CDC*>(wParam);
      if (!background || !dc) return 0;
      RECT client{};
      GetClientRect(hwnd, &client);
      dc->FillSolidRect(client, gdi::GetSysColor(background - 1));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCPAINT: PaintFrame(hwnd); return 0;
    default: return 0;
  }
}

}  // namespace detail

BOOL SnapshotWindow(HWND hwnd, const std::string& utf8PngPath) {
  if (!IsWindowVisible(hwnd)) return FALSE;
  ReadingPixels reading;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::shared_ptr<gdi::Surface> source;
  RECT area{};
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    Wnd* root = RootOf(*w);
    source = SurfaceOf(*root);
    area = WindowOnSurface(*w, *root);
  }
  if (area.IsEmpty()) return FALSE;
  gdi::Surface picture(area.Width(), area.Height());
  gdi::CDC from(*source, POINT{0, 0}, RECT{0, 0, source->Width(), source->Height()});
  gdi::CDC to(picture, POINT{0, 0}, RECT{0, 0, area.Width(), area.Height()});
  to.BitBlt(0, 0, area.Width(), area.Height(), &from, area.left, area.top, gdi::SRCCOPY);
  return picture.WritePng(utf8PngPath) ? TRUE : FALSE;
}

COLORREF GetWindowPixel(HWND hwnd, int x, int y) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (!root) return gdi::CLR_INVALID;
  {
    // Painted only when read: nothing since the last read has been painted, the frames included.
    const bool afresh = PaintsWaitForReader();
    ReadingPixels reading;
    if (afresh) RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    else UpdateWindow(root);
  }
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return gdi::CLR_INVALID;
  Wnd* r = RootOf(*w);
  RECT visible = VisibleOnSurface(*w, *r, true);
  RECT own = WindowOnSurface(*w, *r);
  RECT client = ClientArea(*w);
  POINT p{own.left + client.left + x, own.top + client.top + y};
  if (!visible.Contains(p) || !r->surface) return gdi::CLR_INVALID;
  return r->surface->GetPixel(p.x, p.y);
}

}  // namespace plat::win
