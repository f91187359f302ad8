// UploadWorker: the upload job of one progress dialog, and the procedure its worker thread runs.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "model/UploadSettings.h"
#include "platform/base/types.h"
#include "platform/inet/inet.h"
#include "platform/kernel/critical_section.h"
#include "platform/kernel/event.h"

class CBasicHttp;

// The dialog's progress routine: (progress context, total bytes, sent bytes). Runs on the worker
// thread after every block of file content, so it must stay cheap and never wait for another thread.
// `total` is 0 when every file of the request was recorded with size 0.
using UploadProgressRoutine = void (*)(void* context, plat::DWORD totalBytes, plat::DWORD sentBytes);

// One upload. The progress dialog creates it, sets every pointer, starts a thread (below-normal
// priority) on UploadThreadProc with it, sets m_evStop when the user cancels, and polls m_evDone and
// m_evCancelled; it must keep the worker, the lists and the settings alive until one of those two is
// signalled. Everything else here belongs to the worker thread while it runs.
class UploadWorker {
 public:
  // The most reply bytes kept (a reply is read to its end or to this many bytes, whichever is first).
  static constexpr std::size_t kMaxReplyBytes = 16 * 1024 * 1024;
  // The status the reply must have to become the control's ServerResponse.
  static constexpr plat::DWORD kStatusOk = 200;

  UploadWorker() = default;
  UploadWorker(const UploadWorker&) = delete;
  UploadWorker& operator=(const UploadWorker&) = delete;

  plat::kernel::Event m_evDone;       // set by Run when the run ended without cancellation
  plat::kernel::Event m_evStop;       // set by the dialog's cancel button; polled by PollCancel
  plat::kernel::Event m_evCancelled;  // set by Run when the run ended by cancellation
  const UploadSettings* m_pSettings = nullptr;      // host, path, referer, page parameters; not owned
  const CAttachRefList* m_pListUpload = nullptr;    // the attachment rows; not owned
  const CAttachList* m_pListImage = nullptr;        // the image records; not owned, may be null
  const CAttachList* m_pListDelete = nullptr;       // the deletion records; not owned, may be null
  plat::inet::HINTERNET m_pSession = nullptr;       // the dialog's HTTP session; not owned
  IUploadControl* m_pControl = nullptr;             // the control the reply goes to; not owned
  plat::DWORD m_dwTotalBytes = 0;    // recorded sizes of the files put into the request
  plat::DWORD m_dwSentBytes = 0;     // file bytes read and written so far
  plat::DWORD m_bCancelled = 0;      // 1 when the last PollCancel found the stop event set
  std::string m_strError;            // why Upload did not store a reply (CP949)
  void* m_pProgressContext = nullptr;              // passed back to m_pfnProgress
  UploadProgressRoutine m_pfnProgress = nullptr;   // the dialog's progress routine; may be null
  std::string m_strReply;            // the reply body read by ReadReply
  plat::kernel::CriticalSection m_csReply;  // held while the reply is stored into the control

  // Builds the request from the settings and the lists, sends it and judges the status. On status
  // 200 with the reply read, stores the reply as m_pControl's ServerResponse (under
  // m_csReply) and returns 1; on another status sets m_strError to "Error Precheck return status =
  // N\n" and returns 0. Failures of the transfer (InternetException, CBasicHttpException, CFileException,
  // std::bad_alloc) pass on after the request is closed. Fields in body order: DELETE_FILE_COUNT and
  // DELETE_FILES (when there is a deletion list), the page parameters, "ATTACH_FILES" per local row,
  // the image files under their field names; server-held records are skipped.
  plat::BOOL Upload();

  // A new form poster on m_pSession.
  std::unique_ptr<CBasicHttp> CreateHttp();

  // Reads the reply body of `request` into m_strReply: to its end (or its Content-Length), at most
  // kMaxReplyBytes, cut before its first zero byte (the page receives text). Memory grows with the
  // bytes that arrive, never with what the server declares. 1 on success; 0 when memory runs out
  // (m_strError then holds why). A failing read throws InternetException.
  plat::BOOL ReadReply(plat::inet::HINTERNET request);

  // The per-block progress hook, of the form ProgressCallback (`param` is the worker): adds the block
  // to m_dwSentBytes, calls m_pfnProgress with the totals, and returns 0 (stop) when PollCancel finds
  // the stop event set, else 1.
  static plat::BOOL OnBlockSent(void* param, plat::DWORD fileSize, plat::DWORD bytesRead);

  // Tests the stop event without waiting (consuming its signal); m_bCancelled becomes 1 when it was
  // set, else 0. Returns m_bCancelled.
  plat::DWORD PollCancel();

  // The thread's body: seeds this thread's C runtime generator from the system's entropy (so the
  // boundary cannot be foreseen), runs Upload, and shows what the user must know of a failure in a
  // message box (MB_OK | MB_ICONEXCLAMATION, captioned with the application name): for an internet
  // error its description, or "알수 없는 오류(N)" when that is empty; for CBasicHttpException nothing;
  // for any other failure its own description. The box is modal on this thread, so only after it is
  // closed is exactly one end event signalled: m_evCancelled when m_bCancelled is 1, else m_evDone.
  // Returns 0.
  plat::DWORD Run();

 private:
  void AddFileFields(CBasicHttp& http);
  void AddTextFields(CBasicHttp& http);
  void StoreReply();
};

// The worker thread's entry: `param` is the UploadWorker; runs its Run and returns 0.
plat::DWORD UploadThreadProc(void* param);
