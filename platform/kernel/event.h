// Events: a signalled/non-signalled flag that threads set and wait for.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/base/types.h"
#include "platform/kernel/wait.h"

namespace plat::kernel {

class Event {
 public:
  enum class Kind { AutoReset, ManualReset };

  // An auto-reset event lets exactly one successful wait (or Test) through per Set and clears
  // itself on the way; a manual-reset event stays signalled until Reset.
  explicit Event(Kind kind = Kind::AutoReset, bool initiallySet = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  // Signals the event; wakes one waiter (auto-reset) or all of them (manual-reset).
  void Set();
  // Clears the signal.
  void Reset();

  // Whether the event is signalled, without waiting. An auto-reset event's signal is consumed by a
  // true answer, as a wait with bound 0 would.
  bool Test();

  // Waits up to `milliseconds` (INFINITE: no bound) for the signal. WAIT_OBJECT_0 when signalled
  // (consumed for auto-reset), WAIT_TIMEOUT when the bound passed first.
  DWORD Wait(DWORD milliseconds);

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool manual_;
  bool set_;
};

}  // namespace plat::kernel
