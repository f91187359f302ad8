// Events over a mutex and a condition variable, with steady-clock bounds.
#include "platform/kernel/event.h"

namespace plat::kernel {

Event::Event(Kind kind, bool initiallySet) : manual_(kind == Kind::ManualReset), set_(initiallySet) {}

void Event::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  if (manual_) {
    signalled_.notify_all();
  } else {
    signalled_.notify_one();
  }
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

// A plain check under the lock: a timed wait with a deadline already passed would still park the
// thread, and the upload worker tests its stop event once per kilobyte.
bool Event::Test() {
  std::lock_guard lock(mutex_);
  if (!set_) return false;
  if (!manual_) set_ = false;
  return true;
}

DWORD Event::Wait(DWORD milliseconds) {
  std::unique_lock lock(mutex_);
  auto deadline = detail::Deadline(milliseconds);
  while (!set_) {
    if (milliseconds == INFINITE) {
      signalled_.wait(lock);
    } else if (signalled_.wait_until(lock, deadline) == std::cv_status::timeout && !set_) {
      return WAIT_TIMEOUT;
    }
  }
  if (!manual_) set_ = false;
  return WAIT_OBJECT_0;
}

DWORD WaitForSingleObject(Event& event, DWORD milliseconds) { return event.Wait(milliseconds); }

}  // namespace plat::kernel
