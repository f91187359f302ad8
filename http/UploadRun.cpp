// UploadWorker::Run: the worker thread's body, what the user is told of a failure, and the end event.
#include <cstdio>
#include <exception>

#include "http/CBasicHttpException.h"
#include "http/UploadWorker.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/rand.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "resources/AppName.h"

namespace {

// The program's standard message box: modal on this thread, an exclamation icon, one OK button.
void ShowExclamation(const std::string& text) {
  plat::win::MessageBoxA(nullptr, text.c_str(), AfxGetAppName().c_str(), plat::win::MB_OK | plat::win::MB_ICONEXCLAMATION);
}

std::string UnknownErrorText(plat::DWORD error) {
  char text[128];
  std::snprintf(text, sizeof text, plat::text::Ansi("알수 없는 오류(%d)").c_str(), static_cast<int>(error));
  return text;
}

}  // namespace

plat::DWORD UploadWorker::Run() {
  // Every upload thread would otherwise draw the same boundary, which a file could carry to split
  // the body and add form fields of its own.
  plat::kernel::SeedFromSecureSource();
  try {
    Upload();
  } catch (const plat::inet::InternetException& failure) {
    const std::string& description = failure.GetDescription();
    ShowExclamation(description.empty() ? UnknownErrorText(failure.GetErrorCode()) : description);
  } catch (const CBasicHttpException&) {
    // The poster's own failures (a file that cannot be sent, a stop) are not shown.
  } catch (const std::exception& failure) {
    ShowExclamation(failure.what());
  } catch (...) {
    // Nothing else is thrown by the upload; should it be, the dialog must still learn the run ended.
    ShowExclamation(plat::text::Ansi("알수 없는 오류!!!"));
  }
  if (m_bCancelled == 1) {
    m_evCancelled.Set();
  } else {
    m_evDone.Set();
  }
  return 0;
}

plat::DWORD UploadThreadProc(void* param) { return static_cast<UploadWorker*>(param)->Run(); }
