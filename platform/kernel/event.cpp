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

bool Event::Test() { return Wait(0) == WAIT_OBJECT_0; }

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
