// Benchmark child: one upload of one file through the form poster or the upload worker's run.
#include "bench/upload_child.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>

#include "http/CBasicHttp.h"
#include "platform/inet/inet.h"

namespace drev::bench {
namespace {

using plat::DWORD;

// As cheap as the dialog's routine must be: the percentage, passed on only when it changes.
struct CheapProgress {
  int lastPercent = -1;
  unsigned changes = 0;
  static void Routine(void* context, DWORD total, DWORD sent) {
    auto* self = static_cast<CheapProgress*>(context);
    int percent = total == 0 ? 100 : static_cast<int>(static_cast<float>(sent) / static_cast<float>(total) * 100);
    if (percent != self->lastPercent) {
      self->lastPercent = percent;
      ++self->changes;
    }
  }
};

long long UploadThroughPoster(plat::inet::HINTERNET session, const ChildJob& job, DWORD& declared) {
  CBasicHttp http(session);
  http.SetServerName(job.address);
  http.SetObjectName("/upload.php");
  http.SetVerb(CBasicHttp::Verb::Post);
  http.SetFormType(CBasicHttp::FormType::Multipart);
  http.AddItem("ATTACH_FILES", "", job.path, "application/octet-stream", job.size);
  http.OpenRequest();
  http.SendRequest();
  http.EndRequest();
  declared = http.GetContentLength();
  DWORD status = 0;
  http.QueryStatusCode(status);
  std::string reply;
  char buffer[4096];
  DWORD got = 0;
  while (plat::inet::InternetReadFile(http.GetFile(), buffer, sizeof buffer, &got) && got > 0) reply.append(buffer, got);
  return status == 200 ? BodyBytesOf(reply) : -1;
}

long long UploadThroughWorker(plat::inet::HINTERNET session, const ChildJob& job, bool cheapProgress) {
  BenchUpload upload(job);
  CheapProgress progress;
  UploadReports reports;
  if (cheapProgress) reports = UploadReports{&progress, &CheapProgress::Routine};
  if (!RunWorker(upload, session, reports) || (cheapProgress && progress.lastPercent != 100)) return -1;
  return BodyBytesOf(upload.Reply());
}

}  // namespace

int RunUploadChild(const ChildJob& job) {
  BenchSession session;
  auto start = std::chrono::steady_clock::now();
  long long received = -1;
  DWORD declared = 0;
  try {
    if (job.mode == "poster") {
      received = UploadThroughPoster(session.Get(), job, declared);
    } else {
      received = UploadThroughWorker(session.Get(), job, job.mode == "run-cheap");
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "upload-bench: %s: %s\n", job.mode.c_str(), failure.what());
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The whole body must have arrived: the file and a few hundred bytes of framing at most.
  bool whole = received >= static_cast<long long>(job.size) && received < static_cast<long long>(job.size) + 1024 &&
               (declared == 0 || received == declared);
  std::printf("seconds=%.6f bodyBytes=%lld\n", seconds, received);
  return whole ? 0 : 1;
}

}  // namespace drev::bench
