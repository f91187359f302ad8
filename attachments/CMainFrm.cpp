// The attachment model: rows and their records, the image and deletion lists, the totals sent to
// the control, the counting operations, the limits, scrap mode and the manager's teardown.
#include "attachments/CMainFrm.h"

namespace drev {

namespace {

// Sums wrap the way 32-bit signed sums did on the original platform; unsigned arithmetic gives that
// without overflowing a signed type.
std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t WrapSub(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

// Sizes of the deletion records of files that are not images: what the server will give back.
std::int32_t DeletedNonImageSize(const CAttachList& deletions) {
  std::int32_t sum = 0;
  for (const auto& record : deletions)
    if (record->m_bImage == 0) sum = WrapAdd(sum, record->m_nSize);
  return sum;
}

}  // namespace

CMainFrm::CMainFrm(IUploadControl* control) : plat::win::CDialog(IDD), m_pControl(control) {}

CMainFrm::~CMainFrm() {
  // The dialog normally goes with the control window; if it is still there, it goes now, while the
  // records and lists its teardown releases still exist.
  if (GetSafeHwnd()) DestroyWindow();
}

// ----- rows and their records -----

int CMainFrm::GetRowCount() { return m_ctlList.GetSafeHwnd() ? m_ctlList.GetItemCount() : 0; }

CAttachFile* CMainFrm::GetRecord(int row) {
  if (!m_ctlList.GetSafeHwnd()) return nullptr;
  return reinterpret_cast<CAttachFile*>(m_ctlList.GetItemData(row));
}

void CMainFrm::AdoptRecord(int row, std::unique_ptr<CAttachFile> record) {
  if (!record || !m_ctlList.GetSafeHwnd()) return;
  // The row owns the record only once the list has taken it; a refused one is destroyed here.
  if (!m_ctlList.SetItemData(row, reinterpret_cast<plat::win::DWORD_PTR>(record.get()))) return;
  m_nRowBytes = WrapAdd(m_nRowBytes, record->m_nSize);
  if (record->m_bServer == 0) ++m_nLocalRows;
  record.release();
}

std::unique_ptr<CAttachFile> CMainFrm::TakeRecord(int row) {
  CAttachFile* record = GetRecord(row);
  if (!record) return nullptr;
  m_ctlList.SetItemData(row, 0);
  m_nRowBytes = WrapSub(m_nRowBytes, record->m_nSize);
  if (record->m_bServer == 0) --m_nLocalRows;
  return std::unique_ptr<CAttachFile>(record);
}

// ----- totals and counts -----

void CMainFrm::UpdateTotals() {
  if (!m_pTotals) return;
  ATTACH_TOTALS totals;
  const int rows = GetRowCount();
  totals.nFileCount += rows;
  totals.nTotalCount += rows;
  totals.nFileSize = WrapAdd(totals.nFileSize, m_nRowBytes);
  for (const auto& record : m_listImage) {
    ++totals.nImageCount;
    ++totals.nTotalCount;
    totals.nImageSize = WrapAdd(totals.nImageSize, record->m_nSize);
  }
  *m_pTotals = totals;
  if (m_pControl != nullptr)
    m_pControl->SendToControl(UM_LIST_CHANGED, reinterpret_cast<plat::WPARAM>(m_pTotals.get()), 0);
}

std::int16_t CMainFrm::GetFileCount(const std::string& type) {
  std::int32_t count = 0;
  if (type == "ATTACH_FILE") {
    count = m_nLocalRows;
  } else if (type == "ATTACH_IMAGE") {
    for (const auto& record : m_listImage)
      if (record->m_bServer == 0) ++count;
  } else if (type == "DELETE_FILE") {
    count = static_cast<std::int32_t>(m_listDelete.size());
  } else if (type == "TOTAL_ATTACH_FILE") {
    count = GetFileCount("ATTACH_FILE") + GetFileCount("ATTACH_IMAGE");
  }
  // The count travels as a 16-bit script value: higher counts wrap.
  return static_cast<std::int16_t>(count);
}

std::int32_t CMainFrm::GetUploadSize() {
  return WrapSub(m_nRowBytes, DeletedNonImageSize(m_listDelete));
}

std::int32_t CMainFrm::GetImageUploadSize() {
  std::int32_t sum = 0;
  for (const auto& record : m_listImage) sum = WrapAdd(sum, record->m_nSize);
  return WrapSub(sum, DeletedNonImageSize(m_listDelete));
}

// ----- limits and scrap mode -----

void CMainFrm::SetUploadSize(std::int32_t uploadsize) { m_nMaxUploadSize = uploadsize; }
void CMainFrm::SetMaxUploadSize(std::int32_t uploadsize) { m_nMaxUploadSize = uploadsize; }
void CMainFrm::setScrapYn(bool scrapYn) { m_bScrap = scrapYn ? 1 : 0; }

// ----- emptying -----

void CMainFrm::RemoveAllItems() {
  if (m_bScrap) return;
  // Every record goes first, then every row in one step, with one repaint rather than one a row.
  for (int row = GetRowCount() - 1; row >= 0; --row) TakeRecord(row);
  if (!m_ctlList.GetSafeHwnd()) return;
  // No row holds a record any more: the list need not tell of each row it removes.
  m_bRemovingAllRows = true;
  m_ctlList.DeleteAllItems();
  m_bRemovingAllRows = false;
}

void CMainFrm::RemoveAllImages() {
  if (m_bScrap) return;
  m_listImage.clear();
}

void CMainFrm::RemoveAllDeleteFiles() {
  if (m_bScrap) return;
  m_listDelete.clear();
}

void CMainFrm::ResetAll() {
  // The hand-off list borrows row records: let go of them before they are destroyed.
  m_listUpload.clear();
  RemoveAllItems();
  RemoveAllImages();
  RemoveAllDeleteFiles();
  UpdateTotals();
}

}  // namespace drev
