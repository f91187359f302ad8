// Watching the control's upload progress dialog from the host: a snapshot at its first progress
// report, and a press of its cancel button once enough file bytes were sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/win/winuser.h"

namespace drev::host {

// The host sees the progress dialog the way a user does, through the windows: a timer of the page's
// thread (every 10 ms, dispatched by the dialog's own modal loop as well) finds the dialog as the
// top-level window with the keyboard focus whose caption is "Drev Upload" and which holds the
// progress text (static 206) and the cancel button (202). It then listens to the progress text:
// the dialog copies the worker's latest report there every 200 ms, so "N bytes sent" means the
// first text that shows at least N bytes ("12.00 KB / 1.50 MB" shows 12,288), which may be up to
// one such period after the worker reported them.
//
// One watcher at a time, on the page's thread; it watches every upload while it lives.
class ProgressWatcher {
 public:
  ProgressWatcher();
  ~ProgressWatcher();
  ProgressWatcher(const ProgressWatcher&) = delete;
  ProgressWatcher& operator=(const ProgressWatcher&) = delete;

  // The next progress dialog's cancel button is pressed once its progress text shows at least
  // `bytes` bytes sent (a click, as the user's would be).
  void CancelAfterBytes(std::uint64_t bytes);
  // The next progress dialog is written to `pngPath` when its progress text first shows a report.
  void SnapshotAtFirstProgress(std::string pngPath);

  // What is still armed but never happened (no upload showed progress, or too few bytes), or a
  // snapshot that could not be written; empty when everything asked for was done.
  std::string Unfinished() const;

  // The bytes sent as a progress text shows them ("%5.2f KB / ..." or "%5.2f MB / ..."); nullopt
  // for a text of another shape.
  static std::optional<std::uint64_t> SentBytesOf(const std::string& progressText);

 private:
  static void OnTimer(plat::win::HWND, plat::UINT, plat::win::UINT_PTR, plat::DWORD);
  static plat::LRESULT ProgressTextProc(plat::win::HWND hwnd, plat::UINT msg, plat::WPARAM wParam,
                                        plat::LPARAM lParam);
  void Look();
  void OnProgressText(const std::string& text);

  plat::win::UINT_PTR timer_ = 0;
  plat::win::HWND dialog_ = nullptr;          // the progress dialog being watched
  plat::win::WNDPROC previousTextProc_ = nullptr;
  std::optional<std::uint64_t> cancelAfter_;
  std::optional<std::string> snapshotPath_;
  std::string snapshotError_;
};

}  // namespace drev::host
