// The open-file dialog: the queued answer checked, laid out in the caller's file-name buffer, and
// walked back as full paths.
#include "platform/shell/file_dialog.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/shell/shell_paths.h"
#include "platform/text/text.h"
#include "platform/win/backend.h"

namespace plat::shell {
namespace {

thread_local DWORD t_lastError = 0;

// A checked selection laid out as the dialog hands it over.
struct Selection {
  std::string bytes;    // without the extra NUL of a single selection
  bool single = true;
  WORD fileOffset = 0;
  WORD extensionOffset = 0;
};

bool IsExistingFile(const std::string& utf8Path) {
  std::error_code error;
  auto status = std::filesystem::status(utf8Path, error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The selection's form for CP949 absolute paths; nothing when they are not all in one folder.
std::optional<Selection> Layout(const std::vector<std::string>& paths) {
  Selection s;
  if (paths.size() == 1) {
    const std::string& path = paths.front();
    std::size_t slash = path.rfind('/');
    std::size_t dot = text::ReverseFindChar(path, '.');
    s.bytes = path + '\0';
    s.fileOffset = static_cast<WORD>(slash + 1);
    s.extensionOffset = dot != std::string::npos && dot > slash ? static_cast<WORD>(dot + 1) : 0;
    return s;
  }
  std::size_t slash = paths.front().rfind('/');
  std::string folder = paths.front().substr(0, slash == 0 ? 1 : slash);
  s.single = false;
  s.bytes = folder + '\0';
  s.fileOffset = static_cast<WORD>(s.bytes.size());
  for (const std::string& path : paths) {
    std::size_t cut = path.rfind('/');
    if (path.substr(0, cut == 0 ? 1 : cut) != folder) return std::nullopt;
    s.bytes += path.substr(cut + 1) + '\0';
  }
  s.bytes += '\0';
  return s;
}

// The text at `offset` of a buffer of `size` bytes, up to its NUL or the buffer's end.
std::string TextAt(const char* buffer, std::size_t size, std::size_t offset) {
  if (offset >= size) return {};
  const char* start = buffer + offset;
  const void* nul = std::memchr(start, '\0', size - offset);
  return std::string(start, nul ? static_cast<const char*>(nul) - start : size - offset);
}

// A folder and a name as one path, with the separator the folder uses.
std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && text::ReverseFindAny(folder, "\\/") == folder.size() - 1) return folder + name;
  return folder + (folder.starts_with("/") ? '/' : '\\') + name;
}

}  // namespace

DWORD CommDlgExtendedError() { return t_lastError; }

void QueueOpenFileSelection(std::vector<std::string> utf8Paths) { win::QueueOpenFileAnswer(std::move(utf8Paths)); }

void QueueOpenFileCancel() { win::QueueOpenFileAnswer(std::nullopt); }

CFileDialog::CFileDialog(BOOL openFileDialog, const char* defaultExt, const char* fileName, DWORD flags,
                         const char* filter, win::HWND parent) {
  if (filter != nullptr) {
    // "text|pattern||" becomes the NUL-separated pairs; a '|' inside a double-byte character stays.
    filter_ = filter;
    for (std::size_t i = 0; i < filter_.size(); ++i) {
      if (text::IsLeadByte(static_cast<unsigned char>(filter_[i])) && i + 1 < filter_.size()) ++i;
      else if (filter_[i] == '|') filter_[i] = '\0';
    }
    m_ofn.lpstrFilter = filter_.c_str();
  }
  if (defaultExt != nullptr) {
    defaultExt_ = defaultExt;
    m_ofn.lpstrDefExt = defaultExt_.c_str();
  }
  if (fileName != nullptr) std::strncpy(fileName_, fileName, sizeof fileName_ - 1);
  m_ofn.hwndOwner = parent;
  m_ofn.lpstrFile = fileName_;
  m_ofn.nMaxFile = sizeof fileName_;
  m_ofn.Flags = flags | OFN_EXPLORER;
  m_ofn.lpstrTitle = nullptr;
  m_ofn.nFilterIndex = openFileDialog ? 1 : 0;
}

namespace {

// The chosen paths in CP949, each checked; nothing when one is refused (the message has been shown
// and the dialog's error set).
std::optional<std::vector<std::string>> CheckedPaths(const std::vector<std::string>& utf8Paths,
                                                     const OPENFILENAMEA& ofn, const std::string& caption) {
  std::vector<std::string> paths;
  for (const std::string& utf8 : utf8Paths) {
    std::optional<std::string> cp949 = detail::PathToCp949(utf8);
    if (!cp949) {
      detail::ShowPathMessage(ofn.hwndOwner, utf8,
                              "파일 이름에 이 시스템의 문자(코드 페이지 949)로 나타낼 수 없는 글자가 있어 "
                              "이 파일을 열 수 없습니다.",
                              caption);
      t_lastError = FNERR_INVALIDFILENAME;
      return std::nullopt;
    }
    // As when the user closes the dialog after its "not found" message: a cancel.
    if ((ofn.Flags & OFN_FILEMUSTEXIST) && !IsExistingFile(utf8)) {
      detail::ShowPathMessage(ofn.hwndOwner, utf8, "파일을 찾을 수 없습니다.\r\n파일 이름을 확인한 후 다시 시도하십시오.",
                              caption);
      return std::nullopt;
    }
    paths.push_back(std::move(*cp949));
  }
  return paths;
}

}  // namespace

win::OpenFileRequest CFileDialog::Request() const {
  win::OpenFileRequest request;
  request.owner = m_ofn.hwndOwner;
  request.multiple = (m_ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
  if (m_ofn.lpstrTitle) request.title = text::Cp949ToUtf8(m_ofn.lpstrTitle);
  // The filter's NUL-separated pairs, ended by an empty text.
  for (const char* p = m_ofn.lpstrFilter; p && *p;) {
    std::string name = p;
    p += name.size() + 1;
    std::string pattern = p;
    if (pattern.empty()) break;
    p += pattern.size() + 1;
    request.filters.emplace_back(text::Cp949ToUtf8(name), text::Cp949ToUtf8(pattern));
  }
  return request;
}

win::INT_PTR CFileDialog::DoModal() {
  t_lastError = 0;
  // An answer queued ahead (scripted runs, tests) comes first; otherwise the backend asks the user.
  std::optional<std::vector<std::string>> answer =
      win::HasOpenFileAnswer() ? win::TakeOpenFileAnswer() : win::GetBackend().ChooseFiles(Request());
  if (!answer) return win::IDCANCEL;
  const std::string caption = m_ofn.lpstrTitle ? std::string(m_ofn.lpstrTitle) : text::Ansi("열기");
  auto refuse = [&](const char* why) {
    win::MessageBoxA(m_ofn.hwndOwner, text::Ansi(why).c_str(), caption.c_str(), win::MB_OK | win::MB_ICONEXCLAMATION);
    t_lastError = FNERR_INVALIDFILENAME;
    return win::IDCANCEL;
  };
  if (answer->empty()) return refuse("선택한 파일이 없습니다.");
  if (answer->size() > 1 && !(m_ofn.Flags & OFN_ALLOWMULTISELECT)) return refuse("파일을 하나만 선택할 수 있습니다.");
  std::optional<std::vector<std::string>> paths = CheckedPaths(*answer, m_ofn, caption);
  if (!paths) return win::IDCANCEL;

  std::optional<Selection> selection = Layout(*paths);
  if (!selection) return refuse("선택한 파일들이 한 폴더에 있지 않습니다.");
  if (m_ofn.lpstrFile == nullptr || selection->bytes.size() > m_ofn.nMaxFile) {
    t_lastError = FNERR_BUFFERTOOSMALL;
    if (m_ofn.lpstrFile != nullptr && m_ofn.nMaxFile >= 2) {
      std::size_t needed = std::min<std::size_t>(selection->bytes.size(), 0xFFFF);
      m_ofn.lpstrFile[0] = static_cast<char>(needed & 0xFF);
      m_ofn.lpstrFile[1] = static_cast<char>(needed >> 8);
    }
    return win::IDCANCEL;
  }
  std::memcpy(m_ofn.lpstrFile, selection->bytes.data(), selection->bytes.size());
  // A single path also gets the second NUL that ends the list, when there is room for it.
  if (selection->single && selection->bytes.size() < m_ofn.nMaxFile) m_ofn.lpstrFile[selection->bytes.size()] = '\0';
  m_ofn.nFileOffset = selection->fileOffset;
  m_ofn.nFileExtension = selection->extensionOffset;
  return win::IDOK;
}

POSITION CFileDialog::GetStartPosition() const {
  if (m_ofn.lpstrFile == nullptr || m_ofn.nMaxFile == 0 || m_ofn.lpstrFile[0] == '\0') return nullptr;
  return POSITION(std::size_t{0});
}

std::string CFileDialog::GetNextPathName(POSITION& pos) const {
  if (!pos || m_ofn.lpstrFile == nullptr) {
    pos = nullptr;
    return {};
  }
  const char* buffer = m_ofn.lpstrFile;
  const std::size_t size = m_ofn.nMaxFile;
  std::string first = TextAt(buffer, size, 0);
  std::size_t afterFirst = first.size() + 1;
  bool several = (m_ofn.Flags & OFN_ALLOWMULTISELECT) && afterFirst < size && buffer[afterFirst] != '\0';
  if (!several) {
    pos = nullptr;
    return first;
  }
  std::size_t offset = pos.next_ - 1;
  if (offset == 0) offset = afterFirst;
  std::string name = TextAt(buffer, size, offset);
  std::size_t next = offset + name.size() + 1;
  pos = next < size && buffer[next] != '\0' ? POSITION(next) : POSITION(nullptr);
  return Join(first, name);
}

}  // namespace plat::shell
