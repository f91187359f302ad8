// The window layer's shared state: the window table, the per-thread queues and the one lock that
// guards them. Private to plat::win.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/gdi/objects.h"
#include "platform/win/winuser.h"

namespace plat::gdi {
class Surface;
}

namespace plat::win {
class EventPump;
enum class TopLevelChange : int;
}

namespace plat::win::detail {

struct ThreadQueue;

struct WndClass {
  std::string name;
  WNDPROC proc = nullptr;
  UINT style = 0;
  int background = 0;
};

// What a built-in control keeps beside its window; made at WM_NCCREATE, dropped with the window.
struct ControlData {
  virtual ~ControlData() = default;
};

// The dialog manager's part of a dialog window.
struct DialogData {
  DLGPROC dlgProc = nullptr;
  LONG_PTR msgResult = 0;
  LONG_PTR user = 0;
  bool ended = false;
  INT_PTR result = 0;
  WORD defId = 1;          // IDOK
  SIZE baseUnits{};        // pixels per 4 horizontal and 8 vertical dialog units
  std::unique_ptr<gdi::CFont> font;  // the template's font, given to every child
};

// A standard scroll bar's values. Only the vertical bar is kept: nothing here draws a horizontal one.
struct ScrollBarState {
  int min = 0;
  int max = 100;  // the platform's default range for a window's own bar
  UINT page = 0;
  int pos = 0;
};

// Width of a window's vertical scroll bar, taken from the right of its client area (WS_VSCROLL).
constexpr int kVScrollWidth = 16;

struct Wnd {
  HWND handle = nullptr;
  std::shared_ptr<const WndClass> cls;
  DWORD style = 0;
  DWORD exStyle = 0;
  UINT_PTR id = 0;
  HWND parent = nullptr;  // child windows only
  HWND owner = nullptr;   // top-level windows: the window they were created for
  std::vector<HWND> children;  // creation order
  RECT rect{};                 // parent client coordinates (screen for top-level windows)
  std::string text;
  gdi::CFont* font = nullptr;
  LONG_PTR userData = 0;
  WNDPROC proc = nullptr;
  std::shared_ptr<ThreadQueue> queue;
  DWORD threadId = 0;
  std::vector<std::pair<std::string, void*>> props;
  std::shared_ptr<ControlData> control;  // touched by the owner thread only
  std::unique_ptr<DialogData> dialog;
  // Painting: the pending update area (client coordinates), its erase flag, the frame flag and the
  // redraw lock (WM_SETREDRAW).
  RECT update{};
  bool erase = false;
  bool frameDirty = false;
  bool redraw = true;
  std::shared_ptr<gdi::Surface> surface;  // top-level windows; made by the paint side
  bool destroying = false;
  ScrollBarState vscroll;
};

// A message another thread is waiting to have handled.
struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  std::shared_ptr<ThreadQueue> sender;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT interval = 0;
  std::uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

// What wakes a thread waiting for messages: a condition variable waited on with the registry lock,
// and, on a thread whose waits run the desktop's event loop, an eventfd that loop watches.
struct QueueWake {
  std::condition_variable cv;
  int fd = -1;
  QueueWake() = default;
  ~QueueWake();
  QueueWake(const QueueWake&) = delete;
  QueueWake& operator=(const QueueWake&) = delete;
  void notify_all();
};

struct ThreadQueue {
  DWORD threadId = 0;
  QueueWake wake;
  EventPump* pump = nullptr;  // the desktop's event loop this thread's waits run, when any
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::vector<Timer> timers;
  std::vector<HWND> dirty;  // windows of this thread with a pending update area
  bool alive = true;
  HWND focus = nullptr;
  DWORD messagePos = 0;   // screen position of the last message taken (GetMessagePos)
  DWORD messageTime = 0;
  int sendDepth = 0;      // cross-thread sends being handled (InSendMessage)
  unsigned char keys[256] = {};  // keys down as of the last key message taken (GetKeyState)
};

struct Registry {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Wnd>> windows;
  std::vector<HWND> topLevel;  // creation order
  std::uintptr_t nextHandle = 0x10000;
  std::vector<std::shared_ptr<const WndClass>> classes;
  std::mutex queuesMutex;  // guards `queues`; taken after `mutex` when both are needed
  std::vector<std::weak_ptr<ThreadQueue>> queues;
  POINT cursor{};  // the pointer's screen position, moved by injected mouse input
};

// The process-wide registry; never destroyed, so threads ending late still find it.
Registry& Reg();
inline std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(Reg().mutex); }

// With the lock held: the window record of a live handle, or null.
Wnd* Find(HWND hwnd);
std::shared_ptr<Wnd> FindShared(HWND hwnd);
// With the lock held: the registered class of that name (letter case ignored), or null.
std::shared_ptr<const WndClass> FindClass(const std::string& name);

// The calling thread's queue, made on first use (safe with or without the registry lock held).
const std::shared_ptr<ThreadQueue>& CurrentQueue();
// With the lock held: wakes every thread waiting for messages (the clock moved).
void WakeAllQueues();
// With the lock held: the live queue of a thread id, or null.
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);

// With the lock held: frame thickness of a style, the client rectangle in the window's own
// coordinates (less the scroll bar strip on the right with WS_VSCROLL), the client origin in screen coordinates, and whether the window and its ancestors
// are all visible.
int FrameInset(DWORD style, DWORD exStyle);
// Height of the title bar between the top frame and the client area: top-level windows whose style
// has the whole of WS_CAPTION get one; others none.
int CaptionHeight(DWORD style);
RECT ClientArea(const Wnd& w);
POINT ClientOriginOnScreen(const Wnd& w);
bool VisibleChain(const Wnd& w);
// Whether paints wait for a reader of the pixels (PaintOnlyWhenRead) on the calling thread now:
// not while a ReadingPixels is alive on it.
bool PaintsWaitForReader();
// While alive, the calling thread paints as usual even when paints wait for a reader.
class ReadingPixels {
 public:
  ReadingPixels();
  ~ReadingPixels();
  ReadingPixels(const ReadingPixels&) = delete;
  ReadingPixels& operator=(const ReadingPixels&) = delete;
};
// The top-level ancestor (the window itself when it has no parent).
Wnd* RootOf(Wnd& w);

// The owner-thread state of a built-in control, or null when the window has none of that type.
template <typename T>
std::shared_ptr<T> ControlOf(HWND hwnd) {
  auto lock = Lock();
  Wnd* w = Find(hwnd);
  return w ? std::dynamic_pointer_cast<T>(w->control) : nullptr;
}
void SetControl(HWND hwnd, std::shared_ptr<ControlData> data);

// Shows or hides a window, with WM_SHOWWINDOW when `notify`; returns whether it was visible.
bool SetVisibility(HWND hwnd, bool show, bool notify);

// With the lock held: the steady-clock time at which the clock reads `due` (the far future on a
// manual clock, which only moves by hand and wakes the waiters itself).
std::chrono::steady_clock::time_point SteadyDeadline(std::uint64_t due);
bool ClockIsManual();

// With the lock held: the visible children under `area` (w's client coordinates) join the update
// area, erasing as w's own paint does, because that paint draws over them (a parent's context does
// not leave its children out); children made after w was invalidated are repainted this way too.
void InvalidateChildrenUnder(Wnd& w, const RECT& area, bool erase);

// Whether InvalidateRect could mark anything of the window now: it exists, its drawing is not held
// (WM_SETREDRAW) and it and its ancestors are visible. Takes the lock. Lets a caller skip working out
// an area that would be dropped.
bool AcceptsInvalidation(HWND hwnd);

// Tells the backend that a top-level window changed (nothing for a child window).
void NoteTopLevel(HWND hwnd, TopLevelChange change);

// Posted-message and timer upkeep when a window goes (lock held), and the built-in classes.
void PurgeWindowMessages(Wnd& w);
void RegisterBuiltinClasses(Registry& registry);

}  // namespace plat::win::detail
