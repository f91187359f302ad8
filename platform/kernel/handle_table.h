// The process-wide table that turns handles into kernel objects (internal to the kernel layer).
#pragma once

#include <memory>

#include "platform/kernel/file.h"

namespace plat::kernel::detail {

// Anything a handle can name.
class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// Enters `object` and returns its new handle (never INVALID_HANDLE_VALUE, never a reused value).
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object of `handle`, or null when the handle is not open. The object stays alive while the
// caller holds it, even if the handle is closed meanwhile.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

// Takes `handle` out of the table and returns its object (null when it was not open).
std::shared_ptr<KernelObject> RemoveHandle(HANDLE handle);

}  // namespace plat::kernel::detail
