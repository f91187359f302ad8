// Session benchmark child: one upload through the progress dialog (modal, as UploadFiles runs it), or
// through the upload worker's run alone, in a process of its own.
#pragma once

#include "bench/bench_upload.h"

namespace drev::bench {

// Uploads the job's file as its mode says: "dialog" (the progress dialog with its worker) or "direct"
// (UploadWorker::Run), and prints "seconds=S callSeconds=C bodyBytes=N": S the transfer's time (from
// the start of the request to the reply stored), C the whole call's (Run, or the dialog's DoModal with
// its set-up and its wait for the next poll tick), N the body length the receiver counted. Returns 0
// when the whole body arrived, else 1. The file must be below 2 GiB (the control's sizes are signed).
int RunSessionChild(const ChildJob& job);

}  // namespace drev::bench
