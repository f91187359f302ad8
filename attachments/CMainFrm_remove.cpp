// Removing files from the attachment manager: the ticked rows, the rows of one kind, and the
// deletion list of files the server holds.
#include <algorithm>
#include <string>

#include "attachments/CMainFrm.h"

namespace drev {

void CMainFrm::DeleteSelectedItem() {
  if (m_bScrap || IsUploadRunning()) return;
  // The size reported is that of the last row removed in the walk from the bottom, which is the
  // lowest ticked row: the page has always been told that one, not the sum.
  std::int32_t removedSize = 0;
  for (int row = GetRowCount() - 1; row >= 0; --row) {
    if (m_ctlList.GetCheckbox(row, 0) != 1 || GetRecord(row) == nullptr) continue;
    std::unique_ptr<CAttachFile> record = TakeRecord(row);
    removedSize = record->m_nSize;
    m_ctlList.DeleteItem(row);
    // A file the server holds is not forgotten: the next upload tells the server to delete it.
    if (record->m_bServer) {
      record->m_bDeleted = 1;
      m_listDelete.push_back(std::move(record));
    }
  }
  UpdateTotals();
  m_ctlList.RedrawWindow(nullptr, nullptr, plat::win::RDW_INVALIDATE | plat::win::RDW_ERASE | plat::win::RDW_UPDATENOW);
  if (m_pControl != nullptr)
    m_pControl->FireOnFileDeleted(removedSize, m_pTotals ? m_pTotals->nFileSize : 0);
}

void CMainFrm::DeleteAllItem(std::uint16_t uType) {
  if (m_bScrap || IsUploadRunning()) return;
  const std::int32_t kind = static_cast<std::int32_t>(static_cast<std::uint32_t>(uType));
  for (int row = GetRowCount() - 1; row >= 0; --row) {
    const CAttachFile* record = GetRecord(row);
    if (record == nullptr || record->m_nKind != kind) continue;
    TakeRecord(row);  // destroyed before its row goes
    m_ctlList.DeleteItem(row);
  }
  UpdateTotals();
}

void CMainFrm::AddDeleteFile(std::int32_t fileid, std::int32_t filesize, std::int32_t bIsImage) {
  if (m_bScrap || IsUploadRunning()) return;
  auto record = std::make_unique<CAttachFile>();
  record->m_nFileId = fileid;
  record->m_nSize = filesize;
  record->m_bImage = bIsImage;
  record->m_bServer = 1;
  record->m_bDeleted = 1;
  // An image to delete is no longer one to keep: the first image record with that id goes.
  if (bIsImage) {
    auto image = std::find_if(m_listImage.begin(), m_listImage.end(),
                              [fileid](const auto& candidate) { return candidate->m_nFileId == fileid; });
    if (image != m_listImage.end()) m_listImage.erase(image);
  }
  m_listDelete.push_back(std::move(record));
  UpdateTotals();
}

std::string CMainFrm::GetDeleteFileList() {
  std::string list = ",";
  for (const auto& record : m_listDelete) list += "," + std::to_string(record->m_nFileId);
  return list;
}

}  // namespace drev
