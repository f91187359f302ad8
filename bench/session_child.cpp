// Session benchmark child: the same upload with and without the progress dialog around it.
#include "bench/session_child.h"

#include <chrono>
#include <cstdio>
#include <exception>

#include "platform/win/winuser.h"
#include "resources/ModuleResources.h"
#include "session/CProgressDlg.h"

namespace drev::bench {
namespace {

using Clock = BenchUpload::Clock;

double SecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// The worker's run on this thread, without a dialog and without a progress routine.
long long UploadDirect(const ChildJob& job, double& seconds, double& callSeconds) {
  BenchSession session;
  BenchUpload upload(job);
  auto start = Clock::now();
  bool done = RunWorker(upload, session.Get());
  callSeconds = SecondsBetween(start, Clock::now());
  seconds = SecondsBetween(start, upload.Stored());
  return done ? BodyBytesOf(upload.Reply()) : -1;
}

// The way UploadFiles runs an upload: the progress dialog, modal on this (the user-interface) thread,
// with its worker beside it. The transfer is timed from the moment the dialog empties the reply
// (right before it starts the worker thread) to the reply stored, so it holds the dialog's per-block
// work but neither its set-up nor its wait for the next poll tick.
long long UploadThroughDialog(const ChildJob& job, double& seconds, double& callSeconds) {
  static const int tag = 0;
  RegisterModuleResources(&tag);
  BenchUpload upload(job);
  const UploadLists lists = upload.Lists();
  auto start = Clock::now();
  plat::win::INT_PTR result = 0;
  {
    CProgressDlg dialog(&upload);
    dialog.SetUploadList(lists.rows);
    dialog.SetImageList(lists.images);
    dialog.SetDeleteList(lists.deletions);
    result = dialog.DoModal();
  }
  callSeconds = SecondsBetween(start, Clock::now());
  seconds = SecondsBetween(upload.Emptied(), upload.Stored());
  return result == plat::win::IDOK ? BodyBytesOf(upload.Reply()) : -1;
}

}  // namespace

int RunSessionChild(const ChildJob& job) {
  long long received = -1;
  double seconds = 0;
  double callSeconds = 0;
  try {
    received = job.mode == "dialog" ? UploadThroughDialog(job, seconds, callSeconds)
                                    : UploadDirect(job, seconds, callSeconds);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "session-bench: %s: %s\n", job.mode.c_str(), failure.what());
  }
  // The whole body must have arrived: the file and a few hundred bytes of framing at most.
  bool whole = received >= static_cast<long long>(job.size) && received < static_cast<long long>(job.size) + 1024;
  std::printf("seconds=%.6f callSeconds=%.6f bodyBytes=%lld\n", seconds, callSeconds, received);
  return whole ? 0 : 1;
}

}  // namespace drev::bench
