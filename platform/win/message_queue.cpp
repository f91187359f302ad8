// Sent and posted messages between threads, and the message loop's retrieval order.
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace detail {

QueueWake::~QueueWake() {
  if (fd >= 0) ::close(fd);
}

void QueueWake::notify_all() {
  cv.notify_all();
  if (fd >= 0) {
    std::uint64_t one = 1;
    // A full counter still reads as ready, so a failed write loses no wake-up.
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
  }
}

}  // namespace detail

namespace {

using Lk = std::unique_lock<std::mutex>;
using Deadline = std::chrono::steady_clock::time_point;

// Sleeps until woken or the deadline (lock held on entry and exit); on a thread with an event pump
// the desktop's loop runs meanwhile. True when the deadline has passed.
bool WaitForWork(Lk& lock, ThreadQueue& me, Deadline deadline) {
  if (!me.pump) {
    if (deadline == Deadline::max()) {
      me.wake.cv.wait(lock);
      return false;
    }
    return me.wake.cv.wait_until(lock, deadline) == std::cv_status::timeout;
  }
  EventPump* pump = me.pump;
  int fd = me.wake.fd;
  lock.unlock();
  pump->Wait(fd, deadline);
  // Drained before the caller looks at the queue again, so a wake-up after that look stays pending.
  std::uint64_t count = 0;
  [[maybe_unused]] ssize_t n = ::read(fd, &count, sizeof count);
  lock.lock();
  return deadline != Deadline::max() && std::chrono::steady_clock::now() >= deadline;
}

DWORD PackPoint(POINT p) {
  return static_cast<DWORD>(MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
}

// Handles one message another thread sent to this one; called and returning with the lock held.
void HandleSent(Lk& lock, ThreadQueue& me, const std::shared_ptr<SentMessage>& sent) {
  Wnd* w = Find(sent->hwnd);
  WNDPROC proc = w ? w->proc : nullptr;
  ++me.sendDepth;
  lock.unlock();
  LRESULT result = proc ? proc(sent->hwnd, sent->msg, sent->wParam, sent->lParam) : 0;
  lock.lock();
  --me.sendDepth;
  sent->result = result;
  sent->done = true;
  if (sent->sender) sent->sender->wake.notify_all();
}

// Handles every message waiting to be sent to this thread (lock held on entry and exit).
bool HandleAllSent(Lk& lock, ThreadQueue& me) {
  bool any = false;
  while (!me.sent.empty()) {
    auto sent = me.sent.front();
    me.sent.pop_front();
    HandleSent(lock, me, sent);
    any = true;
  }
  return any;
}

// Waits for the reply to `sent`, handling messages sent to this thread meanwhile. False when the
// deadline passed first (the message is then withdrawn if its receiver has not taken it yet).
bool AwaitReply(Lk& lock, ThreadQueue& me, ThreadQueue& target, const std::shared_ptr<SentMessage>& sent,
                std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    if (sent->done) return true;
    if (HandleAllSent(lock, me)) continue;
    if (WaitForWork(lock, me, deadline) && !sent->done && me.sent.empty()) {
      std::erase(target.sent, sent);
      return false;
    }
  }
}

// Sends across threads (lock held); false when the window or its thread went, or the bound passed.
bool SendAcross(Lk& lock, Wnd& w, UINT msg, WPARAM wParam, LPARAM lParam,
                std::chrono::steady_clock::time_point deadline, LRESULT* result) {
  const auto& me = CurrentQueue();
  std::shared_ptr<ThreadQueue> target = w.queue;
  if (!target->alive) return false;
  auto sent = std::make_shared<SentMessage>();
  sent->hwnd = w.handle;
  sent->msg = msg;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = me;
  target->sent.push_back(sent);
  target->wake.notify_all();
  if (!AwaitReply(lock, *me, *target, sent, deadline)) return false;
  *result = sent->result;
  return true;
}

bool Matches(HWND filter, HWND hwnd) {
  if (!filter) return true;
  if (hwnd == filter) return true;
  Wnd* w = Find(hwnd);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == filter) return true;
    w = Find(w->parent);
  }
  return false;
}

bool InRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

bool Paintable(const Wnd& w) { return !w.update.IsEmpty() && w.redraw && VisibleChain(w); }

// With the lock held: a window of this thread to send WM_PAINT to, ancestors before descendants.
HWND PaintCandidate(ThreadQueue& me, HWND filter) {
  if (PaintsWaitForReader()) return nullptr;
  std::erase_if(me.dirty, [](HWND h) {
    Wnd* w = Find(h);
    return !w || w->update.IsEmpty();
  });
  for (HWND h : me.dirty) {
    Wnd* w = Find(h);
    if (!Paintable(*w) || !Matches(filter, h)) continue;
    bool ancestorPending = false;
    for (Wnd* p = (w->style & WS_CHILD) ? Find(w->parent) : nullptr; p;
         p = (p->style & WS_CHILD) ? Find(p->parent) : nullptr)
      if (Paintable(*p) && std::find(me.dirty.begin(), me.dirty.end(), p->handle) != me.dirty.end())
        ancestorPending = true;
    if (!ancestorPending) return h;
  }
  return nullptr;
}

// Takes the next posted message, due timer or paint (lock held); false when none is there.
bool TakeNext(ThreadQueue& me, MSG* msg, HWND filter, UINT min, UINT max, bool remove) {
  std::uint64_t now = ClockNow();
  auto fill = [&](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    *msg = MSG{hwnd, message, wParam, lParam, static_cast<DWORD>(now), Reg().cursor};
  };
  for (auto it = me.posted.begin(); it != me.posted.end(); ++it) {
    if (!InRange(it->message, min, max) && it->message != WM_QUIT) continue;
    if (filter && !Matches(filter, it->hwnd)) continue;
    *msg = *it;
    if (remove) me.posted.erase(it);
    return true;
  }
  if (me.quit && !filter) {
    fill(nullptr, WM_QUIT, static_cast<WPARAM>(me.quitCode), 0);
    if (remove) me.quit = false;
    return true;
  }
  if (InRange(WM_TIMER, min, max)) {
    for (Timer& t : me.timers) {
      if (t.due > now || !Matches(filter, t.hwnd)) continue;
      fill(t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc));
      if (remove) t.due = now + t.interval;
      return true;
    }
  }
  if (InRange(WM_PAINT, min, max)) {
    if (HWND h = PaintCandidate(me, filter)) {
      fill(h, WM_PAINT, 0, 0);
      return true;
    }
  }
  return false;
}

std::chrono::steady_clock::time_point NextTimerDeadline(const ThreadQueue& me) {
  std::uint64_t due = std::numeric_limits<std::uint64_t>::max();
  for (const Timer& t : me.timers) due = std::min(due, t.due);
  if (due == std::numeric_limits<std::uint64_t>::max()) return std::chrono::steady_clock::time_point::max();
  return SteadyDeadline(due);
}

void NoteTaken(ThreadQueue& me, const MSG& msg) {
  me.messagePos = PackPoint(msg.pt);
  me.messageTime = msg.time;
  // The keyboard's state as of this message, as GetKeyState reports it.
  if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam < 256)
    me.keys[msg.wParam] = msg.message == WM_KEYDOWN ? 1 : 0;
}

}  // namespace

namespace detail {

void PurgeWindowMessages(Wnd& w) {
  ThreadQueue& q = *w.queue;
  for (auto& s : q.sent)
    if (s->hwnd == w.handle) {
      s->done = true;
      s->result = 0;
      if (s->sender) s->sender->wake.notify_all();
    }
  std::erase_if(q.sent, [&](const std::shared_ptr<SentMessage>& s) { return s->hwnd == w.handle; });
  std::erase_if(q.posted, [&](const MSG& m) { return m.hwnd == w.handle; });
  std::erase_if(q.timers, [&](const Timer& t) { return t.hwnd == w.handle; });
  std::erase(q.dirty, w.handle);
}

}  // namespace detail

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto& me = CurrentQueue();
  Lk lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  if (w->queue == me) {
    WNDPROC proc = w->proc;
    lock.unlock();
    return proc(hwnd, msg, wParam, lParam);
  }
  LRESULT result = 0;
  SendAcross(lock, *w, msg, wParam, lParam, std::chrono::steady_clock::time_point::max(), &result);
  return result;
}

LRESULT SendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT, UINT timeout,
                           DWORD_PTR* result) {
  const auto& me = CurrentQueue();
  Lk lock = Lock();
  Wnd* w = Find(hwnd);
  if (!w) return 0;
  LRESULT answer = 0;
  if (w->queue == me) {
    WNDPROC proc = w->proc;
    lock.unlock();
    answer = proc(hwnd, msg, wParam, lParam);
  } else {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
    if (!SendAcross(lock, *w, msg, wParam, lParam, deadline, &answer)) return 0;
  }
  if (result) *result = static_cast<DWORD_PTR>(answer);
  return 1;
}

BOOL InSendMessage() {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  return me->sendDepth > 0;
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  std::shared_ptr<ThreadQueue> target = me;
  if (hwnd) {
    Wnd* w = Find(hwnd);
    if (!w) return FALSE;
    target = w->queue;
  }
  if (!target->alive) return FALSE;
  target->posted.push_back(MSG{hwnd, msg, wParam, lParam, GetTickCount(), Reg().cursor});
  target->wake.notify_all();
  return TRUE;
}

BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto lock = Lock();
  std::shared_ptr<ThreadQueue> q = QueueOfThread(threadId);
  if (!q) return FALSE;
  q->posted.push_back(MSG{nullptr, msg, wParam, lParam, GetTickCount(), Reg().cursor});
  q->wake.notify_all();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  me->quit = true;
  me->quitCode = exitCode;
  me->wake.notify_all();
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT min, UINT max) {
  const auto& me = CurrentQueue();
  Lk lock = Lock();
  for (;;) {
    if (HandleAllSent(lock, *me)) continue;
    if (TakeNext(*me, msg, hwnd, min, max, true)) {
      NoteTaken(*me, *msg);
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    WaitForWork(lock, *me, NextTimerDeadline(*me));
  }
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT min, UINT max, UINT remove) {
  const auto& me = CurrentQueue();
  Lk lock = Lock();
  HandleAllSent(lock, *me);
  if (!TakeNext(*me, msg, hwnd, min, max, (remove & PM_REMOVE) != 0)) return FALSE;
  NoteTaken(*me, *msg);
  return TRUE;
}

BOOL WaitMessage() {
  const auto& me = CurrentQueue();
  Lk lock = Lock();
  for (;;) {
    if (HandleAllSent(lock, *me)) continue;
    MSG probe;
    if (TakeNext(*me, &probe, nullptr, 0, 0, false)) return TRUE;
    WaitForWork(lock, *me, NextTimerDeadline(*me));
  }
}

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  if (!msg->hwnd) return 0;
  const auto& me = CurrentQueue();
  WNDPROC proc = nullptr;
  {
    auto lock = Lock();
    Wnd* w = Find(msg->hwnd);
    if (!w || w->queue != me) return 0;
    proc = w->proc;
  }
  return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

DWORD GetMessagePos() {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  return me->messagePos;
}

LONG GetMessageTime() {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  return static_cast<LONG>(me->messageTime);
}

DWORD GetQueueStatus(UINT flags) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  DWORD status = 0;
  if (!me->sent.empty()) status |= QS_SENDMESSAGE;
  if (!me->posted.empty() || me->quit) status |= QS_POSTMESSAGE;
  std::uint64_t now = ClockNow();
  for (const Timer& t : me->timers)
    if (t.due <= now) status |= QS_TIMER;
  if (PaintCandidate(*me, nullptr)) status |= QS_PAINT;
  status &= flags;
  return status | (status << 16);
}

int PumpPendingMessages() {
  // Bounded so that a handler that keeps posting to itself cannot hold the caller forever.
  constexpr int kLimit = 100000;
  int dispatched = 0;
  std::vector<HWND> painted;
  MSG msg;
  while (dispatched < kLimit && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_PAINT) {
      // A window that does not validate itself would be offered again and again.
      if (std::find(painted.begin(), painted.end(), msg.hwnd) != painted.end()) {
        ValidateRect(msg.hwnd, nullptr);
        continue;
      }
      painted.push_back(msg.hwnd);
    }
    DispatchMessage(&msg);
    ++dispatched;
  }
  return dispatched;
}

void SetThreadEventPump(EventPump* pump) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  if (pump && me->wake.fd < 0) me->wake.fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  me->pump = me->wake.fd >= 0 ? pump : nullptr;
}

short GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  const auto& me = CurrentQueue();
  auto lock = Lock();
  return me->keys[virtualKey] ? static_cast<short>(0x8000) : short{0};
}

UINT RegisterWindowMessageA(const char* name) {
  if (!name || !*name) return 0;
  static std::mutex mutex;
  static std::vector<std::string>* names = new std::vector<std::string>;
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::lock_guard lock(mutex);
  auto it = std::find(names->begin(), names->end(), key);
  if (it != names->end()) return MIN_REGISTERED_MESSAGE + static_cast<UINT>(it - names->begin());
  if (names->size() > MAX_REGISTERED_MESSAGE - MIN_REGISTERED_MESSAGE) return 0;
  names->push_back(key);
  return MIN_REGISTERED_MESSAGE + static_cast<UINT>(names->size() - 1);
}

}  // namespace plat::win
