// Threads over std::thread, with an end flag for bounded waits and the priority set from inside.
#include "platform/kernel/thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <system_error>

#include "platform/kernel/error.h"

namespace plat::kernel {

struct Thread::State {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
};

namespace {

constexpr int kBelowNormalStep = 5;

// Lowers the calling thread only: on Linux a thread id names a single thread to setpriority.
void LowerOwnPriority() {
  pid_t tid = gettid();
  errno = 0;
  int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno != 0) return;
  int lowered = nice + kBelowNormalStep > 19 ? 19 : nice + kBelowNormalStep;
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), lowered);  // a refusal leaves it at normal
}

}  // namespace

DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }

Thread::~Thread() { Join(); }

bool Thread::Start(std::function<void()> body, Priority priority) {
  if (thread_.joinable()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  auto state = std::make_shared<State>();
  // Shared with the new thread, so that neither side's going can pull it from under the other.
  auto started = std::make_shared<std::promise<DWORD>>();
  std::future<DWORD> id = started->get_future();
  try {
    thread_ = std::thread([state, started, priority, body = std::move(body)]() {
      if (priority == Priority::BelowNormal) LowerOwnPriority();
      started->set_value(GetCurrentThreadId());
      body();
      std::lock_guard lock(state->mutex);
      state->done = true;
      state->ended.notify_all();
    });
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  state_ = std::move(state);
  id_ = id.get();
  return true;
}

DWORD Thread::Wait(DWORD milliseconds) {
  if (!state_) return WAIT_OBJECT_0;
  std::unique_lock lock(state_->mutex);
  if (milliseconds == INFINITE) {
    state_->ended.wait(lock, [this] { return state_->done; });
    return WAIT_OBJECT_0;
  }
  bool done = state_->ended.wait_until(lock, detail::Deadline(milliseconds), [this] { return state_->done; });
  return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void Thread::Join() {
  if (!thread_.joinable()) return;
  // A thread cannot wait for itself; when its own object goes from inside it, it runs on detached.
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
  } else {
    thread_.join();
  }
}

void Thread::Detach() {
  if (thread_.joinable()) thread_.detach();
}

DWORD WaitForSingleObject(Thread& thread, DWORD milliseconds) { return thread.Wait(milliseconds); }

}  // namespace plat::kernel
