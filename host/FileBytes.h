// Reading a whole file that drevhost was pointed at (a page, a script, a saved state), with a bound
// on its size, so that a device such as /dev/zero or a runaway file is refused instead of filling
// memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace drev::host {

// The most bytes a page, a script or a state file may hold.
inline constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;  // 64 MiB

// The bytes of the file at `path`, or nullopt with `why` set to the reason ("it is a folder",
// "it cannot be opened", "a read failed", "it is larger than 64 MiB"). Reads at most `limit` + 1
// bytes, however long the file claims to be or keeps growing.
std::optional<std::string> ReadFileBytes(const std::string& path, std::string* why,
                                         std::size_t limit = kMaxFileBytes);

}  // namespace drev::host
