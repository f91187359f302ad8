// File drops: a process-wide table of live drops and the delivery of WM_DROPFILES.
#include "platform/shell/file_drop.h"

#include <cstring>
#include <map>
#include <mutex>
#include <optional>

#include "platform/kernel/error.h"
#include "platform/shell/shell_paths.h"
#include "platform/text/text.h"
#include "platform/win/message.h"
#include "platform/win/window.h"

namespace plat::shell {
namespace {

struct DropTable {
  std::mutex mutex;
  std::map<std::uintptr_t, std::vector<std::string>> drops;  // by handle number, paths in CP949
  std::uintptr_t next = 1;
};

DropTable& Drops() {
  static DropTable table;
  return table;
}

std::uintptr_t Number(HDROP drop) { return reinterpret_cast<std::uintptr_t>(drop); }

HDROP NewDrop(std::vector<std::string> paths) {
  DropTable& t = Drops();
  std::lock_guard lock(t.mutex);
  std::uintptr_t number = t.next++;
  t.drops.emplace(number, std::move(paths));
  return reinterpret_cast<HDROP>(number);
}

// How many bytes of `path` fit in `room` without cutting a double-byte character.
std::size_t WholeCharacters(const std::string& path, std::size_t room) {
  std::size_t end = 0;
  while (end < path.size()) {
    std::size_t width = text::IsLeadByte(static_cast<unsigned char>(path[end])) && end + 1 < path.size() ? 2 : 1;
    if (end + width > room) break;
    end += width;
  }
  return end;
}

// The window that takes a drop aimed at `target`: it or its nearest ancestor accepting files.
win::HWND DropReceiver(win::HWND target) {
  for (win::HWND w = target; w != nullptr && win::IsWindow(w); w = win::GetParent(w))
    if (win::GetWindowLongPtr(w, win::GWL_EXSTYLE) & win::WS_EX_ACCEPTFILES) return w;
  return nullptr;
}

}  // namespace

UINT DragQueryFileA(HDROP drop, UINT file, char* buffer, UINT cch) {
  // Only the path asked for is read (under the table's lock): a drop of many files is queried once
  // a file, and copying every path each time made that grow with the square of the count.
  DropTable& t = Drops();
  std::lock_guard lock(t.mutex);
  auto found = t.drops.find(Number(drop));
  if (found == t.drops.end()) {
    kernel::SetLastError(kernel::ERROR_INVALID_HANDLE);
    return 0;
  }
  const std::vector<std::string>& paths = found->second;
  if (file == kDragQueryCount) return static_cast<UINT>(paths.size());
  if (file >= paths.size()) return 0;
  const std::string& path = paths[file];
  if (buffer == nullptr) return static_cast<UINT>(path.size());
  if (cch == 0) return 0;
  std::size_t copied = WholeCharacters(path, cch - 1);
  std::memcpy(buffer, path.data(), copied);
  buffer[copied] = '\0';
  return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) {
  DropTable& t = Drops();
  std::lock_guard lock(t.mutex);
  t.drops.erase(Number(drop));
}

void DragAcceptFiles(win::HWND hwnd, BOOL accept) {
  win::LONG_PTR style = win::GetWindowLongPtr(hwnd, win::GWL_EXSTYLE);
  style = accept ? (style | win::WS_EX_ACCEPTFILES) : (style & ~static_cast<win::LONG_PTR>(win::WS_EX_ACCEPTFILES));
  win::SetWindowLongPtr(hwnd, win::GWL_EXSTYLE, style);
}

int DropFiles(win::HWND target, const std::vector<std::string>& utf8Paths) {
  win::HWND receiver = DropReceiver(target);
  if (receiver == nullptr) return -1;
  std::vector<std::string> paths;
  for (const std::string& utf8 : utf8Paths) {
    if (utf8.empty()) continue;
    if (std::optional<std::string> cp949 = detail::PathToCp949(utf8)) {
      paths.push_back(std::move(*cp949));
      continue;
    }
    detail::ShowPathMessage(receiver, utf8,
                            "파일 이름에 이 시스템의 문자(코드 페이지 949)로 나타낼 수 없는 글자가 있어 "
                            "이 파일은 넘기지 않았습니다.",
                            text::Ansi("파일 끌어 놓기"));
  }
  if (paths.empty()) return 0;
  int delivered = static_cast<int>(paths.size());
  HDROP drop = NewDrop(std::move(paths));
  win::SendMessage(receiver, win::WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  DragFinish(drop);  // a no-op when the receiver has released it
  return delivered;
}

}  // namespace plat::shell
