// Session benchmark child: the same upload with and without the progress dialog around it.
#include "bench/session_child.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>

#include <nlohmann/json.hpp>

#include "attachments/CAttachFile.h"
#include "control/CurrentControl.h"
#include "control/DrevFactory.h"
#include "control/DrevTypeLib.h"
#include "control/UploadSettings.h"
#include "control/identifiers.h"
#include "host/ControlHost.h"
#include "http/UploadWorker.h"
#include "platform/inet/inet.h"
#include "platform/shell/file_dialog.h"
#include "resources/ModuleResources.h"

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

// Stands between the dialog and the real control and notes two moments: the dialog empties the
// reply right before it starts the worker thread, and the worker stores the new reply right before
// it signals that it is done. Between the two lies the transfer with the dialog's per-block work,
// without the dialog's set-up and without the wait for its next poll tick.
class TransferClock : public IUploadControl {
 public:
  explicit TransferClock(IUploadControl* control) : control_(control) {}
  UploadSettings* GetUploadSettings() override { return control_->GetUploadSettings(); }
  plat::LRESULT SendToControl(plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) override {
    return control_->SendToControl(message, wParam, lParam);
  }
  void SetServerResponse(const std::string& reply) override {
    (reply.empty() ? started_ : stored_) = Clock::now();
    control_->SetServerResponse(reply);
  }
  void FireOnFileAppended(std::int32_t size, std::int32_t total) override { control_->FireOnFileAppended(size, total); }
  void FireOnFileDeleted(std::int32_t size, std::int32_t total) override { control_->FireOnFileDeleted(size, total); }
  double Seconds() const { return std::chrono::duration<double>(stored_ - started_).count(); }

 private:
  IUploadControl* control_;
  Clock::time_point started_;
  Clock::time_point stored_;
};

// The worker's run on this thread, without a dialog and without a progress routine.
long long UploadDirect(const SessionJob& job, double& seconds, double& callSeconds) {
  plat::inet::HINTERNET session =
      plat::inet::InternetOpenA("zelk", plat::inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  ReplyKeeper control;
  SetCurrentControl(&control);
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
  auto start = Clock::now();
  worker.Run();
  callSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  seconds = std::chrono::duration<double>(control.stored_ - start).count();
  ReleaseCurrentControl(&control);
  plat::inet::InternetCloseHandle(session);
  return worker.m_evDone.Test() ? BodyBytesOf(control.reply_) : -1;
}

// The page's way: the file picked in the control, UploadFiles with the progress dialog running on
// this (the user-interface) thread and the worker beside it.
long long UploadThroughDialog(const SessionJob& job, double& seconds, double& callSeconds) {
  static const int tag = 0;
  RegisterModuleResources(&tag);
  plat::com::ComPtr<plat::com::IClassFactory> factory = drev::GetDrevClassFactory();
  auto host = std::make_unique<drev::host::ControlHost>(factory.Get());
  if (!host->ok() || host->LoadProperties({{"Normal_ServerName", job.address}, {"Normal_UploadURL", kUploadPath}}) < 0 ||
      host->CreateWindows(600, 300) < 0) {
    return -1;
  }
  host->Call("SetUploadSize", {std::int32_t{0x7FFFFFFF}});
  plat::shell::QueueOpenFileSelection({job.path});
  host->Call("AttachFiles");
  if (host->Call("GetFileCount", {"ATTACH_FILE"}).value.iVal() != 1) return -1;
  IUploadControl* control = GetCurrentControl();
  TransferClock clock(control);
  SetCurrentControl(&clock);
  auto start = Clock::now();
  drev::host::CallResult result = host->Call("UploadFiles");
  callSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  seconds = clock.Seconds();
  SetCurrentControl(control);
  if (!(result.value == plat::com::Variant::Bool(true))) return -1;
  return BodyBytesOf(host->Call("GetServerResponse").Text());
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
