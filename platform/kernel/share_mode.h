// Share modes of open files recorded as advisory locks (internal to the kernel layer).
#pragma once

#include "platform/base/types.h"

namespace plat::kernel::detail {

// Checks the access and share mode of a new opener of `fd` against every other open file
// description of the same file, and on success records them on `fd` so that later openers see
// them. `fd` must be a fresh descriptor of its own open file description (one open() call); the
// record goes when that description is closed. `canRecord` is false for a descriptor that is not
// open for reading: such an opener is checked but cannot record itself.
// Returns ERROR_SUCCESS, ERROR_SHARING_VIOLATION, or the error of a failing lock call.
DWORD ApplyShareMode(int fd, DWORD access, DWORD share, bool canRecord);

}  // namespace plat::kernel::detail
