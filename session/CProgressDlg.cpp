// CProgressDlg: set-up of the dialog and its worker, the progress routine, the poll and keep-alive
// timers, the cancel button and keys, and the teardown.
#include "session/CProgressDlg.h"

#include <cstdio>
#include <mutex>
#include <vector>

#include "http/UploadWorker.h"
#include "model/PrivateMessages.h"
#include "model/SizeText.h"
#include "model/SystemErrorText.h"
#include "model/UploadSettings.h"
#include "platform/kernel/error.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "platform/win/message.h"
#include "resources/AppName.h"
#include "resources/Resource.h"

namespace drev {

namespace pw = plat::win;
namespace inet = plat::inet;
using plat::DWORD;

namespace {

constexpr plat::COLORREF kBarStartColor = 0xFF0000;  // blue
constexpr plat::COLORREF kBarEndColor = 0x0000FF;    // red
constexpr plat::COLORREF kBarTextColor = 0xFFFFFF;   // white

// The system's text for `error`; empty when it has none.
std::string SystemErrorText(DWORD error) {
  DWORD length = 0;
  if (!GetSystemErrorText(error, nullptr, &length)) return {};
  std::vector<char> text(length + 1);
  DWORD capacity = length + 1;
  if (!GetSystemErrorText(error, text.data(), &capacity)) return {};
  return text.data();
}

// The program's standard message box: modal on the calling thread, an exclamation icon, one OK button.
void ShowExclamation(const std::string& text) {
  pw::MessageBoxA(nullptr, text.c_str(), AfxGetAppName().c_str(), pw::MB_OK | pw::MB_ICONEXCLAMATION);
}

// "<format>" filled with one number, the format given as UTF-8 and the result in CP949.
std::string NumberText(const char* format, DWORD number) {
  char text[160];
  std::snprintf(text, sizeof text, plat::text::Ansi(format).c_str(), static_cast<int>(number));
  return text;
}

std::string UnknownErrorText(DWORD error) { return NumberText("알수 없는 오류(%d)", error); }

std::string NoDescriptionText() { return plat::text::Ansi("알수 없는 오류!!!"); }

}  // namespace

CProgressDlg::CProgressDlg(IUploadControl* control) : CDialog(IDD), m_pControl(control) {
  m_hSession = inet::InternetOpenA(AfxGetAppName().c_str(), inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

CProgressDlg::~CProgressDlg() {
  // The window normally went at the end of DoModal; should it still be here, it goes now, and with
  // it the worker thread.
  if (GetSafeHwnd()) DestroyWindow();
  EndWorker();
  // Closing the session first ends a keep-alive request still waiting on the server at once (one not
  // yet started fails on the closed handle), so the join does not wait out the HTTP time limits.
  if (m_hSession != nullptr) inet::InternetCloseHandle(m_hSession);
  m_keepAlive.JoinAll();
}

void CProgressDlg::DoDataExchange(pw::CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  pw::DDX_Text(pDX, IDC_PROGRESS_TOTAL_FILES, m_strTotalFiles);
  pw::DDX_Control(pDX, IDC_PROGRESS_BAR, m_ctlProgress);
  pw::DDX_Text(pDX, IDC_PROGRESS_BAR_NOTE, m_strBarNote);
  pw::DDX_Text(pDX, IDC_PROGRESS_BYTES, m_strProgressText);
  pw::DDX_Text(pDX, IDC_PROGRESS_LOWER_NOTE, m_strLowerNote);
}

plat::BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();  // the texts go to their statics and the bar is bound here

  m_ctlProgress.SetStartColor(kBarStartColor);
  m_ctlProgress.SetEndColor(kBarEndColor);
  m_ctlProgress.ShowPercent(1);
  m_ctlProgress.SetTextColor(kBarTextColor);
  m_hDialog.store(GetSafeHwnd());

  const UploadSettings* settings = m_pControl != nullptr ? m_pControl->GetUploadSettings() : nullptr;
  m_pWorker = std::make_unique<UploadWorker>(settings, UploadLists{m_pListUpload, m_pListImage, m_pListDelete},
                                             m_hSession, m_pControl, UploadReports{this, &CProgressDlg::OnProgress, &CProgressDlg::ShowUploadFailure});
  if (settings != nullptr && !settings->Normal_ServerName.empty()) {
    m_strKeepAliveUrl = KeepAliveRequests::AddressFor(settings->Normal_ServerName);
  }
  // Only a reply of this upload may reach the page: a transfer that fails leaves the reply empty
  // rather than the one of an earlier upload, which the page could not tell from success.
  if (m_pControl != nullptr) m_pControl->SetServerResponse(std::string());

  SetTimer(TIMER_POLL, kPollMs);
  SetTimer(TIMER_KEEPALIVE, kKeepAliveMs);
  if (!StartWorker()) {
    // Without its thread nothing is sent; the dialog ends as after a failed transfer.
    const DWORD error = plat::kernel::GetLastError();
    std::string text = SystemErrorText(error);
    if (text.empty()) text = UnknownErrorText(error);
    ShowExclamation(text);
    std::lock_guard lock(m_csText);
    m_strFailureReason = text;
    m_bNoWorkerThread = true;
  }
  return plat::TRUE;
}

bool CProgressDlg::StartWorker() {
  UploadWorker* worker = m_pWorker.get();
  std::atomic<pw::HWND>* dialog = &m_hDialog;
  return m_threadWorker.Start(
      [worker, dialog] {
        UploadThreadProc(worker);
        // The end event is set by now: the dialog need not wait for its next poll tick to see it.
        if (pw::HWND hwnd = dialog->load()) pw::PostMessage(hwnd, UM_WORKER_ENDED, 0, 0);
      },
      plat::kernel::Thread::Priority::BelowNormal);
}

// ----- the worker thread's side -----

int CProgressDlg::PercentOf(DWORD sent, DWORD total) {
  // Every file of the request may have been recorded with size 0: the upload is then as good as
  // complete with its first block.
  if (total == 0) return 100;
  const float percent = static_cast<float>(sent) / static_cast<float>(total) * 100.0f;
  // A total that wrapped past 4 GiB can leave the sent count above it; the bar never passes 100.
  if (!(percent < 100.0f)) return 100;
  return percent > 0.0f ? static_cast<int>(percent) : 0;
}

// Kept out of line so that the check above stays small enough to be inlined into every block.
[[gnu::noinline]] int CProgressDlg::FindPercentRun(PercentRun& run, DWORD sent, DWORD total) {
  const int percent = PercentOf(sent, total);
  // PercentOf does not fall as `sent` grows (each step of it rounds monotonically), so the counts
  // with this position form one run: find where it ends by halving.
  DWORD low = sent;    // has `percent`
  DWORD high = total;  // the first count past the run is at most this (or there is none)
  if (percent >= 100 || PercentOf(high, total) == percent) {
    high = ~DWORD{0};
    if (PercentOf(high, total) == percent) {
      run = {total, sent, high, percent};  // every larger count has it too, but for ~0 itself
      return percent;
    }
  }
  while (high - low > 1) {
    DWORD middle = low + (high - low) / 2;
    if (PercentOf(middle, total) == percent) {
      low = middle;
    } else {
      high = middle;
    }
  }
  run = {total, sent, high, percent};
  return percent;
}

void CProgressDlg::OnProgress(void* context, DWORD total, DWORD sent) {
  auto* dialog = static_cast<CProgressDlg*>(context);
  // Most blocks leave the bar where the block before left it: then only the count moves on (the
  // position and the first report were settled when the run began; only this thread sets them).
  if (dialog->m_percentRun.Holds(sent, total)) {
    dialog->m_nProgress.store((std::uint64_t{total} << 32) | sent, std::memory_order_relaxed);
    return;
  }
  dialog->ReportNewPosition(total, sent);
}

[[gnu::noinline]] void CProgressDlg::ReportNewPosition(DWORD total, DWORD sent) {
  // The bar hears of the position only when it changes, and without this thread waiting for the
  // bar to repaint: the position is posted to the dialog, which sets it on its own thread.
  const int percent = FindPercentRun(m_percentRun, sent, total);
  if (m_nBarPos.load(std::memory_order_relaxed) != percent && m_nBarPos.exchange(percent) != percent &&
      !m_bBarPending.exchange(true)) {
    // Each post wakes the user-interface thread; one still to be handled (or a frame still to end)
    // will show this position too. A post that could not be made leaves the next change to post.
    if (!pw::PostMessage(m_hDialog.load(), UM_BAR_POSITION, 0, 0)) m_bBarPending.store(false);
  }
  // The text itself is made on the user-interface thread, at the pace it is shown.
  m_nProgress.store((std::uint64_t{total} << 32) | sent, std::memory_order_relaxed);
  if (!m_bProgressReported.load(std::memory_order_relaxed)) {
    m_bProgressReported.store(true, std::memory_order_release);
  }
}

void CProgressDlg::RefreshProgressText() {
  if (!m_bProgressReported.load(std::memory_order_acquire)) return;
  const std::uint64_t pair = m_nProgress.load(std::memory_order_relaxed);
  if (m_bProgressShown && pair == m_nProgressShown) return;
  m_bProgressShown = true;
  m_nProgressShown = pair;
  std::string text = FormatProgressText(static_cast<DWORD>(pair), static_cast<DWORD>(pair >> 32));
  std::lock_guard lock(m_csText);
  m_strProgressText.swap(text);
}

std::string CProgressDlg::FailureText(const UploadFailure& failure) {
  using Kind = UploadFailure::Kind;
  switch (failure.kind) {
    case Kind::Internet:
      return failure.text.empty() ? UnknownErrorText(failure.number) : failure.text;
    case Kind::Status:
      return NumberText("서버가 오류를 돌려주었습니다(상태 %d).", failure.number);
    case Kind::Poster:
      // The user's own stop is a cancel, which the page hears of as such.
      if (failure.number == 104) return {};
      return failure.text.empty() ? NoDescriptionText() : failure.text;
    case Kind::Other:
    case Kind::Unknown:
      break;
  }
  return failure.text.empty() ? NoDescriptionText() : failure.text;
}

void CProgressDlg::ShowUploadFailure(void* context, const UploadFailure& failure) {
  const std::string text = FailureText(failure);
  if (text.empty()) return;
  ShowExclamation(text);
  // Kept for the page once the box is closed; the poll timer reads it after the run's end event.
  if (auto* dialog = static_cast<CProgressDlg*>(context)) {
    std::lock_guard lock(dialog->m_csText);
    dialog->m_strFailureReason = text;
  }
}

// ----- the user-interface thread's side -----

void CProgressDlg::OnTimer(pw::UINT_PTR id) {
  if (id == TIMER_POLL) {
    OnPollTimer();
  } else if (id == TIMER_KEEPALIVE) {
    OnKeepAliveTimer();
  } else if (id == TIMER_BAR) {
    KillTimer(TIMER_BAR);
    m_bBarTimerSet = false;
    SetBarNow(pw::ClockNow());
  }
}

void CProgressDlg::OnPollTimer() {
  RefreshProgressText();
  // The text takes the latest count: a bar still waiting for its frame's end takes the latest
  // position with it, so that the two agree whenever the text changes. (After a fast upload the
  // dialog's last look showed the whole count sent beside the bar's first position.)
  if (m_bBarTimerSet) {
    KillTimer(TIMER_BAR);
    m_bBarTimerSet = false;
    SetBarNow(pw::ClockNow());
  }
  {
    std::lock_guard lock(m_csText);
    UpdateData(plat::FALSE);
  }
  if (!m_pWorker || m_bWorkerEnded) return;
  const UploadWorker::End end = m_bNoWorkerThread ? UploadWorker::End::Done : m_pWorker->TakeEnd();
  if (end == UploadWorker::End::Cancelled) {
    m_bWorkerEnded = true;
    StopTimers();
    if (m_pControl != nullptr) m_pControl->SendToControl(UM_UPLOAD_CANCEL, 0, 0);
    m_keepAlive.WaitForLast(kKeepAliveWaitMs);
    SendMessage(pw::WM_COMMAND, pw::MAKEWPARAM(pw::IDCANCEL, pw::BN_CLICKED), 0);
  } else if (end == UploadWorker::End::Done && (m_bNoWorkerThread || !m_pWorker->Succeeded())) {
    m_bWorkerEnded = true;
    StopTimers();
    m_keepAlive.WaitForLast(kKeepAliveWaitMs);
    EndFailed();
  } else if (end == UploadWorker::End::Done) {
    m_bWorkerEnded = true;
    StopTimers();
    m_keepAlive.WaitForLast(kKeepAliveWaitMs);
    SendMessage(pw::WM_COMMAND, pw::MAKEWPARAM(pw::IDOK, pw::BN_CLICKED), 0);
    // The modal loop returns only after this handler, so the page hears of the end (the emptied
    // list, then the reply) before UploadFiles returns.
    if (m_pControl != nullptr) m_pControl->SendToControl(UM_UPLOAD_FINISH, 0, 0);
  }
}

void CProgressDlg::EndFailed() {
  std::string reason;
  {
    std::lock_guard lock(m_csText);
    reason = m_strFailureReason;
  }
  // Every failure has shown its box by now; one that somehow had nothing to say is still named.
  if (reason.empty()) {
    reason = NoDescriptionText();
    ShowExclamation(reason);
  }
  const DWORD status = m_bNoWorkerThread ? 0 : m_pWorker->Status();
  EndDialog(kFailed);
  // As after a finished upload, the page hears of the end before UploadFiles returns; the lists stay.
  if (m_pControl != nullptr) {
    m_pControl->SendToControl(UM_UPLOAD_FAILED, static_cast<plat::WPARAM>(status),
                              reinterpret_cast<plat::LPARAM>(&reason));
  }
}

void CProgressDlg::OnKeepAliveTimer() {
  if (m_strKeepAliveUrl.empty() || m_hSession == nullptr) return;
  m_keepAlive.Start(m_hSession, m_strKeepAliveUrl);
}

void CProgressDlg::StopTimers() {
  KillTimer(TIMER_POLL);
  KillTimer(TIMER_KEEPALIVE);
  KillTimer(TIMER_BAR);
  m_bBarTimerSet = false;
}

// A fast upload moves the bar through its hundred positions in a fraction of a second (a quarter
// of one for 256 MiB on loopback), and a repaint of the bar with its percentage for each step cost
// the user-interface thread more than everything else it does for the upload. A screen shows a
// frame every 16 ms or so: the bar takes at most one position a frame, and the latest one always
// shows at the end of the frame. Several posts that arrive together show the last position.
void CProgressDlg::ShowBarPosition() {
  if (m_bBarTimerSet) return;  // the frame's end shows the latest position
  const std::uint64_t now = pw::ClockNow();
  const std::uint64_t since = now - m_nBarShownAt;
  if (m_bBarShown && since < kBarFrameMs) {
    m_bBarTimerSet = SetTimer(TIMER_BAR, static_cast<plat::UINT>(kBarFrameMs - since)) != 0;
    if (m_bBarTimerSet) return;
  }
  SetBarNow(now);
}

void CProgressDlg::SetBarNow(std::uint64_t now) {
  // Cleared before the position is read: a position reported after the read posts again.
  m_bBarPending.store(false);
  m_ctlProgress.SetPos(m_nBarPos.load());
  m_nBarShownAt = now;
  m_bBarShown = true;
}

void CProgressDlg::OnCancelButton() {
  if (m_pWorker) m_pWorker->RequestStop();
}

void CProgressDlg::OnOK() {
  // Enter must not end the dialog under a running upload.
  if (!m_bWorkerEnded) return;
  CDialog::OnOK();
}

void CProgressDlg::OnCancel() {
  if (!m_bWorkerEnded) {
    OnCancelButton();
    return;
  }
  CDialog::OnCancel();
}

plat::LRESULT CProgressDlg::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (msg) {
    case pw::WM_TIMER:
      OnTimer(static_cast<pw::UINT_PTR>(wParam));
      return 0;
    case UM_WORKER_ENDED:
      // What the poll timer does when it finds the end: the last text shown, then the end.
      OnPollTimer();
      return 0;
    case UM_BAR_POSITION:
      ShowBarPosition();
      return 0;
    case pw::WM_COMMAND:
      if (plat::LOWORD(wParam) == IDC_PROGRESS_CANCEL && plat::HIWORD(wParam) == pw::BN_CLICKED) {
        OnCancelButton();
        return 0;
      }
      break;
    default:
      break;
  }
  return CDialog::WindowProc(msg, wParam, lParam);
}

// ----- teardown -----

void CProgressDlg::EndWorker() {
  if (m_threadWorker.IsAttached()) {
    // A window destroyed under a running upload (the host going away) stops it at its next block;
    // the HTTP layer's time limits bound every wait in between.
    if (m_pWorker && !m_bWorkerEnded) m_pWorker->RequestStop();
    m_threadWorker.Join();
  }
  m_pWorker.reset();
}

void CProgressDlg::PostNcDestroy() {
  // The bar and the statics are gone by now, so the worker's last progress report cannot wait for
  // this thread while it joins.
  EndWorker();
  CDialog::PostNcDestroy();
}

}  // namespace drev
