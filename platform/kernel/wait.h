// Results and bounds of the kernel layer's waits, and the single-object wait over events and threads.
#pragma once

#include <chrono>

#include "platform/base/types.h"
#include "platform/kernel/error.h"

namespace plat::kernel {

// A wait bound in milliseconds; INFINITE waits without bound.
constexpr DWORD INFINITE = 0xFFFFFFFF;

// What a wait returns: the object was signalled, or the bound passed first (WAIT_TIMEOUT, 258,
// from error.h).
constexpr DWORD WAIT_OBJECT_0 = 0;

class Event;
class Thread;

// Waits up to `milliseconds` for the event (consuming the signal of an auto-reset one) or for the
// thread to end. WAIT_OBJECT_0 or WAIT_TIMEOUT.
DWORD WaitForSingleObject(Event& event, DWORD milliseconds);
DWORD WaitForSingleObject(Thread& thread, DWORD milliseconds);

namespace detail {
// The steady-clock deadline of a bound; the far future for INFINITE.
inline std::chrono::steady_clock::time_point Deadline(DWORD milliseconds) {
  if (milliseconds == INFINITE) return std::chrono::steady_clock::time_point::max();
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
}
}  // namespace detail

}  // namespace plat::kernel
