// Threads: start a callable, optionally at below-normal priority, wait for it with a bound, join.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/base/types.h"
#include "platform/kernel/wait.h"

namespace plat::kernel {

class Thread {
 public:
  enum class Priority { Normal, BelowNormal };

  Thread() = default;
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;
  // Joins a thread that is still attached: make it finish (set its stop event) before the owner
  // goes, or Detach it.
  ~Thread();

  // Starts `body` on a new thread. BelowNormal lowers the new thread's scheduling priority (its nice
  // value up by 5, up to 19) before `body` runs; a refusal of the system is ignored and the thread
  // runs at normal priority. Returns false (last error ERROR_NOT_ENOUGH_MEMORY) when no thread could
  // be made, or ERROR_INVALID_PARAMETER when this object already has a thread attached.
  bool Start(std::function<void()> body, Priority priority = Priority::Normal);

  // Whether a thread was started and is still attached (not joined or detached).
  bool IsAttached() const { return thread_.joinable(); }

  // Waits up to `milliseconds` (INFINITE: no bound) for the thread to end: WAIT_OBJECT_0 when it has
  // ended (or none is attached), WAIT_TIMEOUT otherwise. The thread stays attached.
  DWORD Wait(DWORD milliseconds);

  // Waits without bound for the thread to end and releases it. Harmless when none is attached.
  void Join();

  // Lets the thread run on by itself; `body` must not use anything that may go away before it ends.
  void Detach();

  // The system thread id of the started thread (0 before Start).
  DWORD Id() const { return id_; }

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::thread thread_;
  DWORD id_ = 0;
};

// The system thread id of the calling thread.
DWORD GetCurrentThreadId();

}  // namespace plat::kernel
