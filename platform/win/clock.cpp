// The backend clock: the steady clock, or a manual clock that tests advance by hand.
#include <chrono>
#include <mutex>

#include "platform/win/message.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

struct ClockState {
  std::mutex mutex;
  bool manual = false;
  std::uint64_t manualNow = 0;
  std::int64_t offset = 0;  // added to the steady milliseconds, so time never runs backwards
};

ClockState& State() {
  static ClockState* state = new ClockState;  // lives as long as the process
  return *state;
}

std::uint64_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::uint64_t ClockNow() {
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  if (s.manual) return s.manualNow;
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(SteadyMs()) + s.offset);
}

DWORD GetTickCount() { return static_cast<DWORD>(ClockNow()); }

ManualClock::ManualClock() {
  std::uint64_t now = ClockNow();
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  s.manualNow = now;
  s.manual = true;
}

ManualClock::~ManualClock() {
  {
    ClockState& s = State();
    std::lock_guard lock(s.mutex);
    s.offset = static_cast<std::int64_t>(s.manualNow) - static_cast<std::int64_t>(SteadyMs());
    s.manual = false;
  }
  auto lock = detail::Lock();
  detail::WakeAllQueues();
}

void ManualClock::Advance(std::uint64_t milliseconds) { AdvanceClock(milliseconds); }

BOOL AdvanceClock(std::uint64_t milliseconds) {
  {
    ClockState& s = State();
    std::lock_guard lock(s.mutex);
    if (!s.manual) return FALSE;
    s.manualNow += milliseconds;
  }
  // Taken after the move, so a waiter either saw the new time or is already waiting to be woken.
  auto lock = detail::Lock();
  detail::WakeAllQueues();
  return TRUE;
}

namespace detail {

bool ClockIsManual() {
  ClockState& s = State();
  std::lock_guard lock(s.mutex);
  return s.manual;
}

std::chrono::steady_clock::time_point SteadyDeadline(std::uint64_t due) {
  if (ClockIsManual()) return std::chrono::steady_clock::time_point::max();
  std::uint64_t now = ClockNow();
  auto wait = due > now ? due - now : 0;
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(wait);
}

}  // namespace detail
}  // namespace plat::win
