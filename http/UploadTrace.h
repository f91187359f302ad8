// UploadTrace: the file upload's trace lines, written to standard output on request only.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace drev {

// The lines are "filename :: PATH" (no line end) once per file, then per block "readbytes::N\n" and
// "\ndwSendBytes::SENT form filesize : SIZE\n\n". They cost two prints per kilobyte, so they are
// written only when the environment variable DREV_HTTP_TRACE is "1" as the object is made.
class UploadTrace {
 public:
  UploadTrace();

  bool Enabled() const { return enabled_; }
  void FileName(const std::string& path) const;
  void ReadBytes(plat::DWORD count) const;
  void SendBytes(plat::DWORD sent, plat::DWORD fileSize) const;

 private:
  bool enabled_;
};

}  // namespace drev
