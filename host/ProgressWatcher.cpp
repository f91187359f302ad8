// Finding the progress dialog through the focus, listening to its progress text, snapshotting it and
// pressing its cancel button.
#include "host/ProgressWatcher.h"

#include <cstdio>
#include <cstring>

#include "platform/win/dialog.h"
#include "platform/win/input.h"
#include "platform/win/message.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace drev::host {

namespace pw = plat::win;

namespace {

constexpr plat::UINT kLookMs = 10;
constexpr int kProgressText = 206;
constexpr int kCancelButton = 202;
constexpr const char* kDialogCaption = "Drev Upload";

ProgressWatcher* g_watcher = nullptr;

bool IsProgressDialog(pw::HWND hwnd) {
  return hwnd && pw::GetClassName(hwnd) == pw::WC_DIALOG && pw::GetWindowText(hwnd) == kDialogCaption &&
         pw::GetDlgItem(hwnd, kProgressText) && pw::GetDlgItem(hwnd, kCancelButton);
}

}  // namespace

ProgressWatcher::ProgressWatcher() {
  g_watcher = this;
  timer_ = pw::SetTimer(nullptr, 0, kLookMs, &ProgressWatcher::OnTimer);
}

ProgressWatcher::~ProgressWatcher() {
  if (timer_) pw::KillTimer(nullptr, timer_);
  if (dialog_ && pw::IsWindow(dialog_) && previousTextProc_)
    pw::SetWindowProc(pw::GetDlgItem(dialog_, kProgressText), previousTextProc_);
  g_watcher = nullptr;
}

void ProgressWatcher::CancelAfterBytes(std::uint64_t bytes) { cancelAfter_ = bytes; }
void ProgressWatcher::SnapshotAtFirstProgress(std::string pngPath) { snapshotPath_ = std::move(pngPath); }

std::string ProgressWatcher::Unfinished() const {
  std::string text = snapshotError_;
  const auto add = [&](const std::string& line) { text += (text.empty() ? "" : "; ") + line; };
  if (snapshotPath_) add("no progress dialog reported progress, so " + *snapshotPath_ + " was not written");
  if (cancelAfter_)
    add("no upload was seen to send " + std::to_string(*cancelAfter_) + " bytes, so cancel was not pressed");
  return text;
}

std::optional<std::uint64_t> ProgressWatcher::SentBytesOf(const std::string& progressText) {
  double value = 0;
  char unit[3] = {};
  if (std::sscanf(progressText.c_str(), " %lf %2s", &value, unit) != 2 || value < 0) return std::nullopt;
  if (std::strcmp(unit, "KB") == 0) return static_cast<std::uint64_t>(value * 1024.0 + 0.5);
  if (std::strcmp(unit, "MB") == 0) return static_cast<std::uint64_t>(value * 1048576.0 + 0.5);
  return std::nullopt;
}

void ProgressWatcher::OnTimer(pw::HWND, plat::UINT, pw::UINT_PTR, plat::DWORD) {
  if (g_watcher) g_watcher->Look();
}

// A new progress dialog: listen to its progress text from now on.
void ProgressWatcher::Look() {
  if (dialog_ && pw::IsWindow(dialog_)) return;
  dialog_ = nullptr;
  pw::HWND focus = pw::GetFocus();
  pw::HWND top = focus ? pw::GetAncestor(focus, pw::GA_ROOT) : nullptr;
  if (!IsProgressDialog(top)) return;
  dialog_ = top;
  previousTextProc_ = pw::SetWindowProc(pw::GetDlgItem(top, kProgressText), &ProgressWatcher::ProgressTextProc);
}

plat::LRESULT ProgressWatcher::ProgressTextProc(pw::HWND hwnd, plat::UINT msg, plat::WPARAM wParam,
                                                plat::LPARAM lParam) {
  pw::WNDPROC previous = g_watcher ? g_watcher->previousTextProc_ : nullptr;
  plat::LRESULT result = previous ? pw::CallWindowProc(previous, hwnd, msg, wParam, lParam)
                                  : pw::DefWindowProc(hwnd, msg, wParam, lParam);
  if (msg == pw::WM_SETTEXT && lParam && g_watcher) {
    std::string text(reinterpret_cast<const char*>(lParam));
    if (!text.empty()) g_watcher->OnProgressText(text);
  }
  return result;
}

void ProgressWatcher::OnProgressText(const std::string& text) {
  if (snapshotPath_) {
    if (!pw::SnapshotWindow(dialog_, *snapshotPath_)) snapshotError_ = "cannot write " + *snapshotPath_;
    snapshotPath_.reset();
  }
  std::optional<std::uint64_t> sent = SentBytesOf(text);
  if (cancelAfter_ && sent && *sent >= *cancelAfter_) {
    cancelAfter_.reset();
    // Posted, so that the click comes after the dialog's timer step that set this text.
    pw::HWND button = pw::GetDlgItem(dialog_, kCancelButton);
    plat::RECT r{};
    pw::GetClientRect(button, &r);
    pw::PostClick(button, plat::POINT{r.Width() / 2, r.Height() / 2});
  }
}

}  // namespace drev::host
