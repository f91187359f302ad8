// The backend in use, the headless backend, message boxes and the open-file answer queue.
#include "platform/win/backend.h"

#include <deque>
#include <iostream>
#include <mutex>

#include "platform/text/text.h"
#include "platform/win/window.h"
#include "platform/win/window_internal.h"

namespace plat::win {
namespace {

struct BackendState {
  std::mutex mutex;
  std::unique_ptr<Backend> backend = std::make_unique<HeadlessBackend>();
  MessageBoxHook hook;
  std::vector<MessageBoxRecord> log;
  std::deque<std::optional<std::vector<std::string>>> openFileAnswers;
};

BackendState& State() {
  static BackendState* state = new BackendState;  // lives as long as the process
  return *state;
}

}  // namespace

int HeadlessBackend::ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT) {
  std::cerr << text::Cp949ToUtf8(caption) << ": " << text::Cp949ToUtf8(text) << std::endl;
  return IDOK;
}

std::unique_ptr<Backend> SetBackend(std::unique_ptr<Backend> backend) {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  if (!backend) backend = std::make_unique<HeadlessBackend>();
  std::swap(s.backend, backend);
  return backend;
}

Backend& GetBackend() {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  return *s.backend;
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  MessageBoxRecord record;
  record.caption = caption ? caption : "Error";
  record.text = text ? text : "";
  record.type = type;
  record.threadId = detail::CurrentQueue()->threadId;
  record.owner = owner;
  MessageBoxHook hook;
  {
    BackendState& s = State();
    std::lock_guard lock(s.mutex);
    s.log.push_back(record);
    hook = s.hook;
  }
  // The box is modal to the owner's top-level window.
  HWND top = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  bool disabled = top && IsWindowEnabled(top);
  if (disabled) EnableWindow(top, FALSE);
  int answer = hook ? hook(record) : GetBackend().ShowMessageBox(owner, record.text, record.caption, type);
  if (disabled && IsWindow(top)) EnableWindow(top, TRUE);
  return answer;
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  std::swap(s.hook, hook);
  return hook;
}

std::vector<MessageBoxRecord> MessageBoxLog() {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  return s.log;
}

void ClearMessageBoxLog() {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  s.log.clear();
}

void QueueOpenFileAnswer(std::optional<std::vector<std::string>> paths) {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  s.openFileAnswers.push_back(std::move(paths));
}

bool HasOpenFileAnswer() {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  return !s.openFileAnswers.empty();
}

bool GetTopLevelState(HWND hwnd, TopLevelState* state) {
  auto lock = detail::Lock();
  detail::Wnd* w = detail::Find(hwnd);
  if (!w || (w->style & WS_CHILD) || !state) return false;
  state->visible = (w->style & WS_VISIBLE) != 0;
  state->enabled = (w->style & WS_DISABLED) == 0;
  state->style = w->style;
  state->exStyle = w->exStyle;
  state->text = w->text;
  state->window = w->rect;
  state->clientOrigin = detail::ClientOriginOnScreen(*w);
  RECT client = detail::ClientArea(*w);
  state->client = SIZE{client.Width(), client.Height()};
  state->owner = w->owner;
  state->threadId = w->threadId;
  return true;
}

namespace detail {

void NoteTopLevel(HWND hwnd, TopLevelChange change) {
  {
    auto lock = Lock();
    Wnd* w = Find(hwnd);
    if (!w || (w->style & WS_CHILD)) return;
  }
  GetBackend().TopLevelChanged(hwnd, change);
}

}  // namespace detail

std::optional<std::vector<std::string>> TakeOpenFileAnswer() {
  BackendState& s = State();
  std::lock_guard lock(s.mutex);
  std::optional<std::vector<std::string>> answer;
  if (s.openFileAnswers.empty()) return answer;
  answer.swap(s.openFileAnswers.front());
  s.openFileAnswers.pop_front();
  return answer;
}

}  // namespace plat::win
