// File drops from the shell: the drop handle that WM_DROPFILES carries, its queries, and the
// delivery of a drop to a window that accepts files.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/win/winuser.h"

namespace plat::shell {

// A drop: the paths of the dropped files (CP949), alive from delivery until DragFinish. Handles are
// never reused, so a finished or made-up handle is answered as unknown instead of reaching another
// drop.
struct HDROP__;
using HDROP = HDROP__*;

constexpr UINT kDragQueryCount = 0xFFFFFFFF;

// Queries a drop, as the platform's DragQueryFileA does:
//   file == 0xFFFFFFFF: the number of files in the drop (buffer and cch ignored);
//   buffer null: the length in bytes of path `file`, without its terminator;
//   otherwise copies at most cch - 1 bytes of path `file` and a terminator into `buffer` and returns
//   the bytes copied. A double-byte character that does not fit whole is left out with everything
//   after it, so the copy never ends in half a character; compare the result with the length to
//   see whether the path was cut.
// 0 for an unknown handle (last error ERROR_INVALID_HANDLE), a file index past the last, or cch 0.
UINT DragQueryFileA(HDROP drop, UINT file, char* buffer, UINT cch);

// Releases the drop; the handle is unknown from then on. Unknown handles are ignored.
void DragFinish(HDROP drop);

// Sets (accept true) or clears WS_EX_ACCEPTFILES in the window's extended style.
void DragAcceptFiles(win::HWND hwnd, BOOL accept);

// Drops files on `target`, as the shell does when the user lets go of them over it. The drop goes to
// `target` when its extended style has WS_EX_ACCEPTFILES, else to its nearest ancestor that has it.
// Each path (UTF-8, made absolute against the current folder) must be nameable in CP949: a path that
// CP949 cannot name exactly is left out of the drop, with a message box naming it (owned by the
// receiving window), rather than handed over with '?' in place of its characters.
// The drop is delivered with a synchronous WM_DROPFILES (wParam: the HDROP; lParam: 0), sent rather
// than posted so that the receiver has handled it when this returns (from another thread the call
// waits for the window's thread). The receiver releases the drop with DragFinish; a drop it did not
// release is released here after the send, so none is left behind.
// Returns the number of paths delivered: 0 when none was left to deliver (then nothing is sent), -1
// when neither `target` nor any ancestor accepts files (nothing sent, nothing shown).
int DropFiles(win::HWND target, const std::vector<std::string>& utf8Paths);

}  // namespace plat::shell
