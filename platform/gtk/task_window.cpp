// The screen's task window: a hidden window of the user-interface thread through which work reaches
// that thread's message loop — deferred work from GTK callbacks and message boxes asked for on other
// threads.
#include <memory>

#include "platform/gtk/screen_internal.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::gtk::detail {
namespace {

constexpr UINT kRunTask = win::WM_APP + 0x100;   // lParam: a std::function<void()> to run and free
constexpr UINT kAskBox = win::WM_APP + 0x101;    // lParam: a BoxRequest; sent, answered with the button
constexpr const char* kClassName = "DrevScreenTasks";

struct BoxRequest {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
};

LRESULT TaskProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kRunTask: {
      std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()>*>(lParam));
      if (task && *task) (*task)();
      return 0;
    }
    case kAskBox: {
      auto* request = reinterpret_cast<const BoxRequest*>(lParam);
      return request ? ShowMessageDialog(request->owner, request->text, request->caption, request->type) : win::IDOK;
    }
    default: return win::DefWindowProc(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

bool CreateTaskWindow() {
  win::WNDCLASSA wc;
  wc.lpfnWndProc = TaskProc;
  wc.lpszClassName = kClassName;
  win::RegisterClass(wc);
  // A pop-up that is never shown: it has no desktop window.
  TheScreen().taskWindow = win::CreateWindowEx(0, kClassName, "", win::WS_POPUP, 0, 0, 0, 0, nullptr, 0, nullptr);
  return TheScreen().taskWindow != nullptr;
}

bool Defer(std::function<void()> task) {
  auto owned = std::make_unique<std::function<void()>>(std::move(task));
  if (!win::PostMessage(TheScreen().taskWindow, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get())))
    return false;
  owned.release();  // the task window frees it when it runs
  return true;
}

int AskMessageBoxOnUiThread(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  BoxRequest request{owner, text, caption, type};
  // The asker waits here, handling what is sent to it, until the user has answered.
  LRESULT answer = win::SendMessage(TheScreen().taskWindow, kAskBox, 0, reinterpret_cast<LPARAM>(&request));
  return answer ? static_cast<int>(answer) : win::IDOK;
}

}  // namespace plat::gtk::detail
