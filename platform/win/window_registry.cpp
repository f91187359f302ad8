// The window table, the class table, the per-thread queues and the geometry helpers over them.
#include <strings.h>

#include "platform/kernel/error.h"
#include "platform/kernel/thread.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace detail {

Registry& Reg() {
  // Never destroyed: window handles and queues may be used by threads that end after main returns.
  static Registry* registry = [] {
    auto* r = new Registry;
    RegisterBuiltinClasses(*r);
    return r;
  }();
  return *registry;
}

Wnd* Find(HWND hwnd) {
  auto& windows = Reg().windows;
  auto it = windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<Wnd> FindShared(HWND hwnd) {
  auto& windows = Reg().windows;
  auto it = windows.find(reinterpret_cast<std::uintptr_t>(hwnd));
  return it == windows.end() ? nullptr : it->second;
}

std::shared_ptr<const WndClass> FindClass(const std::string& name) {
  for (const auto& c : Reg().classes)
    if (strcasecmp(c->name.c_str(), name.c_str()) == 0) return c;
  return nullptr;
}

namespace {

// Ends a thread's queue with the thread: waiting senders get 0, the thread's windows stay in the
// table without a message loop (sends to them answer 0 at once).
struct QueueHolder {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueHolder() {
    if (!queue) return;
    auto lock = Lock();
    queue->alive = false;
    for (auto& s : queue->sent) {
      s->done = true;
      if (s->sender) s->sender->wake.notify_all();
    }
    queue->sent.clear();
    queue->posted.clear();
    queue->timers.clear();
  }
};

}  // namespace

const std::shared_ptr<ThreadQueue>& CurrentQueue() {
  thread_local QueueHolder holder;
  if (!holder.queue) {
    auto q = std::make_shared<ThreadQueue>();
    q->threadId = kernel::GetCurrentThreadId();
    std::lock_guard lock(Reg().queuesMutex);
    auto& queues = Reg().queues;
    std::erase_if(queues, [](const std::weak_ptr<ThreadQueue>& w) { return w.expired(); });
    queues.push_back(q);
    holder.queue = std::move(q);
  }
  return holder.queue;
}

void WakeAllQueues() {
  std::lock_guard lock(Reg().queuesMutex);
  for (auto& weak : Reg().queues)
    if (auto q = weak.lock()) q->wake.notify_all();
}

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId) {
  std::lock_guard lock(Reg().queuesMutex);
  for (auto& weak : Reg().queues)
    if (auto q = weak.lock(); q && q->threadId == threadId && q->alive) return q;
  return nullptr;
}

int FrameInset(DWORD style, DWORD exStyle) {
  if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) return 3;
  int inset = 0;
  if (style & WS_BORDER) inset += 1;
  if (exStyle & WS_EX_CLIENTEDGE) inset += 2;
  return inset;
}

int CaptionHeight(DWORD style) {
  constexpr int kCaptionBar = 18;  // the classic scheme's title bar at 96 dpi
  return ((style & WS_CAPTION) == WS_CAPTION && !(style & WS_CHILD)) ? kCaptionBar : 0;
}

RECT ClientArea(const Wnd& w) {
  int inset = FrameInset(w.style, w.exStyle);
  RECT r{inset, inset + CaptionHeight(w.style), w.rect.Width() - inset, w.rect.Height() - inset};
  if (w.style & WS_VSCROLL) r.right -= kVScrollWidth;
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

POINT ClientOriginOnScreen(const Wnd& w) {
  POINT p{0, 0};
  const Wnd* cur = &w;
  while (cur) {
    int inset = FrameInset(cur->style, cur->exStyle);
    p.x += cur->rect.left + inset;
    p.y += cur->rect.top + inset + CaptionHeight(cur->style);
    if (!(cur->style & WS_CHILD)) break;
    Wnd* parent = Find(cur->parent);
    if (!parent) break;
    // The parent's client origin is added on the next round.
    cur = parent;
  }
  return p;
}

bool VisibleChain(const Wnd& w) {
  const Wnd* cur = &w;
  while (cur) {
    if (!(cur->style & WS_VISIBLE)) return false;
    if (!(cur->style & WS_CHILD)) return true;
    cur = Find(cur->parent);
  }
  return false;
}

Wnd* RootOf(Wnd& w) {
  Wnd* cur = &w;
  while ((cur->style & WS_CHILD) && cur->parent) {
    Wnd* parent = Find(cur->parent);
    if (!parent) break;
    cur = parent;
  }
  return cur;
}

void SetControl(HWND hwnd, std::shared_ptr<ControlData> data) {
  auto lock = Lock();
  if (Wnd* w = Find(hwnd)) w->control = std::move(data);
}

}  // namespace detail

using namespace detail;

BOOL RegisterClass(const WNDCLASSA& wc) {
  if (!wc.lpszClassName || !*wc.lpszClassName || !wc.lpfnWndProc) {
    kernel::SetLastError(kernel::ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Reg();  // the built-in classes come first
  auto lock = Lock();
  if (FindClass(wc.lpszClassName)) {
    kernel::SetLastError(1410);  // ERROR_CLASS_ALREADY_EXISTS
    return FALSE;
  }
  auto cls = std::make_shared<WndClass>();
  cls->name = wc.lpszClassName;
  cls->proc = wc.lpfnWndProc;
  cls->style = wc.style;
  cls->background = wc.background;
  Reg().classes.push_back(std::move(cls));
  return TRUE;
}

BOOL GetClassInfo(const char* className, WNDCLASSA* wc) {
  if (!className || !wc) return FALSE;
  Reg();
  auto lock = Lock();
  auto cls = FindClass(className);
  if (!cls) return FALSE;
  wc->style = cls->style;
  wc->lpfnWndProc = cls->proc;
  wc->background = cls->background;
  wc->lpszClassName = cls->name.c_str();  // lives as long as the process
  return TRUE;
}

std::string GetClassName(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  return w ? w->cls->name : std::string();
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long product = static_cast<long long>(a) * b;
  long long half = (c < 0 ? -c : c) / 2;
  bool negative = (product < 0) != (c < 0);
  long long magnitude = (product < 0 ? -product : product);
  long long divisor = c < 0 ? -c : c;
  long long q = (magnitude + half) / divisor;
  return static_cast<int>(negative ? -q : q);
}

}  // namespace plat::win
