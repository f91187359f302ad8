// Files over POSIX descriptors, with share modes recorded as advisory locks.
#include "platform/kernel/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/kernel/error.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/share_mode.h"
#include "platform/text/text.h"

namespace plat::kernel {
namespace {

class FileObject : public detail::KernelObject {
 public:
  FileObject(int fd, DWORD access) : fd_(fd), access_(access) {}
  ~FileObject() override { close(fd_); }
  int fd() const { return fd_; }
  DWORD access() const { return access_; }

 private:
  int fd_;
  DWORD access_;
};

std::shared_ptr<FileObject> LookupFile(HANDLE handle) {
  auto file = std::dynamic_pointer_cast<FileObject>(detail::LookupHandle(handle));
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

// ENOENT means "no such file" when the folder exists and "no such path" when it does not, as the
// platform tells the two apart.
DWORD MissingError(const std::string& utf8Path) {
  std::size_t slash = utf8Path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : utf8Path.substr(0, slash);
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
  return ERROR_FILE_NOT_FOUND;
}

int CreationFlags(DWORD creation) {
  switch (creation) {
    case CREATE_NEW: return O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: return O_CREAT;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING: return 0;
    default: return -1;
  }
}

bool ValidArguments(DWORD access, DWORD share, DWORD creation) {
  if (access == 0 || (access & ~(GENERIC_READ | GENERIC_WRITE)) != 0) return false;
  if ((share & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) != 0) return false;
  if (CreationFlags(creation) < 0) return false;
  return creation != TRUNCATE_EXISTING || (access & GENERIC_WRITE);
}

// Opens the descriptor. A write-only opener still gets a readable descriptor when the file allows
// it, because recording the share mode needs one; its handle refuses reads all the same.
int OpenDescriptor(const std::string& path, DWORD access, int creationFlags, bool* readable) {
  // Non-blocking so that opening a pipe never waits for its other end; cleared after the open.
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | creationFlags;
  if (access & GENERIC_WRITE) {
    int fd = open(path.c_str(), flags | O_RDWR, 0666);
    *readable = true;
    if (fd >= 0 || errno != EACCES || (access & GENERIC_READ)) return fd;
    *readable = false;
    return open(path.c_str(), flags | O_WRONLY, 0666);
  }
  *readable = true;
  return open(path.c_str(), flags | O_RDONLY, 0666);
}

}  // namespace

HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security, DWORD creation,
                   DWORD /*attributes*/, HANDLE templateFile) {
  if (path == nullptr || security != nullptr || templateFile != nullptr ||
      !ValidArguments(access, share, creation))
    return Fail(ERROR_INVALID_PARAMETER);
  if (*path == '\0') return Fail(ERROR_PATH_NOT_FOUND);
  bool lossless = true;
  std::string utf8 = text::Cp949ToUtf8(path, &lossless);
  if (!lossless) return Fail(ERROR_INVALID_NAME);

  struct stat before {};
  bool existed = stat(utf8.c_str(), &before) == 0;
  bool readable = true;
  int fd = OpenDescriptor(utf8, access, CreationFlags(creation), &readable);
  if (fd < 0) {
    int err = errno;
    return Fail(err == ENOENT ? MissingError(utf8) : ErrorFromErrno(err));
  }
  auto object = std::make_shared<FileObject>(fd, access);  // owns fd from here on
  struct stat st {};
  if (fstat(fd, &st) != 0) return Fail(ErrorFromErrno(errno));
  // Folders cannot be opened as files on the platform; pipes and sockets have no size to send.
  if (S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);

  DWORD shared = detail::ApplyShareMode(fd, access, share, readable);
  if (shared != ERROR_SUCCESS) return Fail(shared);
  if ((creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING) && S_ISREG(st.st_mode) &&
      ftruncate(fd, 0) != 0)
    return Fail(ErrorFromErrno(errno));

  HANDLE handle = detail::InsertHandle(std::move(object));
  bool found = existed && (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS);
  SetLastError(found ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

DWORD GetFileAttributesA(const char* path) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (*path == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  bool lossless = false;
  std::string utf8 = text::Cp949ToUtf8(path, &lossless);
  if (!lossless) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_FILE_ATTRIBUTES;
  }
  struct stat st {};
  if (stat(utf8.c_str(), &st) != 0) {
    const int err = errno;
    SetLastError(err == ENOENT ? MissingError(utf8) : ErrorFromErrno(err));
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return S_ISREG(st.st_mode) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_DEVICE;
}

BOOL GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  auto file = LookupFile(handle);
  if (!file) return FALSE;
  if (size == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st {};
  if (fstat(file->fd(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  size->QuadPart = st.st_size;
  return TRUE;
}

BOOL GetFileInformationByHandleEx(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS infoClass, void* info, DWORD size) {
  auto file = LookupFile(handle);
  if (!file) return FALSE;
  if (infoClass != FileBasicInfo || info == nullptr || size < sizeof(FILE_BASIC_INFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  struct stat st {};
  if (fstat(file->fd(), &st) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  // 100 ns ticks from 1601 to 1970, then the time itself.
  constexpr std::int64_t kTicksTo1970 = 116444736000000000;
  const auto ticks = [](const timespec& t) {
    return kTicksTo1970 + static_cast<std::int64_t>(t.tv_sec) * 10'000'000 + t.tv_nsec / 100;
  };
  FILE_BASIC_INFO basic;
  basic.LastAccessTime.QuadPart = ticks(st.st_atim);
  basic.LastWriteTime.QuadPart = ticks(st.st_mtim);
  basic.ChangeTime.QuadPart = ticks(st.st_ctim);
  basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  *static_cast<FILE_BASIC_INFO*>(info) = basic;
  return TRUE;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD toRead, DWORD* read, void* overlapped) {
  if (read) *read = 0;
  auto file = LookupFile(handle);
  if (!file) return FALSE;
  if (overlapped != nullptr || (buffer == nullptr && toRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!(file->access() & GENERIC_READ)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  auto* bytes = static_cast<char*>(buffer);
  while (done < toRead) {
    ssize_t n = ::read(file->fd(), bytes + done, toRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (read) *read = done;
      SetLastError(ErrorFromErrno(errno));
      return FALSE;
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read) *read = done;
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped) {
  if (written) *written = 0;
  auto file = LookupFile(handle);
  if (!file) return FALSE;
  if (overlapped != nullptr || (buffer == nullptr && toWrite > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!(file->access() & GENERIC_WRITE)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DWORD done = 0;
  const auto* bytes = static_cast<const char*>(buffer);
  while (done < toWrite) {
    ssize_t n = ::write(file->fd(), bytes + done, toWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (written) *written = done;
      SetLastError(n == 0 ? ERROR_DISK_FULL : ErrorFromErrno(errno));
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (!detail::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

// The owning wrapper.

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.Release();
  }
  return *this;
}

File File::Open(const std::string& path, DWORD access, DWORD share, DWORD creation) {
  return File(CreateFileA(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::int64_t File::Size() const {
  LARGE_INTEGER size;
  return GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
}

bool File::BasicInfo(FILE_BASIC_INFO& info) const {
  return GetFileInformationByHandleEx(handle_, FileBasicInfo, &info, sizeof info) != FALSE;
}

std::int64_t File::Read(void* buffer, DWORD toRead) {
  DWORD n = 0;
  return ReadFile(handle_, buffer, toRead, &n, nullptr) ? static_cast<std::int64_t>(n) : -1;
}

std::int64_t File::Write(const void* buffer, DWORD toWrite) {
  DWORD n = 0;
  return WriteFile(handle_, buffer, toWrite, &n, nullptr) ? static_cast<std::int64_t>(n) : -1;
}

void File::Close() {
  if (IsOpen()) CloseHandle(Release());
}

HANDLE File::Release() {
  HANDLE h = handle_;
  handle_ = INVALID_HANDLE_VALUE;
  return h;
}

}  // namespace plat::kernel
