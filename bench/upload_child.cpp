// Benchmark child: one upload of one file through the form poster or the upload worker's run.
#include "bench/upload_child.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "http/CBasicHttp.h"
#include "http/UploadWorker.h"
#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "model/UploadSettings.h"
#include "platform/inet/inet.h"

namespace bench {
namespace {

using plat::DWORD;

// Keeps the reply the worker stores, as the control would.
class ReplyKeeper : public IUploadControl {
 public:
  UploadSettings* GetUploadSettings() override { return nullptr; }
  plat::LRESULT SendToControl(plat::UINT, plat::WPARAM, plat::LPARAM) override { return 0; }
  void SetServerResponse(const std::string& reply) override { reply_ = reply; }
  void FireOnFileAppended(std::int32_t, std::int32_t) override {}
  void FireOnFileDeleted(std::int32_t, std::int32_t) override {}
  std::string reply_;
};

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

// The body length the discard receiver counted, from its reply; -1 when the reply is not its summary.
long long BodyBytesOf(const std::string& reply) {
  nlohmann::json summary = nlohmann::json::parse(reply, nullptr, false);
  if (!summary.is_object() || !summary.contains("bodyBytes")) return -1;
  return summary["bodyBytes"].get<long long>();
}

long long UploadThroughPoster(plat::inet::HINTERNET session, const UploadJob& job, DWORD& declared) {
  CBasicHttp http(session);
  http.SetServerName(job.address);
  http.SetObjectName("/upload.php");
  http.SetVerb(CBasicHttp::kVerbPost);
  http.SetFormType(CBasicHttp::kFormMultipart);
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

long long UploadThroughWorker(plat::inet::HINTERNET session, const UploadJob& job, bool cheapProgress) {
  ReplyKeeper control;
  UploadSettings settings;
  settings.Normal_ServerName = job.address;
  settings.Normal_UploadURL = "/upload.php";
  CAttachFile record;
  record.m_strPath = job.path;
  record.m_strContentType = "application/octet-stream";
  record.m_nSize = static_cast<std::int32_t>(job.size);
  CAttachRefList rows{&record};
  CAttachList deletions;
  CheapProgress progress;
  UploadWorker worker;
  worker.m_pSettings = &settings;
  worker.m_pListUpload = &rows;
  worker.m_pListDelete = &deletions;
  worker.m_pSession = session;
  worker.m_pControl = &control;
  if (cheapProgress) {
    worker.m_pProgressContext = &progress;
    worker.m_pfnProgress = &CheapProgress::Routine;
  }
  worker.Run();
  bool done = worker.m_evDone.Test();
  if (!done || (cheapProgress && progress.lastPercent != 100)) return -1;
  return BodyBytesOf(control.reply_);
}

}  // namespace

int RunUploadChild(const UploadJob& job) {
  plat::inet::HINTERNET session =
      plat::inet::InternetOpenA("zelk", plat::inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  auto start = std::chrono::steady_clock::now();
  long long received = -1;
  DWORD declared = 0;
  try {
    if (job.mode == "poster") {
      received = UploadThroughPoster(session, job, declared);
    } else {
      received = UploadThroughWorker(session, job, job.mode == "run-cheap");
    }
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "upload-bench: %s: %s\n", job.mode.c_str(), failure.what());
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  plat::inet::InternetCloseHandle(session);
  // The whole body must have arrived: the file and a few hundred bytes of framing at most.
  bool whole = received >= static_cast<long long>(job.size) && received < static_cast<long long>(job.size) + 1024 &&
               (declared == 0 || received == declared);
  std::printf("seconds=%.6f bodyBytes=%lld\n", seconds, received);
  return whole ? 0 : 1;
}

}  // namespace bench
