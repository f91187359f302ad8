// Files in the platform's call shape: open with access and share modes, size, read, write, close.
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/types.h"

namespace plat::kernel {

// An open kernel object. Handles are process-wide numbers, never reused, so a stale handle is
// refused with ERROR_INVALID_HANDLE instead of reaching another object.
using HANDLE = void*;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Access rights.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

// Share modes: what later openers may do while this handle is open.
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;  // accepted; deleting an open file is never refused here

// Creation dispositions.
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

// File attributes (GetFileAttributesA).
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x40;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// A signed 64-bit count split the way callers read it.
struct LARGE_INTEGER {
  std::int64_t QuadPart = 0;
  DWORD LowPart() const { return static_cast<DWORD>(QuadPart & 0xFFFFFFFF); }
  LONG HighPart() const { return static_cast<LONG>(QuadPart >> 32); }
};

// Opens or creates the file at `path` (CP949; handed to the file system as UTF-8).
//   access: GENERIC_READ and/or GENERIC_WRITE (at least one).
//   share: 0 or any of FILE_SHARE_READ/WRITE/DELETE.
//   creation: CREATE_NEW, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING.
//   security and templateFile must be null; attributes are accepted and ignored (new files get 0666
//   less the umask).
// Returns a handle, or INVALID_HANDLE_VALUE with the last error set: ERROR_FILE_NOT_FOUND (no such
// file), ERROR_PATH_NOT_FOUND (a folder on the way is missing, or the path is empty),
// ERROR_ACCESS_DENIED (permissions, or the path names a folder), ERROR_SHARING_VIOLATION (another
// opener's share mode refuses this access, or this share mode refuses another opener's access),
// ERROR_FILE_EXISTS (CREATE_NEW of an existing file), ERROR_INVALID_PARAMETER, ERROR_INVALID_NAME
// (a path that is not CP949 text). On success the last error is ERROR_ALREADY_EXISTS when
// CREATE_ALWAYS or OPEN_ALWAYS found the file there, else ERROR_SUCCESS. A file is truncated only
// after its share modes have allowed the open.
//
// Share modes follow the desktop platform's rules exactly: an open fails when it asks for reading
// (writing) and an earlier opener did not allow reading (writing), or when it does not allow
// reading (writing) and an earlier opener reads (writes). Each handle records its access and share
// mode as advisory locks on its own open file description, so every opener in any process that
// opens files through this layer sees every other one, and the records vanish with the last close.
// What this cannot see: programs that open files without this layer (they take no locks and are
// not refused), and a write-only handle on a file that is not readable by us (it still checks
// others but cannot record itself). A child made by fork shares its parent's open files, and so
// their share modes, until it closes them or exits.
HANDLE CreateFileA(const char* path, DWORD access, DWORD share, void* security, DWORD creation,
                   DWORD attributes, HANDLE templateFile);

// What the path (CP949, links followed) names: FILE_ATTRIBUTE_DIRECTORY for a folder,
// FILE_ATTRIBUTE_NORMAL for a regular file, FILE_ATTRIBUTE_DEVICE for anything else (a named pipe, a
// socket, a device), which CreateFileA refuses or which has no size to send. Nothing is opened, so a
// pipe without a writer is not waited on. INVALID_FILE_ATTRIBUTES with the last error set when it
// cannot be looked at: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
// ERROR_INVALID_NAME (not CP949 text), ERROR_INVALID_PARAMETER (null).
DWORD GetFileAttributesA(const char* path);

// The file's current size. FALSE with ERROR_INVALID_HANDLE for a handle that is not an open file,
// ERROR_INVALID_PARAMETER for a null `size`.
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);

// GetFileInformationByHandleEx's FileBasicInfo: times in 100-nanosecond units since 1601-01-01 (UTC),
// as the desktop platform counts them. ChangeTime moves with every write and every change of the
// file's metadata, LastWriteTime with every write; CreationTime is not kept by this file system
// layer and reads 0. FileAttributes is FILE_ATTRIBUTE_NORMAL.
struct FILE_BASIC_INFO {
  LARGE_INTEGER CreationTime;
  LARGE_INTEGER LastAccessTime;
  LARGE_INTEGER LastWriteTime;
  LARGE_INTEGER ChangeTime;
  DWORD FileAttributes = 0;
};
enum FILE_INFO_BY_HANDLE_CLASS { FileBasicInfo = 0 };

// Reads what `infoClass` names about an open file into `info` (`size` bytes, at least the record's
// size). Only FileBasicInfo is offered: another class fails with ERROR_INVALID_PARAMETER, as does a
// null or short buffer; a handle that is not an open file with ERROR_INVALID_HANDLE.
BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS infoClass, void* info, DWORD size);

// Reads up to `toRead` bytes at the file position into `buffer` and advances the position. Fewer
// bytes (0 at the end) only at the end of the file. `overlapped` must be null. `read` (may be null)
// receives the count. FALSE with ERROR_ACCESS_DENIED when the handle was opened without
// GENERIC_READ, or the errno-mapped error of a failed read (the count then holds what was read).
BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* read, void* overlapped);

// Writes all `toWrite` bytes at the file position. FALSE with ERROR_ACCESS_DENIED without
// GENERIC_WRITE, ERROR_DISK_FULL when the device is full, or another errno-mapped error; `written`
// (may be null) receives what was written.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* written, void* overlapped);

// Closes a handle of this layer. FALSE with ERROR_INVALID_HANDLE for one that is not open. An
// operation running on another thread with the same handle finishes first on the open file.
BOOL CloseHandle(HANDLE handle);

// An owned file handle, closed when the object goes.
class File {
 public:
  File() = default;
  explicit File(HANDLE handle) : handle_(handle) {}
  File(File&& other) noexcept : handle_(other.Release()) {}
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  // CreateFileA with these arguments; an invalid File (and the last error) on failure.
  static File Open(const std::string& path, DWORD access, DWORD share, DWORD creation);

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  // The file's size, or -1 with the last error set.
  std::int64_t Size() const;
  // GetFileInformationByHandleEx(FileBasicInfo) on this handle; false with the last error set.
  bool BasicInfo(FILE_BASIC_INFO& info) const;
  // ReadFile/WriteFile on this handle: the byte count, or -1 with the last error set.
  std::int64_t Read(void* buffer, DWORD toRead);
  std::int64_t Write(const void* buffer, DWORD toWrite);

  // Closes the handle now; harmless when it is not open.
  void Close();
  // Gives up ownership: the caller closes the returned handle.
  HANDLE Release();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace plat::kernel
