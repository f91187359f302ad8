// Adding files to the attachment manager: the open-file dialog, dropped files, images and files the
// server holds, the rows they become, and the size and icon of a file.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "attachments/AttachNames.h"
#include "attachments/CMainFrm.h"
#include "model/SizeText.h"
#include "model/SystemErrorText.h"
#include "platform/kernel/error.h"
#include "platform/kernel/file.h"
#include "platform/registry/registry.h"
#include "platform/shell/file_dialog.h"
#include "platform/shell/file_drop.h"
#include "platform/shell/page_files.h"
#include "platform/shell/system_icons.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"
#include "resources/AppName.h"

namespace drev {

namespace pw = plat::win;
namespace shell = plat::shell;

namespace {

constexpr plat::COLORREF kServerTextColor = 0x787878;  // grey
constexpr plat::COLORREF kServerBackColor = 0xFFFFFF;  // white
// The open-file dialog's name buffer holds the folder, then each name with its terminator, then a
// last terminator. It has room for the folder and for as many names of the longest kind as
// MaxFileCount lets the list hold, and never less than the 4096 bytes it always had nor more than
// the upper bound below (a count limit of millions must not reserve gigabytes).
constexpr plat::DWORD kFileNameBufferSize = 4096;
constexpr plat::DWORD kFolderRoom = 4096;         // the longest folder path, with its terminator
constexpr plat::DWORD kNameRoom = 256;            // the longest file name, with its terminator
constexpr plat::DWORD kMaxFileNameBufferSize = 16u << 20;

plat::DWORD FileNameBufferSize(std::int32_t maxFileCount) {
  const std::uint64_t names = maxFileCount > 0 ? static_cast<std::uint64_t>(maxFileCount) : 0;
  const std::uint64_t wanted = kFolderRoom + names * kNameRoom + 1;
  return static_cast<plat::DWORD>(std::clamp<std::uint64_t>(wanted, kFileNameBufferSize, kMaxFileNameBufferSize));
}
constexpr plat::UINT kDropPathLimit = 260;  // characters of a dropped path, besides its terminator
constexpr const char* kDefaultContentType = "application/octet-stream";

// The program's message box: modal, an exclamation icon and one OK button, captioned with the
// application name.
void ShowMessage(pw::HWND owner, const std::string& text) {
  pw::MessageBoxA(owner, text.c_str(), AfxGetAppName().c_str(), pw::MB_OK | pw::MB_ICONEXCLAMATION);
}

// The system's text for `error`, asked for in two steps: its length, then the text itself.
std::string SystemErrorText(plat::DWORD error) {
  plat::DWORD length = 0;
  if (!GetSystemErrorText(error, nullptr, &length)) return std::to_string(error);
  std::vector<char> buffer(length + 1, '\0');
  plat::DWORD capacity = length + 1;
  GetSystemErrorText(error, buffer.data(), &capacity);
  return std::string(buffer.data());
}

// What a record keeps of a file's size: its low 32 bits.
std::int32_t LowSizeBits(std::int64_t bytes) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes & 0xFFFFFFFF));
}

void FireAppended(IUploadControl* control, std::int32_t appendedSize, const ATTACH_TOTALS* totals) {
  if (control != nullptr)
    control->FireOnFileAppended(appendedSize, totals ? totals->nFileSize : 0);
}

// One file picked in the dialog or dropped: its icon, its size, then its row. False when it was not
// added (the reason has been shown), which ends the adding of the files after it.
bool AddLocalFile(CMainFrm& frame, const std::string& path) {
  int icon = frame.GetIconIndex(path);
  std::int32_t size = 0;
  std::int64_t bytes = 0;
  if (!frame.ReadFileSize(path, size, &bytes)) return false;
  return frame.AddFileItem(path, icon, size, bytes) != 0;
}

}  // namespace

// What one batch has learnt of its extensions. A name without a dot-extension ("README",
// "name.") is judged by the shell on its own each time; the content type is kept for every
// extension text, as it depends on nothing else. A table lives for one batch only, so a change of
// the registry between two batches is seen by the next one.
struct CMainFrm::BatchKinds {
  std::unordered_map<std::string, int> icons;
  std::unordered_map<std::string, std::string> contentTypes;
};

// Sets up the batch table for the scope of one AttachFiles or OnDropFiles. A batch that a page's
// event handler starts inside another one keeps the outer table.
class CMainFrm::BatchScope {
 public:
  explicit BatchScope(CMainFrm& frame) : frame_(frame), owner_(frame.m_pBatchKinds == nullptr) {
    if (owner_) frame_.m_pBatchKinds = &kinds_;
  }
  ~BatchScope() {
    if (owner_) frame_.m_pBatchKinds = nullptr;
  }
  BatchScope(const BatchScope&) = delete;
  BatchScope& operator=(const BatchScope&) = delete;

 private:
  CMainFrm& frame_;
  const bool owner_;
  BatchKinds kinds_;
};

void CMainFrm::AttachFiles() {
  if (m_bScrap || IsUploadRunning()) return;
  const plat::DWORD bufferSize = FileNameBufferSize(m_pSettings != nullptr ? m_pSettings->MaxFileCount : 0);
  std::vector<char> fileNames(bufferSize, '\0');
  shell::CFileDialog dialog(plat::TRUE, nullptr, nullptr,
                            shell::OFN_ALLOWMULTISELECT | shell::OFN_FILEMUSTEXIST | shell::OFN_HIDEREADONLY |
                                shell::OFN_EXPLORER,
                            plat::text::Ansi("모든 파일(*.*)|*.*||").c_str());
  dialog.m_ofn.lpstrFile = fileNames.data();
  dialog.m_ofn.nMaxFile = bufferSize;
  if (dialog.DoModal() != pw::IDOK) {
    // A selection larger than the buffer ends the dialog like a cancel; the user must hear of it.
    if (shell::CommDlgExtendedError() == shell::FNERR_BUFFERTOOSMALL) {
      ShowMessage(GetSafeHwnd(), plat::text::Ansi("선택한 파일이 너무 많습니다. 파일을 나누어 추가해 주십시오."));
    }
    return;
  }
  BatchScope batch(*this);
  for (shell::POSITION pos = dialog.GetStartPosition(); pos;)
    if (!AddLocalFile(*this, dialog.GetNextPathName(pos))) break;
}

void CMainFrm::OnDropFiles(shell::HDROP hDropInfo) {
  if (!m_bScrap && !IsUploadRunning()) {
    BatchScope batch(*this);
    const plat::UINT count = shell::DragQueryFileA(hDropInfo, shell::kDragQueryCount, nullptr, 0);
    for (plat::UINT i = 0; i < count; ++i) {
      // A path longer than the path buffer would come out cut short, naming another file or none:
      // it is refused whole, and the other files go on.
      const plat::UINT length = shell::DragQueryFileA(hDropInfo, i, nullptr, 0);
      std::string path(length, '\0');
      shell::DragQueryFileA(hDropInfo, i, path.data(), length + 1);
      // Files the browser keeps in its cache are not offered for upload.
      if (PathContains(path, "Temporary Internet Files")) continue;
      if (length > kDropPathLimit) {
        ShowMessage(GetSafeHwnd(), path + "\r\n" +
                                       plat::text::Ansi("경로가 260자보다 길어 이 파일을 추가할 수 없습니다."));
        continue;
      }
      if (!AddLocalFile(*this, path)) break;
    }
  }
  shell::DragFinish(hDropInfo);
}

void CMainFrm::AddImage(const std::string& paramName, const std::string& strFilePath, bool pathLossless) {
  if (m_bScrap || IsUploadRunning()) return;
  if (!pathLossless) {
    ShowMessage(GetSafeHwnd(), strFilePath + "\r\n" +
                                   plat::text::Ansi("파일 이름에 이 시스템의 문자(코드 페이지 949)로 나타낼 수 없는 "
                                                    "글자가 있어 이 파일은 추가하지 않았습니다."));
    return;
  }
  if (!shell::IsPageFileAllowed(strFilePath)) {
    ShowMessage(GetSafeHwnd(), SystemErrorText(plat::kernel::ERROR_ACCESS_DENIED));
    return;
  }
  std::int32_t size = 0;
  std::int64_t bytes = 0;
  if (!ReadFileSize(strFilePath, size, &bytes)) return;
  auto record = std::make_unique<CAttachFile>();
  record->m_strParamName = paramName;
  record->m_strPath = strFilePath;
  record->m_strName = strFilePath;  // the whole text, not only its last component
  record->m_strExt = AttachExtensionOf(strFilePath);
  record->m_strContentType = GetContentType(record->m_strExt);
  record->m_nSize = size;
  record->m_nDiskSize = bytes;
  record->m_bServer = 0;
  record->m_bImage = 1;
  m_listImage.push_back(std::move(record));
  UpdateTotals();
}

void CMainFrm::AddPreUploadFile(const std::string& filename, std::int32_t fileid, std::int32_t filesize,
                                std::int32_t bIsImageFile) {
  if (IsUploadRunning()) return;
  auto record = std::make_unique<CAttachFile>();
  record->m_nFileId = fileid;
  record->m_bImage = bIsImageFile;
  record->m_nSize = filesize;
  record->m_bServer = 1;
  record->m_bDeleted = 0;
  record->m_strName = filename;
  record->m_strPath = filename;
  record->m_strContentType = kDefaultContentType;
  int icon = GetIconIndex(filename);
  if (bIsImageFile)
    m_listImage.push_back(std::move(record));
  else
    AddServerItem(std::move(record), icon, filesize);
  UpdateTotals();
}

namespace {

// Whether a row may be added: the row count before the addition must stay below MaxFileCount.
// Shows the count-limit message when it may not.
bool RoomForRow(CMainFrm& frame) {
  const UploadSettings* settings = frame.GetSettings();
  const std::int32_t limit = settings ? settings->MaxFileCount : 0;
  if (frame.GetRowCount() < limit) return true;
  char text[160];
  std::snprintf(text, sizeof text, plat::text::Ansi("%d개 이상 파일을 추가 할 수 없습니다.").c_str(), limit);
  ShowMessage(frame.GetSafeHwnd(), text);
  return false;
}

// Appends the row of `record`: an unticked box in column 0, the icon and the name in column 1, the
// size text in column 2 (grey on white for a file the server holds), the record as the row's own.
// Drawing is held while the row is built, so it appears in one piece. False (and the record
// destroyed) when the list has no window to take the row.
bool InsertRow(CMainFrm& frame, std::unique_ptr<CAttachFile> record, int icon, std::int32_t size) {
  CXListCtrl& list = frame.GetListCtrl();
  if (!list.GetSafeHwnd()) return false;
  const bool server = record->m_bServer != 0;
  const std::string sizeText = FormatSizeText(static_cast<plat::DWORD>(size));
  list.SetRedraw(plat::FALSE);
  const int row = list.InsertItem(frame.GetRowCount(), "");
  if (row >= 0) {
    if (server) {
      list.SetItemText(row, 1, record->m_strName.c_str(), kServerTextColor, kServerBackColor);
      list.SetItemText(row, 2, sizeText.c_str(), kServerTextColor, kServerBackColor);
    } else {
      list.SetItemText(row, 1, record->m_strName.c_str());
      list.SetItemText(row, 2, sizeText.c_str());
    }
    list.SetItemImage(row, 1, icon);
    list.SetCheckbox(row, 0, 0);
    frame.AdoptRecord(row, std::move(record));
    list.Update(row);
  }
  list.SetRedraw(plat::TRUE);
  return row >= 0;
}

}  // namespace

int CMainFrm::AddFileItem(const std::string& path, int icon, std::int32_t size, std::int64_t diskSize) {
  if (m_bScrap) return 1;
  if (IsUploadRunning()) return 0;
  // Without its window the list can take no row (and its limit is not known yet).
  if (!m_ctlList.GetSafeHwnd() || !RoomForRow(*this)) return 0;
  auto record = std::make_unique<CAttachFile>();
  record->m_nSize = size;
  record->m_nDiskSize = diskSize >= 0 ? diskSize : static_cast<std::int64_t>(static_cast<std::uint32_t>(size));
  record->m_strPath = path;
  record->m_strName = AttachNameOfPath(path);
  record->m_strExt = AttachExtensionOf(record->m_strName);
  record->m_strContentType = ContentTypeForRow(record->m_strExt);
  record->m_bServer = 0;
  record->m_nFileId = -1;
  if (!InsertRow(*this, std::move(record), icon, size)) return 0;
  UpdateTotals();
  FireAppended(m_pControl, size, m_pTotals.get());
  return 1;
}

void CMainFrm::AddServerItem(std::unique_ptr<CAttachFile> record, int icon, std::int32_t size) {
  if (m_bScrap || !record || IsUploadRunning()) return;
  if (!m_ctlList.GetSafeHwnd() || !RoomForRow(*this)) return;
  const std::int32_t appended = record->m_nSize;
  if (!InsertRow(*this, std::move(record), icon, size)) return;
  UpdateTotals();
  FireAppended(m_pControl, appended, m_pTotals.get());
}

bool CMainFrm::ReadFileSize(const std::string& path, std::int32_t& size, std::int64_t* wholeSize) {
  using namespace plat::kernel;
  // No sharing: a file that another program holds open is refused, as it may still be changing.
  File file = File::Open(path, GENERIC_READ, 0, OPEN_EXISTING);
  const std::int64_t bytes = file.IsOpen() ? file.Size() : -1;
  if (bytes < 0) {
    const plat::DWORD error = GetLastError();
    // A named pipe, a socket or a device cannot be sent as a file's content: the system's
    // "access denied" would be no reason the user could act on.
    if (GetFileAttributesA(path.c_str()) == FILE_ATTRIBUTE_DEVICE) {
      ShowMessage(GetSafeHwnd(), path + "\r\n" +
                                     plat::text::Ansi("일반 파일이 아니어서(파이프, 소켓 또는 장치) 이 파일을 "
                                                      "추가할 수 없습니다."));
      return false;
    }
    ShowMessage(GetSafeHwnd(), SystemErrorText(error));
    return false;
  }
  size = LowSizeBits(bytes);
  if (wholeSize) *wholeSize = bytes;
  return true;
}

int CMainFrm::GetIconIndex(const std::string& path) {
  // Judged by the name alone (the file is not opened), which with a dot-extension means by that
  // extension: within a batch each one is asked for once.
  std::string ext;
  if (m_pBatchKinds != nullptr) {
    ext = AttachExtensionOf(AttachNameOfPath(path));
    if (ext.size() < 2 || ext[0] != '.') ext.clear();
    if (!ext.empty())
      if (auto known = m_pBatchKinds->icons.find(ext); known != m_pBatchKinds->icons.end()) return known->second;
  }
  shell::SHFILEINFOA info;
  // No answer leaves the generic document icon.
  int icon = shell::kIconDocument;
  if (shell::SHGetFileInfoA(path.c_str(), shell::FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                            shell::SHGFI_SYSICONINDEX | shell::SHGFI_SMALLICON | shell::SHGFI_USEFILEATTRIBUTES))
    icon = info.iIcon;
  if (!ext.empty()) m_pBatchKinds->icons.emplace(std::move(ext), icon);
  return icon;
}

std::string CMainFrm::ContentTypeForRow(const std::string& ext) {
  if (m_pBatchKinds == nullptr) return GetContentType(ext);
  auto known = m_pBatchKinds->contentTypes.find(ext);
  if (known == m_pBatchKinds->contentTypes.end())
    known = m_pBatchKinds->contentTypes.emplace(ext, GetContentType(ext)).first;
  return known->second;
}

std::string CMainFrm::GetContentType(const std::string& ext) {
  namespace reg = plat::registry;
  std::string contentType = kDefaultContentType;
  if (ext.empty()) return contentType;
  reg::HKEY key = nullptr;
  if (reg::RegOpenKeyExA(reg::HKEY_CLASSES_ROOT, ext.c_str(), 0, reg::KEY_QUERY_VALUE, &key) != 0)
    return contentType;
  char buffer[512] = {};
  plat::DWORD size = sizeof buffer;
  if (reg::RegQueryValueExA(key, "Content Type", nullptr, nullptr, reinterpret_cast<plat::BYTE*>(buffer), &size) ==
      0) {
    // The text read, ending at its terminator within the buffer.
    contentType.assign(buffer, strnlen(buffer, std::min<std::size_t>(size, sizeof buffer)));
  }
  reg::RegCloseKey(key);
  return contentType;
}

}  // namespace drev
