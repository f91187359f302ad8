// Bounded reading of the files drevhost is given.
#include "host/FileBytes.h"

#include <filesystem>
#include <fstream>

namespace drev::host {

std::optional<std::string> ReadFileBytes(const std::string& path, std::string* why, std::size_t limit) {
  auto fail = [&](const std::string& reason) -> std::optional<std::string> {
    if (why) *why = reason;
    return std::nullopt;
  };
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(status)) return fail("it is a folder");
  // A named pipe would be waited on for ever (its open blocks until a writer comes), and neither it
  // nor a socket holds a page, a script or a state. A device is read up to the bound like a file.
  if (std::filesystem::is_fifo(status) || std::filesystem::is_socket(status)) {
    return fail("it is a pipe or a socket, not a file");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("it cannot be opened");
  std::string bytes;
  char buffer[64 * 1024];
  while (in) {
    in.read(buffer, sizeof buffer);
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > limit)
      return fail("it is larger than " + std::to_string(limit >> 20) + " MiB");
  }
  if (in.bad()) return fail("a read failed");
  return bytes;
}

}  // namespace drev::host
