// UploadWorker: the upload request built from the settings and the lists, its status and its reply.
#include "http/UploadWorker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include "http/CBasicHttp.h"
#include "platform/inet/internet_error.h"
#include "platform/text/text.h"

namespace drev {

using namespace plat::inet;
using plat::BOOL;
using plat::DWORD;

namespace {

// The reply is read in pieces of this size, so memory follows the bytes that really arrive.
constexpr std::size_t kReplyPieceBytes = 64 * 1024;

// A text of the control (CP949) as the request carries it: unchanged, or in UTF-8.
std::string FormText(const std::string& cp949, bool utf8) { return utf8 ? plat::text::Cp949ToUtf8(cp949) : cp949; }

// The filename parameter of a file part: empty (the poster then sends the whole local path, as it
// always has), or in UTF-8 the file's own name, which tells the server nothing of the user's folders.
std::string SentFileName(const std::string& path, bool utf8) {
  if (!utf8) return {};
  const std::string name = plat::text::Cp949ToUtf8(path);
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

// Offers the open request to RequestStop for as long as the poster keeps it, and takes it back
// before the poster closes it.
class UploadWorker::RequestWatch {
 public:
  RequestWatch(UploadWorker& worker, HINTERNET request) : worker_(worker) { worker_.WatchRequest(request); }
  ~RequestWatch() { worker_.WatchRequest(nullptr); }
  RequestWatch(const RequestWatch&) = delete;
  RequestWatch& operator=(const RequestWatch&) = delete;

 private:
  UploadWorker& worker_;
};

UploadWorker::UploadWorker(const UploadSettings* settings, const UploadLists& lists, HINTERNET session,
                           IUploadControl* control, const UploadReports& reports)
    : m_pSettings(settings),
      m_pListUpload(lists.rows),
      m_pListImage(lists.images),
      m_pListDelete(lists.deletions),
      m_pSession(session),
      m_pControl(control),
      m_reports(reports) {}

std::unique_ptr<CBasicHttp> UploadWorker::CreateHttp() { return std::make_unique<CBasicHttp>(m_pSession); }

bool UploadWorker::Utf8Form() const { return m_pSettings != nullptr && m_pSettings->Utf8Form; }

void UploadWorker::AddFileFields(CBasicHttp& http) {
  const bool utf8 = Utf8Form();
  const std::string rowField = m_pSettings != nullptr && !m_pSettings->FileFieldName.empty()
                                   ? FormText(m_pSettings->FileFieldName, utf8)
                                   : std::string("ATTACH_FILES");
  if (m_pListUpload != nullptr) {
    for (const CAttachFile* row : *m_pListUpload) {
      if (row->m_bServer) continue;
      m_dwTotalBytes += static_cast<DWORD>(row->m_nSize);
      http.AddItem(rowField, "", row->m_strPath, row->m_strContentType, static_cast<DWORD>(row->m_nSize),
                   SentFileName(row->m_strPath, utf8));
    }
  }
  if (m_pListImage != nullptr) {
    for (const auto& image : *m_pListImage) {
      if (image->m_bServer) continue;
      m_dwTotalBytes += static_cast<DWORD>(image->m_nSize);
      http.AddItem(FormText(image->m_strParamName, utf8), "", image->m_strPath, image->m_strContentType,
                   static_cast<DWORD>(image->m_nSize), SentFileName(image->m_strPath, utf8));
    }
  }
}

void UploadWorker::AddTextFields(CBasicHttp& http) {
  if (m_pListDelete != nullptr) {
    char number[32];
    std::snprintf(number, sizeof number, "%ld", static_cast<long>(m_pListDelete->size()));
    http.AddItem("DELETE_FILE_COUNT", number, "", "", 0);
    std::string ids;
    for (const auto& record : *m_pListDelete) {
      std::snprintf(number, sizeof number, "%ld,", static_cast<long>(record->m_nFileId));
      ids += number;
    }
    http.AddItem("DELETE_FILES", ids, "", "", 0);
  }
  if (m_pSettings != nullptr) {
    const bool utf8 = Utf8Form();
    for (const auto& [name, value] : m_pSettings->Parameters) {
      http.AddItem(FormText(name, utf8), FormText(value, utf8), "", "", 0);
    }
  }
}

BOOL UploadWorker::Upload() {
  // Destroying the poster on the way out closes its request and connection, also when a failure
  // passes on from here.
  std::unique_ptr<CBasicHttp> http = CreateHttp();
  static const UploadSettings kNoSettings;
  const UploadSettings& settings = m_pSettings != nullptr ? *m_pSettings : kNoSettings;
  http->SetRefererUrl(settings.Referer);
  http->SetServerName(settings.Normal_ServerName);
  http->SetPort(80);
  http->SetVerb(CBasicHttp::Verb::Post);
  http->SetFormType(CBasicHttp::FormType::Multipart);
  http->SetObjectName(settings.Normal_UploadURL);
  AddFileFields(*http);
  AddTextFields(*http);
  http->SetProgressCallback(this, &UploadWorker::OnBlockSent);

  http->OpenRequest();
  RequestWatch watch(*this, http->GetFile());  // ends before the poster closes the request
  http->SendRequest();
  http->EndRequest();
  DWORD status = 0;
  http->QueryStatusCode(status);
  m_dwStatus = status;
  BOOL result = plat::FALSE;
  if (status == kStatusOk) {
    if (ReadReply(http->GetFile())) {
      StoreReply();
      result = plat::TRUE;
    }
  } else {
    char text[64];
    std::snprintf(text, sizeof text, "Error Precheck return status = %d\n", static_cast<int>(status));
    m_strError = text;
  }
  http->Close();
  return result;
}

void UploadWorker::StoreReply() {
  std::lock_guard lock(m_csReply);
  // The control keeps its texts in CP949: a reply the server wrote in UTF-8 is converted for it.
  if (m_pControl != nullptr) m_pControl->SetServerResponse(Utf8Form() ? plat::text::Utf8ToCp949(m_strReply) : m_strReply);
}

BOOL UploadWorker::ReadReply(HINTERNET request) {
  // The declared length only ever lowers the limit; the buffer grows with what arrives.
  std::size_t limit = kMaxReplyBytes;
  DWORD declared = 0;
  DWORD size = sizeof declared;
  if (HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &declared, &size, nullptr)) {
    limit = std::min<std::size_t>(limit, declared);
  }
  std::string reply;
  try {
    while (reply.size() < limit) {
      std::size_t piece = std::min(kReplyPieceBytes, limit - reply.size());
      std::size_t at = reply.size();
      reply.resize(at + piece);
      DWORD got = 0;
      if (!InternetReadFile(request, reply.data() + at, static_cast<DWORD>(piece), &got)) {
        ThrowLastInternetError(CBasicHttp::kContext);
      }
      reply.resize(at + got);
      // A short read is not yet the end: a reply cut off before its framing says it is whole hands
      // over what came and fails the read after it. Only a read that brings nothing ends the reply.
      if (got == 0) break;
    }
  } catch (const std::bad_alloc& failure) {
    m_strError.assign(failure.what(), std::min<std::size_t>(std::strlen(failure.what()), 1023));
    return plat::FALSE;
  }
  // The page receives text: a zero byte ends it.
  std::size_t zero = reply.find('\0');
  if (zero != std::string::npos) reply.resize(zero);
  m_strReply = std::move(reply);
  return plat::TRUE;
}

BOOL UploadWorker::OnBlockSent(void* param, DWORD /*fileSize*/, DWORD bytesRead) {
  auto* worker = static_cast<UploadWorker*>(param);
  worker->m_dwSentBytes += bytesRead;
  if (worker->m_reports.progress != nullptr) {
    worker->m_reports.progress(worker->m_reports.context, worker->m_dwTotalBytes, worker->m_dwSentBytes);
  }
  // Most blocks find no stop asked for: that answer without the call.
  if (!worker->m_bStopPending.load(std::memory_order_acquire)) {
    worker->m_bCancelled = 0;
    return plat::TRUE;
  }
  return worker->PollCancel() ? plat::FALSE : plat::TRUE;
}

DWORD UploadWorker::PollCancel() {
  // The event's lock is taken only once a stop was asked for; every other block costs one load.
  bool stopped = m_bStopPending.load(std::memory_order_acquire) && m_bStopPending.exchange(false) && m_evStop.Test();
  m_bCancelled = stopped ? 1 : 0;
  return m_bCancelled;
}

void UploadWorker::RequestStop() {
  m_evStop.Set();
  m_bStopPending.store(true, std::memory_order_release);
  std::lock_guard lock(m_csStop);
  m_bStopRequested = true;
  // Closing the handle ends a call the worker thread is inside with 12017, and every later call on
  // it fails: the run unwinds from wherever it waits. Handles are never reused, so the poster's own
  // close of it later does no harm.
  if (m_hWatched != nullptr) InternetCloseHandle(m_hWatched);
  m_hWatched = nullptr;
}

void UploadWorker::WatchRequest(HINTERNET request) {
  std::lock_guard lock(m_csStop);
  if (request != nullptr && m_bStopRequested) {
    // The stop came before the request opened: it does not go out at all.
    InternetCloseHandle(request);
    return;
  }
  m_hWatched = request;
}

bool UploadWorker::StopRequested() {
  std::lock_guard lock(m_csStop);
  return m_bStopRequested;
}

UploadWorker::End UploadWorker::TakeEnd() {
  if (m_evCancelled.Test()) return End::Cancelled;
  if (m_evDone.Test()) return End::Done;
  return End::Running;
}

}  // namespace drev
