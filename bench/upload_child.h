// Benchmark child: one upload in a process of its own, so that its CPU time and peak memory are its own.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

struct UploadJob {
  std::string mode;     // "poster" (CBasicHttp), "run-null" or "run-cheap" (UploadWorker::Run)
  std::string path;     // the file to send
  std::uint32_t size;   // its size (below 4 GiB)
  std::string address;  // the receiver's address (port 80)
};

// Uploads the file, prints "seconds=S bodyBytes=N" (the upload's own time and the body length the
// receiver counted) and returns 0 when the whole body arrived, else 1.
int RunUploadChild(const UploadJob& job);

}  // namespace bench
