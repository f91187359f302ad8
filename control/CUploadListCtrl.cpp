// The control object's life, its window (which hosts the attachment dialog) and the private
// messages that become page events.
#include "control/CUploadListCtrl.h"

#include "control/DispIds.h"
#include "control/DrevFactory.h"
#include "control/Identifiers.h"
#include "model/PrivateMessages.h"
#include "model/SizeText.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace drev {

namespace pw = plat::win;

CUploadListCtrl::CUploadListCtrl()
    : COleControl(CLSID_DREV, kMiscStatus), m_moduleLock(DrevModule()), m_mainFrm(this) {
  InitializeIIDs(DIID__DDrev, DIID__DDrevEvents);
  m_pSettings = std::make_unique<UploadSettings>();
  BuildDispatchMap();
  SetCurrentControl(this);
}

CUploadListCtrl::~CUploadListCtrl() {
  ReleaseCurrentControl(this);
  // The attachment dialog is a child of the control window: it goes while m_mainFrm still exists.
  DestroyControlWindow();
}

// ----- what the rest of the system asks of the control -----

plat::LRESULT CUploadListCtrl::SendToControl(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (pw::HWND hwnd = GetSafeHwnd()) return pw::SendMessage(hwnd, message, wParam, lParam);
  return OnControlMessage(message, wParam, lParam);
}

void CUploadListCtrl::SetServerResponse(const std::string& reply) {
  std::lock_guard lock(m_responseLock);
  m_strServerResponse = reply;
}

std::string CUploadListCtrl::GetServerResponse() {
  std::lock_guard lock(m_responseLock);
  return m_strServerResponse;
}

void CUploadListCtrl::FireOnFileAppended(std::int32_t appendedFileSize, std::int32_t totalSize) {
  FireEvent(dispid::OnFileAppended, {appendedFileSize, totalSize});
}

void CUploadListCtrl::FireOnFileDeleted(std::int32_t deletedFileSize, std::int32_t totalFileSize) {
  FireEvent(dispid::OnFileDeleted, {deletedFileSize, totalFileSize});
}

// ----- the control window -----

plat::LRESULT CUploadListCtrl::WindowProc(plat::UINT msg, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (msg) {
    case UM_UPLOAD_CANCEL:
    case UM_UPLOAD_FINISH:
    case UM_UPLOAD_START:
    case UM_LIST_CHANGED:
    case UM_UPLOAD_FAILED:
      return OnControlMessage(msg, wParam, lParam);
    default:
      return COleControl::WindowProc(msg, wParam, lParam);
  }
}

// The control window only hosts the attachment dialog, which fills it.
int CUploadListCtrl::OnCreate(pw::CREATESTRUCTA* cs) {
  if (COleControl::OnCreate(cs) == -1) return -1;
  m_mainFrm.SetSettings(m_pSettings.get());
  // A control without its list is of no use to the page: a dialog that cannot be made fails the
  // window's creation rather than leaving an empty control that reports success.
  if (!m_mainFrm.Create(CMainFrm::IDD, pw::CWnd::FromHandle(GetSafeHwnd()))) return -1;
  m_mainFrm.ShowWindow(pw::SW_SHOWNORMAL);
  return 0;
}

void CUploadListCtrl::OnSize(plat::UINT type, int cx, int cy) {
  COleControl::OnSize(type, cx, cy);
  if (!m_mainFrm.GetSafeHwnd()) return;
  plat::RECT client;
  pw::GetClientRect(GetSafeHwnd(), &client);
  m_mainFrm.MoveWindow(client, plat::TRUE);
}

// ----- private messages to page events -----

plat::LRESULT CUploadListCtrl::OnControlMessage(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
  switch (message) {
    case UM_UPLOAD_CANCEL:
      FireEvent(dispid::CancelUpload);
      break;
    case UM_UPLOAD_FINISH:
      OnUploadFinish();
      break;
    case UM_UPLOAD_START:
      FireEvent(dispid::StartUpload);
      break;
    case UM_LIST_CHANGED:
      OnListChanged(reinterpret_cast<const ATTACH_TOTALS*>(wParam));
      break;
    case UM_UPLOAD_FAILED:
      OnUploadFailed(static_cast<std::int32_t>(wParam), reinterpret_cast<const std::string*>(lParam));
      break;
    default:
      break;
  }
  return 0;
}

// The lists are emptied first (the page hears ChangeFileList for the empty list), then the reply.
void CUploadListCtrl::OnUploadFinish() {
  // The reply is taken before the lists are emptied: a ChangeFileList handler may start the next
  // upload, whose reply would otherwise be handed out here in place of this one's.
  const std::string reply = GetServerResponse();
  m_mainFrm.ResetAll();
  FireEvent(dispid::OnContentReceived, {reply});
}

// A failed or refused upload: the lists stay as they are for a retry, and the page hears the status
// and the reason the user was shown.
void CUploadListCtrl::OnUploadFailed(std::int32_t status, const std::string* reason) {
  FireEvent(dispid::UploadFailed, {status, reason != nullptr ? *reason : std::string()});
}

// The two texts are the size texts of the row total and the image total.
void CUploadListCtrl::OnListChanged(const ATTACH_TOTALS* totals) {
  if (!totals) return;
  FireEvent(dispid::ChangeFileList, {FormatSizeText(static_cast<plat::DWORD>(totals->nFileSize)),
                                     FormatSizeText(static_cast<plat::DWORD>(totals->nImageSize))});
}

}  // namespace drev
