// Benchmark child: one upload in a process of its own, so that its CPU time and peak memory are its own.
#pragma once

#include "bench/bench_upload.h"

namespace drev::bench {

// Uploads the job's file as its mode says: "poster" (CBasicHttp alone), "run-null" or "run-cheap"
// (UploadWorker::Run without and with a cheap progress routine); prints "seconds=S bodyBytes=N" (the
// upload's own time and the body length the receiver counted) and returns 0 when the whole body
// arrived, else 1.
int RunUploadChild(const ChildJob& job);

}  // namespace drev::bench
