// Window timers: kept by the owner thread's queue and turned into WM_TIMER by its message loop.
#include <algorithm>

#include "platform/win/message.h"
#include "platform/win/window_internal.h"

namespace plat::win {

using namespace detail;

namespace {
constexpr UINT kMinimumElapse = 10;  // the platform's USER_TIMER_MINIMUM
constexpr UINT kMaximumElapse = 0x7FFFFFFF;
UINT_PTR nextThreadTimerId = 0x7FFF0000;  // ids for timers without a window (lock held)
}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  if (hwnd) {
    Wnd* w = Find(hwnd);
    if (!w || w->queue != me) return 0;
  } else {
    id = ++nextThreadTimerId;
  }
  elapse = std::clamp(elapse, kMinimumElapse, kMaximumElapse);
  std::uint64_t due = ClockNow() + elapse;
  for (Timer& t : me->timers)
    if (t.hwnd == hwnd && t.id == id) {
      t.interval = elapse;
      t.due = due;
      t.proc = proc;
      me->wake.notify_all();
      return id;
    }
  me->timers.push_back(Timer{hwnd, id, elapse, due, proc});
  me->wake.notify_all();
  return id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  const auto& me = CurrentQueue();
  auto lock = Lock();
  auto& timers = me->timers;
  auto it = std::find_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  // A WM_TIMER already taken is gone with the timer; one never queued needs nothing more.
  std::erase_if(me->posted, [&](const MSG& m) { return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id; });
  return TRUE;
}

}  // namespace plat::win
