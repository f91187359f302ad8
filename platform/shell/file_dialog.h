// The common open-file dialog in the shape the control uses (CFileDialog over OPENFILENAMEA), with
// the selection supplied by the backend.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/win/backend.h"
#include "platform/win/winuser.h"

namespace plat::shell {

// Options.
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

// Why the last dialog on this thread did not end with OK (CommDlgExtendedError): 0 when the user
// cancelled (or the dialog ended with OK).
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;  // a chosen name could not be handed over
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;   // the selection does not fit into lpstrFile
DWORD CommDlgExtendedError();

// The dialog's record. Texts are CP949; lpstrFilter is pairs of NUL-terminated texts (display
// text, pattern) ending with an empty text.
struct OPENFILENAMEA {
  DWORD lStructSize = sizeof(OPENFILENAMEA);
  win::HWND hwndOwner = nullptr;
  const char* lpstrFilter = nullptr;
  DWORD nFilterIndex = 0;
  char* lpstrFile = nullptr;  // in: the initial file name; out: the selection (see DoModal)
  DWORD nMaxFile = 0;         // the size of lpstrFile in bytes
  const char* lpstrInitialDir = nullptr;
  const char* lpstrTitle = nullptr;
  DWORD Flags = 0;
  WORD nFileOffset = 0;       // out: where the (first) file name starts in lpstrFile
  WORD nFileExtension = 0;    // out: where the single file's extension starts (0 when none)
  const char* lpstrDefExt = nullptr;
};

// A place in the selection, walked with GetNextPathName; null at the end.
class POSITION {
 public:
  POSITION() = default;
  POSITION(std::nullptr_t) {}
  explicit operator bool() const { return next_ != 0; }
  friend bool operator==(POSITION a, POSITION b) = default;

 private:
  friend class CFileDialog;
  explicit POSITION(std::size_t offset) : next_(offset + 1) {}
  std::size_t next_ = 0;  // the offset in lpstrFile plus one; 0 at the end
};

// Queues the user's answer to the next open-file dialog of this process (the headless backend's
// selection): the chosen files' paths (UTF-8), or a cancel. Answers are taken in order; a dialog
// with nothing queued is cancelled. Any thread may queue.
void QueueOpenFileSelection(std::vector<std::string> utf8Paths);
void QueueOpenFileCancel();

class CFileDialog {
 public:
  // An open dialog (openFileDialog true) or a save dialog; `filter` is the single text with '|'
  // between the parts ("모든 파일(*.*)|*.*||"); `fileName` the initial name. The dialog starts with
  // its own 260-byte file-name buffer; a caller that wants more points m_ofn.lpstrFile at its own
  // buffer and sets m_ofn.nMaxFile before DoModal. OFN_EXPLORER is always added.
  explicit CFileDialog(BOOL openFileDialog, const char* defaultExt = nullptr, const char* fileName = nullptr,
                       DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                       win::HWND parent = nullptr);
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // Runs the dialog: takes the next queued answer and returns IDOK with the selection written into
  // m_ofn.lpstrFile, or IDCANCEL with CommDlgExtendedError telling why:
  //   - a cancel, or nothing queued: 0;
  //   - the selection holds no path, several paths without OFN_ALLOWMULTISELECT, or paths from
  //     more than one folder: FNERR_INVALIDFILENAME, with a message box saying so;
  //   - a path that CP949 cannot name exactly: FNERR_INVALIDFILENAME, with a message box naming it;
  //     the whole selection fails (a selection with a '?'-mangled path would name another file);
  //   - with OFN_FILEMUSTEXIST, a path that is not an existing file: 0 (as when the user closes the
  //     dialog after its "not found" message), with that message box naming it;
  //   - the selection does not fit into nMaxFile bytes: FNERR_BUFFERTOOSMALL, and the first two
  //     bytes of lpstrFile (when there is room for them) hold the size needed, low byte first.
  // The selection's form: one file is its full path, a NUL and a second NUL; several files are the
  // folder, a NUL, each name followed by a NUL, and a final NUL. Paths are made absolute and turned
  // into CP949; the message boxes are owned by m_ofn.hwndOwner.
  win::INT_PTR DoModal();

  // The first file of the selection after IDOK; null when there is none.
  POSITION GetStartPosition() const;
  // The full path (CP949) of the file at `pos`, moving `pos` to the next one (null after the last).
  // Several files are joined to their folder with the separator the folder uses ("/" for a folder
  // that starts with "/", else "\"), none when the folder already ends with "\" or "/". Reads
  // only within nMaxFile bytes of lpstrFile. An empty text for a null position.
  std::string GetNextPathName(POSITION& pos) const;

  OPENFILENAMEA m_ofn;

 private:
  // What the backend's dialog is to show: owner, multiple selection, title and filters.
  win::OpenFileRequest Request() const;

  std::string filter_;
  std::string defaultExt_;
  char fileName_[260] = {};
};

}  // namespace plat::shell
