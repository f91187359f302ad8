// Share modes as open-file-description locks on four bytes far beyond any file's data.
//
// Each opener holds a shared lock on a byte for each thing it does or refuses: "reads", "writes",
// "refuses readers", "refuses writers". A new opener asks whether any other description holds a
// byte that its own access or share mode conflicts with, and then takes its own bytes. The check
// and the taking run under an exclusive flock on the file so that two openers cannot both pass the
// check before either has recorded itself. Locks on a description are dropped by the kernel when
// the description closes, so nothing is left behind by a crash.
#include "platform/kernel/share_mode.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/kernel/error.h"
#include "platform/kernel/file.h"

namespace plat::kernel::detail {
namespace {

// Far beyond any real file length (and beyond what ext4 can hold), so no data lock overlaps.
constexpr off_t kBase = 0x7FFFFFFFFFFFFF00;
constexpr off_t kReads = kBase + 0;
constexpr off_t kWrites = kBase + 1;
constexpr off_t kRefusesReaders = kBase + 2;
constexpr off_t kRefusesWriters = kBase + 3;

// The guard is held for microseconds by openers of this layer; the bound only matters when some
// other program keeps an flock on the file, and then the open is refused as shared.
constexpr auto kGuardBound = std::chrono::seconds(2);

struct flock OneByte(short type, off_t at) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = at;
  lock.l_len = 1;
  return lock;
}

// Whether another open file description holds a lock on byte `at`. Errors count as held so that a
// failing check refuses rather than lets a conflicting opener in.
bool HeldByOther(int fd, off_t at) {
  struct flock probe = OneByte(F_WRLCK, at);
  if (fcntl(fd, F_OFD_GETLK, &probe) != 0) return true;
  return probe.l_type != F_UNLCK;
}

bool Record(int fd, off_t at) {
  struct flock lock = OneByte(F_RDLCK, at);
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

bool TakeGuard(int fd) {
  auto deadline = std::chrono::steady_clock::now() + kGuardBound;
  while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

bool Conflicts(int fd, DWORD access, DWORD share) {
  if ((access & GENERIC_READ) && HeldByOther(fd, kRefusesReaders)) return true;
  if ((access & GENERIC_WRITE) && HeldByOther(fd, kRefusesWriters)) return true;
  if (!(share & FILE_SHARE_READ) && HeldByOther(fd, kReads)) return true;
  if (!(share & FILE_SHARE_WRITE) && HeldByOther(fd, kWrites)) return true;
  return false;
}

bool RecordAll(int fd, DWORD access, DWORD share) {
  if ((access & GENERIC_READ) && !Record(fd, kReads)) return false;
  if ((access & GENERIC_WRITE) && !Record(fd, kWrites)) return false;
  if (!(share & FILE_SHARE_READ) && !Record(fd, kRefusesReaders)) return false;
  if (!(share & FILE_SHARE_WRITE) && !Record(fd, kRefusesWriters)) return false;
  return true;
}

}  // namespace

DWORD ApplyShareMode(int fd, DWORD access, DWORD share, bool canRecord) {
  if (!TakeGuard(fd)) return ERROR_SHARING_VIOLATION;
  DWORD result = ERROR_SUCCESS;
  if (Conflicts(fd, access, share)) {
    result = ERROR_SHARING_VIOLATION;
  } else if (canRecord && !RecordAll(fd, access, share)) {
    result = ErrorFromErrno(errno);
  }
  flock(fd, LOCK_UN);
  return result;
}

}  // namespace plat::kernel::detail
