// UploadWorker::Run: the worker thread's body, the report of a failure, and the end event.
#include <exception>
#include <utility>

#include "http/CBasicHttpException.h"
#include "http/CFileException.h"
#include "http/UploadWorker.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/rand.h"

namespace drev {

plat::DWORD UploadWorker::Run() {
  using Kind = UploadFailure::Kind;
  // Every upload thread would otherwise draw the same boundary, which a file could carry to split
  // the body and add form fields of its own.
  plat::kernel::SeedFromSecureSource();
  try {
    if (Upload()) {
      m_bSucceeded = true;
    } else if (m_dwStatus != kStatusOk) {
      ReportFailure({Kind::Status, m_dwStatus, m_strError});
    } else {
      // Answered 200, but the reply could not be kept: the page has no reply to act on.
      ReportFailure({Kind::Other, 0, m_strError});
    }
  } catch (const plat::inet::InternetException& failure) {
    ReportFailure({Kind::Internet, failure.GetErrorCode(), failure.GetDescription()});
  } catch (const CBasicHttpException& failure) {
    ReportFailure({Kind::Poster, static_cast<plat::DWORD>(failure.m_nCode), failure.m_strMessage});
  } catch (const CFileException& failure) {
    ReportFailure({Kind::Other, failure.m_lOsError, failure.m_strDescription});
  } catch (const std::exception& failure) {
    ReportFailure({Kind::Other, 0, failure.what()});
  } catch (...) {
    // Nothing else is thrown by the upload; should it be, the dialog must still learn the run ended.
    ReportFailure({Kind::Unknown, 0, {}});
  }
  if (m_bCancelled == 1) {
    m_evCancelled.Set();
  } else {
    m_evDone.Set();
  }
  return 0;
}

void UploadWorker::ReportFailure(UploadFailure failure) {
  // The user's stop closes the request, so the run fails wherever it was: that is the cancel, not a
  // failure to tell anyone about.
  if (StopRequested()) {
    m_bCancelled = 1;
    return;
  }
  m_failure = std::move(failure);
  if (m_reports.failure != nullptr) m_reports.failure(m_reports.context, *m_failure);
}

plat::DWORD UploadThreadProc(void* param) { return static_cast<UploadWorker*>(param)->Run(); }

}  // namespace drev
