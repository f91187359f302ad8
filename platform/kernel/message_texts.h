// The system message table's entries (internal to the kernel layer).
#pragma once

#include "platform/base/types.h"

namespace plat::kernel::detail {

// One message in both languages the system speaks, as UTF-8 source text ending in "\r\n".
struct MessageText {
  DWORD code;
  const char* english;
  const char* korean;
};

// The entry for `code`, or null when the table has none.
const MessageText* FindMessageText(DWORD code);

}  // namespace plat::kernel::detail
