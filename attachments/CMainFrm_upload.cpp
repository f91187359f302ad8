// Starting an upload: the size checks, the decision whether anything is to be sent, the hand-off of
// the three lists to the progress dialog and the two ways the upload ends.
#include <algorithm>
#include <utility>

#include "attachments/CMainFrm.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "resources/AppName.h"
#include "session/CProgressDlg.h"

namespace drev {

namespace pw = plat::win;

namespace {

// The most bytes the images of one upload may hold together.
constexpr std::int32_t kMaxImageUploadSize = 0x200000;  // 2,097,152

void ShowMessage(pw::HWND owner, const std::string& text) {
  pw::MessageBoxA(owner, text.c_str(), AfxGetAppName().c_str(), pw::MB_OK | pw::MB_ICONEXCLAMATION);
}

// A local file's record holds the low 32 bits of its size, so a file of 2 GiB or more reads as a
// negative number, one of 4 GiB or more as a small one, and a few large files wrap the 32-bit
// totals; any of them would slip under the limit. The limits are therefore checked against 64-bit
// sums in which a local file counts its whole size as it was listed. A server row counts the size
// the page gave it. Below 2 GiB in all the sums equal the totals.
std::int64_t BytesForLimit(const CAttachFile& record) {
  if (record.m_bServer != 0) return record.m_nSize;
  return std::max<std::int64_t>(record.m_nDiskSize, static_cast<std::uint32_t>(record.m_nSize));
}

void SendToControl(IUploadControl* control, plat::UINT message) {
  if (control != nullptr) control->SendToControl(message, 0, 0);
}

// A refused upload: no reply belongs to it, and the page hears why (status 0: nothing was sent).
void ReportRefusal(IUploadControl* control, const std::string& reason) {
  if (control == nullptr) return;
  control->SetServerResponse(std::string());
  control->SendToControl(UM_UPLOAD_FAILED, 0, reinterpret_cast<plat::LPARAM>(&reason));
}

}  // namespace

bool CMainFrm::IsUploadRunning() const {
  return m_pUploadDialog != nullptr && !m_pUploadDialog->IsWorkerEnded();
}

std::int32_t CMainFrm::UploadFiles() {
  // A second upload started from the page's StartUpload handler would empty and refill the
  // hand-off list under the first one.
  if (m_bScrap || IsUploadRunning()) return 1;
  // Without a totals block nothing has been counted yet, and there is nothing to refuse.
  std::int64_t rowBytes = 0;
  std::int64_t imageBytes = 0;
  if (m_pTotals) {
    for (int row = 0; row < GetRowCount(); ++row)
      if (const CAttachFile* record = GetRecord(row)) rowBytes += BytesForLimit(*record);
    for (const auto& record : m_listImage) imageBytes += BytesForLimit(*record);
  }
  if (rowBytes > m_nMaxUploadSize) {
    const std::string reason = plat::text::Ansi("첨부된 파일이 용량을 초과 하였습니다");
    ShowMessage(GetSafeHwnd(), reason);
    ReportRefusal(m_pControl, reason);
    return 0;
  }
  if (imageBytes > kMaxImageUploadSize) {
    // The page cannot remove images, so the refused ones go; the rows stay for a retry.
    const std::string reason = plat::text::Ansi("추가된 이미지 파일이 용량을 초과 하였습니다");
    ShowMessage(GetSafeHwnd(), reason);
    m_listImage.clear();
    UpdateTotals();
    ReportRefusal(m_pControl, reason);
    return 0;
  }

  m_listUpload.clear();
  const int rows = GetRowCount();
  const bool somethingToSend = rows > 0 || (m_pSettings != nullptr && !m_pSettings->Parameters.empty()) ||
                               GetImageUploadSize() > 0;
  if (!somethingToSend) {
    // No request is made: the page hears of a start and an end, and pending deletions are dropped.
    SendToControl(m_pControl, UM_UPLOAD_START);
    SendToControl(m_pControl, UM_UPLOAD_FINISH);
    return 1;
  }
  for (int row = 0; row < rows; ++row) {
    if (CAttachFile* record = GetRecord(row)) m_listUpload.push_back(record);
  }

  std::int32_t result = 1;
  {
    CProgressDlg dialog(m_pControl);
    dialog.SetUploadList(&m_listUpload);
    dialog.SetImageList(&m_listImage);
    dialog.SetDeleteList(&m_listDelete);
    // From here until the worker has ended, the lists belong to the upload. A page handler of the
    // upload's end may start the next upload; this one's dialog is the running one again after it.
    const CProgressDlg* previous = std::exchange(m_pUploadDialog, &dialog);
    SendToControl(m_pControl, UM_UPLOAD_START);
    // Finished: the dialog has already had the control empty the lists and hand the page the
    // reply. Failed (the page has heard why) or cancelled: the lists stay as they were.
    // A modal loop that gave up (the host quitting) ends without either: it is no success either.
    if (dialog.DoModal() != pw::IDOK) result = 0;
    m_pUploadDialog = previous;
  }
  m_listUpload.clear();
  return result;
}

}  // namespace drev
