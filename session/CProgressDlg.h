// CProgressDlg: the modal upload progress dialog (template 102) that runs one upload on a worker
// thread, shows its progress, lets the user cancel it and tells the control how it ended.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "platform/base/types.h"
#include "platform/inet/inet.h"
#include "platform/kernel/critical_section.h"
#include "platform/kernel/thread.h"
#include "platform/win/cdialog.h"
#include "session/KeepAliveRequests.h"
#include "widgets/CGradientProgressCtrl.h"

namespace drev {

class UploadWorker;
struct UploadFailure;

// Life of one upload, all on the user-interface thread unless said otherwise:
// - construction opens the HTTP session (agent: the application name); the caller sets the three
//   lists with SetUploadList, SetImageList and SetDeleteList and calls DoModal;
// - initialisation makes the UploadWorker with the control's settings, the lists, this
//   dialog's progress routine and the session, empties the control's ServerResponse (so that a
//   transfer that fails can never hand the page the reply of an earlier upload), starts the poll
//   timer (200 ms) and the keep-alive timer (50 minutes), and starts the worker thread at
//   below-normal priority;
// - the poll timer shows the progress text and ends the dialog when the worker has finished: with
//   IDCANCEL (2) after UM_UPLOAD_CANCEL when the user's stop was seen; with IDOK (1), followed by
//   UM_UPLOAD_FINISH, when the server answered 200 and its reply was stored; else with kFailed,
//   followed by UM_UPLOAD_FAILED (the status and the reason the user was shown); each message is
//   handled before DoModal returns;
// - the cancel button (and Escape, and closing the window) asks the worker to stop; Enter does
//   nothing while the worker runs;
// - destroying the window waits for the worker thread (asking it to stop first should it still
//   run) and destroys the worker; destroying the object waits for the keep-alive requests and then
//   closes the session.
// Every message, the settings and the reply belong to the control the dialog was made for, never to
// another control of the process. The lists, the settings and the control must outlive DoModal;
// nothing of the upload outlives it.
class CProgressDlg : public plat::win::CDialog {
 public:
  enum { IDD = 102 };
  static constexpr plat::win::UINT_PTR TIMER_KEEPALIVE = 1525;
  static constexpr plat::win::UINT_PTR TIMER_POLL = 1526;
  static constexpr plat::UINT kPollMs = 200;
  // The bar follows the worker's position at most once in this many milliseconds (TIMER_BAR shows
  // the latest position at the end of a frame that already showed one).
  static constexpr plat::win::UINT_PTR TIMER_BAR = 1527;
  static constexpr plat::UINT kBarFrameMs = 16;
  static constexpr plat::UINT kKeepAliveMs = 3'000'000;  // 50 minutes
  // The longest the user-interface thread waits for a keep-alive request when the upload ends.
  static constexpr plat::DWORD kKeepAliveWaitMs = 300;
  // Posted by the progress routine when the bar's position changed (the position is m_nBarPos).
  static constexpr plat::UINT UM_BAR_POSITION = plat::win::WM_APP + 0x5F0;
  // Posted by the worker thread once its run has signalled its end event: the dialog looks at the
  // events at once, as its poll timer would, so the upload ends without waiting for the next tick.
  static constexpr plat::UINT UM_WORKER_ENDED = plat::win::WM_APP + 0x5F1;
  // The modal result of an upload that failed (the user has been shown why).
  static constexpr int kFailed = 3;

  // Opens the session; no parent window, no lists yet. `control` is the control the upload is for
  // (borrowed; null: nothing is sent to a control and the upload has no settings).
  explicit CProgressDlg(IUploadControl* control);
  // Destroys the window if it still exists, joins the keep-alive threads, closes the session.
  ~CProgressDlg() override;
  CProgressDlg(const CProgressDlg&) = delete;
  CProgressDlg& operator=(const CProgressDlg&) = delete;

  // The lists the worker sends (not owned; they must stay unchanged until DoModal returns).
  void SetUploadList(const CAttachRefList* rows) { m_pListUpload = rows; }
  void SetImageList(const CAttachList* images) { m_pListImage = images; }
  void SetDeleteList(const CAttachList* deletions) { m_pListDelete = deletions; }

  // The progress routine the worker calls after every block of file content, on the worker thread:
  // the bar to the percentage of `sent` in `total` (100 when `total` is 0), and the pair handed
  // over for text 4. Lock-free and a few dozen instructions: the pair goes into one atomic, and the
  // progress text is formatted from it by the user-interface thread when it shows the text (the
  // poll timer, and the end of the upload), so what the user sees is unchanged. Never waits for the
  // user-interface thread: a changed position (at most 101 times an upload) is posted to the
  // dialog, which sets the bar on its own thread (at most once a kBarFrameMs frame), so the bar's
  // repaint does not hold up the transfer; while a post or the frame's end is still to come, the
  // bar is sure to take the latest position, and nothing more is posted (about one post a frame).
  static void OnProgress(void* context, plat::DWORD total, plat::DWORD sent);

  // The failure routine the worker calls on its own thread when its run failed, before it signals
  // its end: shows FailureText in the program's message box (modal on that thread, so the dialog
  // stays open until the box is closed; MB_OK | MB_ICONEXCLAMATION, captioned with the application
  // name) unless it is empty, and keeps it as the reason the page is given (`context` is the
  // dialog; may be null).
  static void ShowUploadFailure(void* context, const UploadFailure& failure);

  // What the user is told of a failure (CP949): an internet error its description, or
  // "알수 없는 오류(N)" when it has none; an answer with another status than 200
  // "서버가 오류를 돌려주었습니다(상태 N)."; the form poster's own failures (a file that cannot be
  // opened or changed its size) their message; any other failure its own description. A failure
  // without any text shows "알수 없는 오류!!!". The user's stop (code 104) is no failure: empty.
  static std::string FailureText(const UploadFailure& failure);

  // The bar position for `sent` of `total`: the single-precision quotient times 100, truncated,
  // within 0..100; 100 when `total` is 0.
  static int PercentOf(plat::DWORD sent, plat::DWORD total);
  // PercentOf through a remembered run: the sent counts [from, to) of `total` that have the
  // position `percent`, so that a block inside the run costs two comparisons instead of a division.
  // Any count and total may come (a new upload, a count that went back): outside the run it is
  // computed again and the run around it found.
  struct PercentRun {
    plat::DWORD total = 0;
    plat::DWORD from = 1;
    plat::DWORD to = 0;
    int percent = 0;
    bool Holds(plat::DWORD sent, plat::DWORD of) const { return of == total && sent >= from && sent < to; }
  };
  static int PercentOfRun(PercentRun& run, plat::DWORD sent, plat::DWORD total) {
    return run.Holds(sent, total) ? run.percent : FindPercentRun(run, sent, total);
  }
  static int FindPercentRun(PercentRun& run, plat::DWORD sent, plat::DWORD total);

  // True once the poll timer has seen the worker's done or cancelled event (from then on the
  // worker reads nothing more); false before the dialog runs and while the worker may still run.
  bool IsWorkerEnded() const { return m_bWorkerEnded; }

 protected:
  void DoDataExchange(plat::win::CDataExchange* pDX) override;
  plat::BOOL OnInitDialog() override;
  // Enter: ignored while the worker runs. Otherwise the normal end (texts copied out, IDOK).
  void OnOK() override;
  // Escape or closing the window: the cancel button while the worker runs, else the cancelled end.
  void OnCancel() override;
  plat::LRESULT WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) override;
  void PostNcDestroy() override;

 private:
  bool StartWorker();
  void OnTimer(plat::win::UINT_PTR id);
  void OnPollTimer();
  // Text 4 from the latest pair the worker handed over (under the lock; nothing before the first).
  void RefreshProgressText();
  // The worker's report of a block outside the run of the position it last reported.
  void ReportNewPosition(plat::DWORD total, plat::DWORD sent);
  void OnKeepAliveTimer();
  // UM_BAR_POSITION: the bar to the worker's latest position now, or at the end of the frame.
  void ShowBarPosition();
  void SetBarNow(std::uint64_t now);
  void OnCancelButton();
  void StopTimers();
  void EndWorker();
  void EndFailed();

  IUploadControl* const m_pControl;         // the control the upload is for; not owned
  plat::kernel::CriticalSection m_csText;   // guards the four texts
  const CAttachRefList* m_pListUpload = nullptr;
  const CAttachList* m_pListImage = nullptr;
  const CAttachList* m_pListDelete = nullptr;
  plat::kernel::Thread m_threadWorker;      // its Id() is the worker thread's id
  KeepAliveRequests m_keepAlive;            // the keep-alive threads; the last one is the remembered one
  std::unique_ptr<UploadWorker> m_pWorker;  // from initialisation until the window is destroyed
  // The four texts (1 to 4), each exchanged with its static; only the progress text is ever written.
  std::string m_strTotalFiles;              // text 1, static 207
  std::string m_strBarNote;                 // text 2, static 205
  std::string m_strLowerNote;               // text 3, static 208
  std::string m_strProgressText;            // text 4, static 206: sent of total
  CGradientProgressCtrl m_ctlProgress;      // control 204
  std::atomic<int> m_nBarPos{0};            // the position the worker last reported
  // A UM_BAR_POSITION is on its way or the frame's end will show the bar: the bar is sure to take
  // m_nBarPos, so the worker posts no more (set by the worker, cleared by the dialog as it sets
  // the bar, before it reads m_nBarPos).
  std::atomic<bool> m_bBarPending{false};
  PercentRun m_percentRun;                  // the worker's own (only its thread uses it)
  std::uint64_t m_nBarShownAt = 0;          // when the bar last took a position (user-interface thread)
  bool m_bBarShown = false;                 // it took one since the dialog started
  bool m_bBarTimerSet = false;              // TIMER_BAR will show the latest position
  // The last (total, sent) the worker reported, total in the high 32 bits; valid once
  // m_bProgressReported is set. Read by the user-interface thread when it shows the text.
  std::atomic<std::uint64_t> m_nProgress{0};
  std::atomic<bool> m_bProgressReported{false};
  std::uint64_t m_nProgressShown = 0;       // the pair text 4 was last made from (user-interface thread)
  bool m_bProgressShown = false;            // text 4 was made at least once
  std::atomic<plat::win::HWND> m_hDialog{nullptr};  // where the worker posts; kept until it is joined
  plat::inet::HINTERNET m_hSession = nullptr;
  std::string m_strKeepAliveUrl;            // empty when there is no server to keep alive
  bool m_bWorkerEnded = false;              // an end event was seen (user-interface thread only)
  bool m_bNoWorkerThread = false;           // the worker thread could not be started: nothing is sent
  std::string m_strFailureReason;           // what the user was shown of the failure (under m_csText)
};

}  // namespace drev
