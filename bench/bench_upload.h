// Benchmark children's shared wiring: the job a child is given, one file as an upload's only row with
// the settings and lists the worker or the dialog takes, and a control that keeps the reply and the
// moments of the transfer.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "http/UploadWorker.h"
#include "model/CAttachFile.h"
#include "model/IUploadControl.h"
#include "model/UploadSettings.h"
#include "platform/inet/inet.h"

namespace drev::bench {

// What a child process uploads: `<program> --child MODE PATH SIZE ADDRESS`.
struct ChildJob {
  std::string mode;     // which client the child is (the benchmark names them)
  std::string path;     // the file to send
  std::uint32_t size;   // its size (below 4 GiB; below 2 GiB where the control's signed sizes count)
  std::string address;  // the receiver's address (port 80)
};

// The job of a child's command line; false when it is not one.
bool ParseChildJob(int argc, char** argv, ChildJob& job);

// The argument list that runs `program` as a child for `job`.
std::vector<std::string> ChildCommand(const std::string& program, const ChildJob& job);

// The body length the discard receiver counted, from its reply; -1 when the reply is not its summary.
long long BodyBytesOf(const std::string& reply);

// An HTTP session with the control's agent text ("zelk"), closed at scope end.
class BenchSession {
 public:
  BenchSession();
  ~BenchSession();
  BenchSession(const BenchSession&) = delete;
  BenchSession& operator=(const BenchSession&) = delete;
  plat::inet::HINTERNET Get() const { return session_; }

 private:
  plat::inet::HINTERNET session_;
};

// The job's file as the only row of an upload to "/upload.php" on the job's address, and the control
// the upload is for: it keeps the reply and notes when the dialog emptied it (right before the
// worker thread starts) and when the worker stored the new one (right before it signals done).
class BenchUpload : public IUploadControl {
 public:
  using Clock = std::chrono::steady_clock;

  explicit BenchUpload(const ChildJob& job);
  BenchUpload(const BenchUpload&) = delete;
  BenchUpload& operator=(const BenchUpload&) = delete;

  const UploadSettings* Settings() const { return &settings_; }
  UploadLists Lists() const { return UploadLists{&rows_, &images_, &deletions_}; }

  // IUploadControl.
  UploadSettings* GetUploadSettings() override { return &settings_; }
  plat::LRESULT SendToControl(plat::UINT, plat::WPARAM, plat::LPARAM) override { return 0; }
  void SetServerResponse(const std::string& reply) override;
  void FireOnFileAppended(std::int32_t, std::int32_t) override {}
  void FireOnFileDeleted(std::int32_t, std::int32_t) override {}

  const std::string& Reply() const { return reply_; }
  Clock::time_point Emptied() const { return emptied_; }
  Clock::time_point Stored() const { return stored_; }

 private:
  UploadSettings settings_;
  CAttachFile record_;
  CAttachRefList rows_;
  CAttachList images_;
  CAttachList deletions_;
  std::string reply_;
  Clock::time_point emptied_;
  Clock::time_point stored_;
};

// Runs the worker for `upload` on this thread (its Run, as the worker thread would) with `reports`;
// true when it ended done.
bool RunWorker(BenchUpload& upload, plat::inet::HINTERNET session, const UploadReports& reports = {});

}  // namespace drev::bench
