// Test support: an UploadWorker made for settings, lists, a stand-in control and recording progress and
// failure routines.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

#include "http/UploadWorker.h"
#include "platform/kernel/thread.h"
#include "model/CAttachFile.h"
#include "model/UploadSettings.h"
#include "tests/http/http_test_support.h"

namespace drev::httptest {

// Records the dialog's progress calls and failure reports; `onCall` and `onFailure` (when set) run
// inside each one, on the worker's thread.
struct ProgressLog {
  std::vector<std::pair<plat::DWORD, plat::DWORD>> calls;  // (total, sent)
  std::set<void*> contexts;
  std::function<void()> onCall;
  std::vector<UploadFailure> failures;
  std::vector<plat::DWORD> failureThreads;
  std::function<void()> onFailure;
  static void Routine(void* context, plat::DWORD total, plat::DWORD sent) {
    auto* self = static_cast<ProgressLog*>(context);
    self->contexts.insert(context);
    self->calls.emplace_back(total, sent);
    if (self->onCall) self->onCall();
  }
  static void Failure(void* context, const UploadFailure& failure) {
    auto* self = static_cast<ProgressLog*>(context);
    self->failures.push_back(failure);
    self->failureThreads.push_back(plat::kernel::GetCurrentThreadId());
    if (self->onFailure) self->onFailure();
  }
};

class WorkerFixture : public ::testing::Test {
 protected:
  WorkerFixture()
      : worker_(&settings_, UploadLists{&rows_, &images_, &deletions_}, session_.Get(), &control_,
                UploadReports{&progress_, &ProgressLog::Routine, &ProgressLog::Failure}) {}

  static std::unique_ptr<CAttachFile> Record(const std::string& path, const std::string& type, std::int32_t size,
                                             std::int32_t server) {
    auto record = std::make_unique<CAttachFile>();
    record->m_strPath = path;
    record->m_strContentType = type;
    record->m_nSize = size;
    record->m_bServer = server;
    return record;
  }
  void AddRow(const std::string& path, const std::string& type, std::int32_t size, std::int32_t server = 0) {
    rowRecords_.push_back(Record(path, type, size, server));
    rows_.push_back(rowRecords_.back().get());
  }
  void AddImage(const std::string& path, const std::string& type, std::int32_t size, const std::string& field,
                std::int32_t server = 0) {
    images_.push_back(Record(path, type, size, server));
    images_.back()->m_strParamName = field;
    images_.back()->m_bImage = 1;
  }
  void AddDeletion(std::int32_t id) {
    deletions_.push_back(Record("", "", 0, 1));
    deletions_.back()->m_nFileId = id;
    deletions_.back()->m_bDeleted = 1;
  }
  void Connect(const drevtest::ReceiverProcess& receiver) {
    settings_.Normal_ServerName = receiver.Address();
    if (settings_.Normal_UploadURL.empty()) settings_.Normal_UploadURL = "/upload.php";
  }

  FakeControl control_;
  Session session_;
  TempDir dir_;
  UploadSettings settings_;
  CAttachList rowRecords_;
  CAttachRefList rows_;
  CAttachList images_;
  CAttachList deletions_;
  ProgressLog progress_;
  UploadWorker worker_;
};

}  // namespace drev::httptest
