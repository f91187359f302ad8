// UploadWorker: the upload job of one progress dialog, and the procedure its worker thread runs.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "model/UploadSettings.h"
#include "platform/base/types.h"
#include "platform/inet/inet.h"
#include "platform/kernel/critical_section.h"
#include "platform/kernel/event.h"

namespace drev {

class CBasicHttp;

// The dialog's progress routine: (progress context, total bytes, sent bytes). Runs on the worker
// thread after every block of file content, so it must stay cheap and never wait for another thread.
// `total` is 0 when every file of the request was recorded with size 0.
using UploadProgressRoutine = void (*)(void* context, plat::DWORD totalBytes, plat::DWORD sentBytes);

// Why a run's request failed, as the worker reports it. The worker shows nothing: the dialog that
// made it decides what the user is told.
struct UploadFailure {
  enum class Kind {
    Internet,  // the HTTP client failed (connect, send, write, end, read): `number` is the WinInet number
    Poster,    // the form poster's own failure (CBasicHttpException): `number` is its code
    Other,     // any other failure with a description (a file read error, memory): `number` 0 or the OS error
    Unknown,   // a failure that carries nothing to describe it
    Status,    // the server answered with another status than 200: `number` is that status (0: none read)
  };
  Kind kind = Kind::Unknown;
  plat::DWORD number = 0;
  std::string text;  // the failure's own description (CP949); may be empty
};

// The dialog's failure routine: (progress context, the failure). Called on the worker thread, at
// most once a run, after the request has been abandoned and before the run's end event is signalled,
// so whatever it shows holds the dialog open until it returns. Every run that did not store a reply
// and was not cancelled reports exactly one failure (also an answer with another status than 200).
using UploadFailureRoutine = void (*)(void* context, const UploadFailure& failure);

// Where the worker reports to, on its own thread: the context is passed back to both routines.
struct UploadReports {
  void* context = nullptr;
  UploadProgressRoutine progress = nullptr;  // may be null
  UploadFailureRoutine failure = nullptr;    // may be null
};

// One upload. The progress dialog makes it with everything the upload needs, starts a thread
// (below-normal priority) on UploadThreadProc with it, asks it to stop when the user cancels, and
// polls TakeEnd; it must keep the worker, the lists, the settings, the session and the control
// alive until TakeEnd has answered Done or Cancelled. Everything else belongs to the worker thread
// while it runs; the read-outs (TotalBytes, Error, ...) are for after the run.
class UploadWorker {
 public:
  // The most reply bytes kept (a reply is read to its end or to this many bytes, whichever is first).
  static constexpr std::size_t kMaxReplyBytes = 16 * 1024 * 1024;
  // The status the reply must have to become the control's ServerResponse.
  static constexpr plat::DWORD kStatusOk = 200;

  // How a run ended, as TakeEnd sees it.
  enum class End { Running, Done, Cancelled };

  // `settings` (host, path, referer, page parameters; null: an empty request to nowhere), the lists
  // (images and deletions may be null), the HTTP session the request is made on and the control the
  // reply goes to (null: it goes nowhere) are all borrowed. No event is signalled yet.
  UploadWorker(const UploadSettings* settings, const UploadLists& lists, plat::inet::HINTERNET session,
               IUploadControl* control, const UploadReports& reports = {});
  UploadWorker(const UploadWorker&) = delete;
  UploadWorker& operator=(const UploadWorker&) = delete;

  // ----- the upload procedure (worker thread) -----

  // Builds the request from the settings and the lists, sends it and judges the status. On status
  // 200 with the reply read, stores the reply as the control's ServerResponse (under the reply lock)
  // and returns 1; on another status sets Error() to "Error Precheck return status = N\n" and returns
  // 0. Failures of the transfer (InternetException, CBasicHttpException, CFileException,
  // std::bad_alloc) pass on after the request is closed. Fields in body order: DELETE_FILE_COUNT and
  // DELETE_FILES (when there is a deletion list), the page parameters, "ATTACH_FILES" (or the
  // settings' FileFieldName) per local row, the image files under their field names; server-held
  // records are skipped. With the settings' Utf8Form, names, values and file names go in UTF-8, each
  // file part names the file's own name (not its local path), and the reply is taken as UTF-8
  // (converted for the control); Reply() keeps the bytes as read.
  plat::BOOL Upload();

  // A new form poster on the worker's session.
  std::unique_ptr<CBasicHttp> CreateHttp();

  // Reads the reply body of `request` into Reply(): to its end (or its Content-Length), at most
  // kMaxReplyBytes, cut before its first zero byte (the page receives text). Memory grows with the
  // bytes that arrive, never with what the server declares. 1 on success; 0 when memory runs out
  // (Error() then holds why). A failing read throws InternetException, and so does a reply that
  // ends before its Content-Length or its last chunk: a reply that did not arrive whole is never
  // taken for the server's answer. A reply longer than kMaxReplyBytes is kept to its first
  // kMaxReplyBytes and is not read further.
  plat::BOOL ReadReply(plat::inet::HINTERNET request);

  // The per-block progress hook, of the form ProgressCallback (`param` is the worker): adds the block
  // to the sent bytes, calls the progress routine with the totals, and returns 0 (stop) when
  // PollCancel finds the stop event set, else 1.
  static plat::BOOL OnBlockSent(void* param, plat::DWORD fileSize, plat::DWORD bytesRead);

  // Tests the stop event without waiting (consuming its signal); the cancelled flag becomes 1 when
  // it was set, else 0. Returns the flag. Lock-free while no stop was asked for (an atomic that
  // RequestStop raises beside the event), since it runs after every block.
  plat::DWORD PollCancel();

  // The thread's body: seeds this thread's C runtime generator from the system's entropy (so the
  // boundary cannot be foreseen), runs Upload, and reports a failure of it (kind, number, text) to
  // the failure routine on this thread: a failure thrown, or an Upload that stored no reply (a status
  // other than 200 as Kind::Status, a reply that could not be kept as Kind::Other with Error()); the
  // worker itself shows nothing. A failure that follows the user's stop (RequestStop) is the stop
  // taking effect, not a fault: nothing is reported and the cancelled flag becomes 1. Only after the
  // routine has returned is exactly one end event signalled: cancelled when the cancelled flag is 1,
  // else done. Returns 0.
  plat::DWORD Run();

  // ----- the dialog's side (any thread) -----

  // The cancel button: sets the stop event, which the next block's PollCancel sees, and closes the
  // request under way, so that a call waiting on the network (a server that reads nothing, or never
  // answers) ends at once instead of at its time limit. From then on the run ends cancelled unless
  // its request had already been answered and read.
  void RequestStop();
  // Whether the run has ended, consuming the end event it finds (the cancelled one is looked at
  // first). Running while the run goes on, and again after its end has been taken.
  End TakeEnd();

  // ----- read-outs, once the run has ended -----

  plat::DWORD TotalBytes() const { return m_dwTotalBytes; }  // recorded sizes of the files sent
  plat::DWORD SentBytes() const { return m_dwSentBytes; }    // file bytes read and written
  plat::DWORD Cancelled() const { return m_bCancelled; }     // the last PollCancel's answer
  const std::string& Error() const { return m_strError; }    // why Upload stored no reply (CP949)
  const std::string& Reply() const { return m_strReply; }    // the reply body ReadReply read
  // The HTTP status the server answered with; 0 when none was read.
  plat::DWORD Status() const { return m_dwStatus; }
  // True when Upload stored the reply of a 200 answer: the only successful end of a run.
  bool Succeeded() const { return m_bSucceeded; }
  // The failure Run reported, if any.
  const std::optional<UploadFailure>& Failure() const { return m_failure; }

 private:
  void AddFileFields(CBasicHttp& http);
  void AddTextFields(CBasicHttp& http);
  void StoreReply();
  bool Utf8Form() const;  // the settings ask for a UTF-8 form
  void ReportFailure(UploadFailure failure);
  // The request that RequestStop closes: set once it is open, cleared before it is closed here.
  void WatchRequest(plat::inet::HINTERNET request);
  bool StopRequested();
  class RequestWatch;

  plat::kernel::Event m_evDone;       // set by Run when the run ended without cancellation
  plat::kernel::Event m_evStop;       // set by RequestStop; polled by PollCancel
  plat::kernel::Event m_evCancelled;  // set by Run when the run ended by cancellation
  std::atomic<bool> m_bStopPending{false};  // raised by RequestStop after it set m_evStop
  const UploadSettings* const m_pSettings;   // host, path, referer, page parameters; not owned
  const CAttachRefList* const m_pListUpload;  // the attachment rows; not owned, may be null
  const CAttachList* const m_pListImage;      // the image records; not owned, may be null
  const CAttachList* const m_pListDelete;     // the deletion records; not owned, may be null
  const plat::inet::HINTERNET m_pSession;     // the dialog's HTTP session; not owned
  IUploadControl* const m_pControl;          // the control the reply goes to; not owned
  plat::DWORD m_dwTotalBytes = 0;    // recorded sizes of the files put into the request
  plat::DWORD m_dwSentBytes = 0;     // file bytes read and written so far
  plat::DWORD m_bCancelled = 0;      // 1 when the last PollCancel found the stop event set
  std::string m_strError;            // why Upload did not store a reply (CP949)
  const UploadReports m_reports;     // the dialog's context and routines
  std::string m_strReply;            // the reply body read by ReadReply
  plat::kernel::CriticalSection m_csReply;  // held while the reply is stored into the control
  std::optional<UploadFailure> m_failure;   // what Run reported
  plat::kernel::CriticalSection m_csStop;   // guards the two below between RequestStop and the run
  bool m_bStopRequested = false;            // RequestStop was called
  plat::inet::HINTERNET m_hWatched = nullptr;  // the open request RequestStop closes; not owned
  plat::DWORD m_dwStatus = 0;        // the answer's HTTP status, 0 until one was read
  bool m_bSucceeded = false;         // Upload stored the reply of a 200 answer
};

// The worker thread's entry: `param` is the UploadWorker; runs its Run and returns 0.
plat::DWORD UploadThreadProc(void* param);

}  // namespace drev
