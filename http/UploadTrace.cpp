// UploadTrace: the trace lines of the file upload.
#include "http/UploadTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace drev {

UploadTrace::UploadTrace() {
  const char* value = std::getenv("DREV_HTTP_TRACE");
  enabled_ = value != nullptr && std::strcmp(value, "1") == 0;
}

void UploadTrace::FileName(const std::string& path) const {
  if (!enabled_) return;
  // The path is plain text, never a format.
  std::fputs("filename :: ", stdout);
  std::fwrite(path.data(), 1, path.size(), stdout);
}

void UploadTrace::ReadBytes(plat::DWORD count) const {
  if (enabled_) std::printf("readbytes::%ld\n", static_cast<long>(count));
}

void UploadTrace::SendBytes(plat::DWORD sent, plat::DWORD fileSize) const {
  if (enabled_) std::printf("\ndwSendBytes::%ld form filesize : %ld\n\n", static_cast<long>(sent), static_cast<long>(fileSize));
}

}  // namespace drev
