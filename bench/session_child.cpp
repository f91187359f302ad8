// Session benchmark child: the same upload with and without the progress dialog around it.
#include "bench/session_child.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>

#include <nlohmann/json.hpp>

#include "http/UploadWorker.h"
#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "model/UploadSettings.h"
#include "platform/inet/inet.h"
#include "platform/win/winuser.h"
#include "resources/ModuleResources.h"
#include "session/CProgressDlg.h"

namespace bench {
namespace {

constexpr const char* kUploadPath = "/upload.php";

long long BodyBytesOf(const std::string& reply) {
  nlohmann::json summary = nlohmann::json::parse(reply, nullptr, false);
  if (!summary.is_object() || !summary.contains("bodyBytes")) return -1;
  return summary["bodyBytes"].get<long long>();
}

using Clock = std::chrono::steady_clock;

// Keeps the reply the worker stores, as the control would, and when it was stored.
class ReplyKeeper : public IUploadControl {
 public:
  UploadSettings* GetUploadSettings() override { return nullptr; }
  plat::LRESULT SendToControl(plat::UINT, plat::WPARAM, plat::LPARAM) override { return 0; }
  void SetServerResponse(const std::string& reply) override {
    reply_ = reply;
    stored_ = Clock::now();
  }
  void FireOnFileAppended(std::int32_t, std::int32_t) override {}
  void FireOnFileDeleted(std::int32_t, std::int32_t) override {}
  std::string reply_;
  Clock::time_point stored_;
};

// The control the dialog uploads for: it keeps the settings and the reply, and notes two moments:
// the dialog empties the reply right before it starts the worker thread, and the worker stores the
// new reply right before it signals that it is done. Between the two lies the transfer with the
// dialog's per-block work, without the dialog's set-up and without the wait for its next poll tick.
class TransferClock : public IUploadControl {
 public:
  explicit TransferClock(UploadSettings& settings) : settings_(settings) {}
  UploadSettings* GetUploadSettings() override { return &settings_; }
  plat::LRESULT SendToControl(plat::UINT, plat::WPARAM, plat::LPARAM) override { return 0; }
  void SetServerResponse(const std::string& reply) override {
    (reply.empty() ? started_ : stored_) = Clock::now();
    reply_ = reply;
  }
  void FireOnFileAppended(std::int32_t, std::int32_t) override {}
  void FireOnFileDeleted(std::int32_t, std::int32_t) override {}
  double Seconds() const { return std::chrono::duration<double>(stored_ - started_).count(); }
  std::string reply_;

 private:
  UploadSettings& settings_;
  Clock::time_point started_;
  Clock::time_point stored_;
};

// The worker's run on this thread, without a dialog and without a progress routine.
long long UploadDirect(const SessionJob& job, double& seconds, double& callSeconds) {
  plat::inet::HINTERNET session =
      plat::inet::InternetOpenA("zelk", plat::inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  ReplyKeeper control;
  UploadSettings settings;
  settings.Normal_ServerName = job.address;
  settings.Normal_UploadURL = kUploadPath;
  CAttachFile record;
  record.m_strPath = job.path;
  record.m_strContentType = "application/octet-stream";
  record.m_nSize = static_cast<std::int32_t>(job.size);
  CAttachRefList rows{&record};
  CAttachList images;
  CAttachList deletions;
  UploadWorker worker;
  worker.m_pSettings = &settings;
  worker.m_pListUpload = &rows;
  worker.m_pListImage = &images;
  worker.m_pListDelete = &deletions;
  worker.m_pSession = session;
  worker.m_pControl = &control;
  auto start = Clock::now();
  worker.Run();
  callSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  seconds = std::chrono::duration<double>(control.stored_ - start).count();
  plat::inet::InternetCloseHandle(session);
  return worker.m_evDone.Test() ? BodyBytesOf(control.reply_) : -1;
}

// The way UploadFiles runs an upload: the progress dialog, modal on this (the user-interface) thread,
// with its worker beside it, for a control of its own.
long long UploadThroughDialog(const SessionJob& job, double& seconds, double& callSeconds) {
  static const int tag = 0;
  RegisterModuleResources(&tag);
  UploadSettings settings;
  settings.Normal_ServerName = job.address;
  settings.Normal_UploadURL = kUploadPath;
  TransferClock control(settings);
  CAttachFile record;
  record.m_strPath = job.path;
  record.m_strContentType = "application/octet-stream";
  record.m_nSize = static_cast<std::int32_t>(job.size);
  CAttachRefList rows{&record};
  CAttachList images;
  CAttachList deletions;
  auto start = Clock::now();
  plat::win::INT_PTR result = 0;
  {
    CProgressDlg dialog(&control);
    dialog.SetUploadList(&rows);
    dialog.SetImageList(&images);
    dialog.SetDeleteList(&deletions);
    result = dialog.DoModal();
  }
  callSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  seconds = control.Seconds();
  if (result != plat::win::IDOK) return -1;
  return BodyBytesOf(control.reply_);
}

}  // namespace

int RunSessionChild(const SessionJob& job) {
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

}  // namespace bench
