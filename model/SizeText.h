// The size text that labels a byte count, and the progress text of an upload in progress.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace drev {

// "%dByte" below 1024 bytes, "%dKB" below 1,048,576, "%dMB" from there; whole units, truncated
// (1,048,575 gives "1023KB", 1,048,576 gives "1MB", 4,294,967,295 gives "4095MB").
std::string FormatSizeText(plat::DWORD count);

// The sent part followed by the total part, each in single precision and with two decimals in a
// field of five: "%5.2f KB" up to and including 1,048,576 bytes, "%5.2f MB" above it; the sent
// part ends with " / ". 0 of 0 gives " 0.00 KB /  0.00 KB"; 1,048,577 of 1,048,576 gives
// " 1.00 MB / 1024.00 KB".
std::string FormatProgressText(plat::DWORD sent, plat::DWORD total);

}  // namespace drev
