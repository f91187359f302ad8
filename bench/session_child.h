// Session benchmark child: one upload through the progress dialog (modal, as UploadFiles runs it), or
// through the upload worker's run alone, in a process of its own.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

struct SessionJob {
  std::string mode;     // "dialog" (the progress dialog with its worker) or "direct" (UploadWorker::Run)
  std::string path;     // the file to send
  std::uint32_t size;   // its size (below 2 GiB: the control records sizes as signed 32-bit values)
  std::string address;  // the receiver's address (port 80)
};

// Uploads the file and prints "seconds=S callSeconds=C bodyBytes=N": S the transfer's time (from the
// start of the request to the reply stored), C the whole call's (Run, or the dialog's DoModal with
// its set-up and its wait for the next poll tick), N the body length the receiver counted.
// Returns 0 when the whole body arrived, else 1.
int RunSessionChild(const SessionJob& job);

}  // namespace bench
