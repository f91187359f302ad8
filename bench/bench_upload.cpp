// Benchmark children's shared wiring: the child's job, the upload of one file and its control.
#include "bench/bench_upload.h"

#include <cstdlib>
#include <cstring>

#include <nlohmann/json.hpp>

namespace drev::bench {

bool ParseChildJob(int argc, char** argv, ChildJob& job) {
  if (argc != 6 || std::strcmp(argv[1], "--child") != 0) return false;
  job = ChildJob{argv[2], argv[3], static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)), argv[5]};
  return true;
}

std::vector<std::string> ChildCommand(const std::string& program, const ChildJob& job) {
  return {program, "--child", job.mode, job.path, std::to_string(job.size), job.address};
}

long long BodyBytesOf(const std::string& reply) {
  nlohmann::json summary = nlohmann::json::parse(reply, nullptr, false);
  if (!summary.is_object() || !summary.contains("bodyBytes")) return -1;
  return summary["bodyBytes"].get<long long>();
}

BenchSession::BenchSession()
    : session_(plat::inet::InternetOpenA("zelk", plat::inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {}

BenchSession::~BenchSession() {
  if (session_ != nullptr) plat::inet::InternetCloseHandle(session_);
}

BenchUpload::BenchUpload(const ChildJob& job) {
  settings_.Normal_ServerName = job.address;
  settings_.Normal_UploadURL = "/upload.php";
  record_.m_strPath = job.path;
  record_.m_strContentType = "application/octet-stream";
  record_.m_nSize = static_cast<std::int32_t>(job.size);
  rows_.push_back(&record_);
}

void BenchUpload::SetServerResponse(const std::string& reply) {
  (reply.empty() ? emptied_ : stored_) = Clock::now();
  reply_ = reply;
}

bool RunWorker(BenchUpload& upload, plat::inet::HINTERNET session, const UploadReports& reports) {
  UploadWorker worker(upload.Settings(), upload.Lists(), session, &upload, reports);
  worker.Run();
  return worker.TakeEnd() == UploadWorker::End::Done;
}

}  // namespace drev::bench
