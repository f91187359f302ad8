// Messages and threads: synchronous sends (direct on the owner thread, queued and awaited across
// threads), posted messages, the message loop, timers, registered messages and the clock.
#pragma once

#include <cstdint>

#include "platform/win/winuser.h"

namespace plat::win {

// Calls the window's procedure and returns its result. On the owner thread this is a direct call.
// From another thread the message is queued for the owner and the caller blocks until the owner has
// handled it; while it waits, the caller keeps handling messages sent to its own windows, so two
// threads sending to each other never deadlock. Messages from one thread to another are handled in
// the order sent. Answers 0 for a dead handle, and 0 when the window is destroyed (or its thread
// ends) before the message was handled.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// As SendMessage with a bound in milliseconds (steady time) on the wait: FALSE (0) when the bound
// passed or the window died first, else nonzero with the procedure's answer in *result.
LRESULT SendMessageTimeout(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags, UINT timeout,
                           DWORD_PTR* result);
// Whether the calling thread is handling a message another thread sent and is waiting for.
BOOL InSendMessage();

// Queues a message for the window's thread (null hwnd: the calling thread) and returns at once;
// FALSE for a dead handle or a thread that has ended.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostThreadMessage(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
// Asks the calling thread's message loop to end: GetMessage answers WM_QUIT once the posted
// messages are gone.
void PostQuitMessage(int exitCode);

// Waits for the next message of the calling thread and fills *msg. Messages sent by other threads
// are handled inside (first); then posted messages come in order, then WM_TIMER for a due timer,
// then WM_PAINT for a visible window with an update area. `hwnd` (the window or its descendants)
// and the [min, max] range filter what is taken (both 0: everything). FALSE for WM_QUIT.
BOOL GetMessage(MSG* msg, HWND hwnd, UINT min, UINT max);
// As GetMessage without waiting: FALSE when nothing is there. PM_REMOVE takes the message.
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT min, UINT max, UINT remove);
// Blocks until a message arrives for the calling thread (sent ones are handled inside).
BOOL WaitMessage();
// Calls the procedure of msg->hwnd (or the timer procedure of a WM_TIMER); 0 for a dead window.
LRESULT DispatchMessage(const MSG* msg);
// Key translation is not needed here: always FALSE.
BOOL TranslateMessage(const MSG* msg);
// The screen position (low word x, high word y) and time of the last message GetMessage or
// PeekMessage took on this thread.
DWORD GetMessagePos();
LONG GetMessageTime();
// What the calling thread's queue holds, without taking anything: QS_SENDMESSAGE (another thread
// waits on a send), QS_POSTMESSAGE, QS_TIMER (a timer is due), QS_PAINT, masked by `flags`, in the
// low word (the high word repeats it, as the platform also reports "new since last look" there).
constexpr UINT QS_POSTMESSAGE = 0x0008;
constexpr UINT QS_TIMER = 0x0010;
constexpr UINT QS_PAINT = 0x0020;
constexpr UINT QS_SENDMESSAGE = 0x0040;
constexpr UINT QS_ALLINPUT = 0x04FF;
DWORD GetQueueStatus(UINT flags);
// Handles everything the calling thread has pending now (sent and posted messages, due timers,
// paints) without waiting; returns the number of messages dispatched. A host's idle step and tests'
// way to let queued work run; WM_QUIT is left in place.
int PumpPendingMessages();

// A process-wide message number for a name (letter case ignored): the same name gives the same
// number, in 0xC000..0xFFFF; 0 for an empty name.
UINT RegisterWindowMessageA(const char* name);

// Timers of a window of the calling thread: WM_TIMER (wParam = id, lParam = proc) from the owner's
// message loop every `elapse` ms (at least 10) on the backend clock. A due timer has at most one
// WM_TIMER pending; it is due again `elapse` after it was taken. Setting an existing id restarts it.
// Returns the id (a new nonzero one when hwnd is null), 0 for another thread's or a dead window.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// The backend clock in milliseconds: the steady clock, or the manual clock while one is active.
std::uint64_t ClockNow();
DWORD GetTickCount();

// While an object of this class lives, the clock stands still except when advanced by hand, so a
// test can make a 50-minute timer due in microseconds. Threads waiting for messages wake up when the
// clock moves. When the object goes, the steady clock resumes from the time reached. One at a time.
class ManualClock {
 public:
  ManualClock();
  ~ManualClock();
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;
  void Advance(std::uint64_t milliseconds);
};
// Advances the active manual clock; FALSE (and no effect) when none is active.
BOOL AdvanceClock(std::uint64_t milliseconds);

}  // namespace plat::win
