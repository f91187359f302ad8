// The worker thread's run: what it reports of a failure and when, which end event is signalled, and
// the boundary drawn.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <regex>
#include <stdexcept>

#include "http/CBasicHttpException.h"
#include "http/UploadWorker.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/thread.h"
#include "platform/kernel/wait.h"
#include "platform/text/text.h"
#include "tests/http/http_test_support.h"
#include "tests/http/worker_fixture.h"

namespace {

using namespace drev;
using namespace drev::httptest;
using drevtest::ReceiverProcess;
using nlohmann::json;
using plat::DWORD;
namespace kernel = plat::kernel;

class WorkerRun : public WorkerFixture {
 protected:
  // Starts the worker thread the way the dialog does.
  void Start() {
    ASSERT_TRUE(thread_.Start([this] { UploadThreadProc(&worker_); }, kernel::Thread::Priority::BelowNormal));
  }
  // Runs the worker thread to its end and says which end it signalled (exactly one, or "both or
  // none").
  std::string RunToEnd() {
    Start();
    thread_.Join();
    const UploadWorker::End end = worker_.TakeEnd();
    if (worker_.TakeEnd() != UploadWorker::End::Running) return "both or none";
    return end == UploadWorker::End::Done ? "done" : end == UploadWorker::End::Cancelled ? "cancelled" : "both or none";
  }
  // The one failure the run reported (a test failure when there were none or more).
  UploadFailure OnlyFailure() {
    EXPECT_EQ(progress_.failures.size(), 1u);
    EXPECT_TRUE(worker_.Failure().has_value());
    return progress_.failures.empty() ? UploadFailure{} : progress_.failures.front();
  }
  kernel::Thread thread_;
};

TEST_F(WorkerRun, AnUnreachableServerIsReportedOnTheWorkerThreadBeforeTheRunEnds) {
  settings_.Normal_ServerName = drevtest::UniqueLoopbackAddress(kAddressBase);  // nothing listens there
  UploadWorker::End endWhileReporting = UploadWorker::End::Done;
  progress_.onFailure = [&] { endWhileReporting = worker_.TakeEnd(); };
  EXPECT_EQ(RunToEnd(), "done");
  EXPECT_EQ(endWhileReporting, UploadWorker::End::Running);
  UploadFailure failure = OnlyFailure();
  EXPECT_EQ(failure.kind, UploadFailure::Kind::Internet);
  EXPECT_EQ(failure.number, plat::inet::ERROR_INTERNET_CANNOT_CONNECT);
  EXPECT_EQ(failure.text, plat::inet::InternetErrorDescription(plat::inet::ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_FALSE(failure.text.empty());
  EXPECT_EQ(progress_.failureThreads, std::vector<DWORD>{thread_.Id()});
  EXPECT_TRUE(control_.Responses().empty());
}

TEST_F(WorkerRun, AStopSeenAtABlockEndsCancelledWithNothingReported) {
  ReceiverProcess receiver(WithOptions({}, false));
  AddRow(dir_.Write("one", Pattern(3000)), "x/y", 3000);
  Connect(receiver);
  progress_.onCall = [&] { worker_.RequestStop(); };
  EXPECT_EQ(RunToEnd(), "cancelled");
  EXPECT_EQ(worker_.Cancelled(), 1u);
  EXPECT_EQ(progress_.calls.size(), 1u);
  EXPECT_TRUE(progress_.failures.empty());
  EXPECT_TRUE(control_.Responses().empty());
}

TEST_F(WorkerRun, AStopBeforeTheRequestGoesOutSendsNothingAndEndsCancelled) {
  ReceiverProcess receiver(WithOptions({}, false));
  Connect(receiver);
  worker_.RequestStop();
  EXPECT_EQ(RunToEnd(), "cancelled");
  EXPECT_TRUE(control_.Responses().empty());
  EXPECT_TRUE(progress_.failures.empty());
  EXPECT_FALSE(worker_.Failure().has_value());
}

// The user's stop ends a run that waits on the network at once, not at the HTTP time limits (a
// minute): against a server that takes nothing more of the body, and one that never answers.
TEST_F(WorkerRun, AStopEndsARunBlockedOnTheNetworkAtOnceAsACancel) {
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"--read-delay", "60000"}, std::vector<std::string>{"--reply-delay", "60000"}}) {
    SCOPED_TRACE(options.front());
    rows_.clear();
    ReceiverProcess receiver(WithOptions(options, false));
    Connect(receiver);
    const bool deaf = options.front() == "--read-delay";
    const std::int32_t size = deaf ? 32 * 1024 * 1024 : 3000;
    AddRow(dir_.Write(deaf ? "big" : "small", Pattern(static_cast<std::size_t>(size))), "x/y", size);
    UploadWorker worker(&settings_, UploadLists{&rows_, &images_, &deletions_}, session_.Get(), &control_,
                        UploadReports{&progress_, &ProgressLog::Routine, &ProgressLog::Failure});
    progress_.failures.clear();
    kernel::Thread thread;
    ASSERT_TRUE(thread.Start([&] { UploadThreadProc(&worker); }, kernel::Thread::Priority::BelowNormal));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the body fills the server's window, or the reply is awaited, by now
    EXPECT_EQ(worker.TakeEnd(), UploadWorker::End::Running);
    const auto stopped = std::chrono::steady_clock::now();
    worker.RequestStop();
    thread.Join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(5));
    EXPECT_EQ(worker.TakeEnd(), UploadWorker::End::Cancelled);
    EXPECT_EQ(worker.Cancelled(), 1u);
    EXPECT_TRUE(progress_.failures.empty());
    EXPECT_TRUE(control_.Responses().empty());
  }
}

TEST_F(WorkerRun, AnErrorStatusEndsDoneReportedAsAStatusFailureWithNothingStored) {
  ReceiverProcess receiver(WithOptions({"--status", "500"}, false));
  Connect(receiver);
  EXPECT_EQ(RunToEnd(), "done");
  EXPECT_EQ(worker_.Error(), "Error Precheck return status = 500\n");
  UploadFailure failure = OnlyFailure();
  EXPECT_EQ(failure.kind, UploadFailure::Kind::Status);
  EXPECT_EQ(failure.number, 500u);
  EXPECT_EQ(worker_.Status(), 500u);
  EXPECT_FALSE(worker_.Succeeded());
  EXPECT_TRUE(control_.Responses().empty());
}

TEST_F(WorkerRun, OnlyAStoredReplyOfA200IsASuccess) {
  ReceiverProcess receiver(WithOptions({}, false));
  Connect(receiver);
  EXPECT_EQ(RunToEnd(), "done");
  EXPECT_TRUE(worker_.Succeeded());
  EXPECT_EQ(worker_.Status(), 200u);
  EXPECT_TRUE(progress_.failures.empty());
}

TEST_F(WorkerRun, AFileDeletedSinceItWasListedEndsDoneAsThePostersOwnFailure) {
  ReceiverProcess receiver(WithOptions({}, false));
  Connect(receiver);
  AddRow(dir_.Path().string() + "/deleted-since-listed", "x/y", 10);
  EXPECT_EQ(RunToEnd(), "done");
  EXPECT_TRUE(progress_.calls.empty());
  UploadFailure failure = OnlyFailure();
  EXPECT_EQ(failure.kind, UploadFailure::Kind::Poster);
  EXPECT_EQ(failure.number, static_cast<DWORD>(HTTPERR_SYSTEM));
  EXPECT_TRUE(control_.Responses().empty());
}

TEST_F(WorkerRun, AnyOtherFailureIsReportedWithItsOwnDescription) {
  ReceiverProcess receiver(WithOptions({}, false));
  AddRow(dir_.Write("f", Pattern(10)), "x/y", 10);
  Connect(receiver);
  std::string text = plat::text::Utf8ToCp949("디스크를 읽을 수 없습니다");
  progress_.onCall = [&] { throw std::runtime_error(text); };
  EXPECT_EQ(RunToEnd(), "done");
  UploadFailure failure = OnlyFailure();
  EXPECT_EQ(failure.kind, UploadFailure::Kind::Other);
  EXPECT_EQ(failure.text, text);
}

TEST_F(WorkerRun, AnInternetErrorWithoutDescriptionIsReportedWithItsNumberOnly) {
  ReceiverProcess receiver(WithOptions({}, false));
  AddRow(dir_.Write("f", Pattern(10)), "x/y", 10);
  Connect(receiver);
  progress_.onCall = [] { plat::inet::ThrowInternetException(12345); };
  ASSERT_EQ(plat::inet::InternetErrorDescription(12345), "");
  EXPECT_EQ(RunToEnd(), "done");
  UploadFailure failure = OnlyFailure();
  EXPECT_EQ(failure.kind, UploadFailure::Kind::Internet);
  EXPECT_EQ(failure.number, 12345u);
  EXPECT_EQ(failure.text, "");
}

TEST_F(WorkerRun, FilesRecordedWithSizeZeroReportTotalZeroWithoutTrouble) {
  ReceiverProcess receiver(WithOptions({}, false));
  AddRow(dir_.Write("empty", ""), "x/y", 0);
  Connect(receiver);
  EXPECT_EQ(RunToEnd(), "done");
  EXPECT_EQ(progress_.calls, (std::vector<std::pair<DWORD, DWORD>>{{0, 0}}));
  EXPECT_EQ(control_.Responses().size(), 1u);
}

// The boundary of an upload, as the receiver read it from the request.
std::string BoundaryOf(FakeControl& control) {
  std::vector<std::string> responses = control.Responses();
  if (responses.empty()) return "";
  return json::parse(responses.back())["boundary"].get<std::string>();
}

TEST_F(WorkerRun, EveryRunDrawsAnUnforeseeableBoundary) {
  ReceiverProcess receiver(WithOptions({}, false));
  Connect(receiver);
  EXPECT_EQ(RunToEnd(), "done");
  std::string first = BoundaryOf(control_);
  EXPECT_EQ(RunToEnd(), "done");
  std::string second = BoundaryOf(control_);
  std::regex form("--Velmora\\.Boundary[0-9A-F]{12}");
  EXPECT_TRUE(std::regex_match(first, form)) << first;
  EXPECT_TRUE(std::regex_match(second, form)) << second;
  EXPECT_NE(first, kFirstBoundary);
  EXPECT_NE(second, kFirstBoundary);
  EXPECT_NE(first, second);
}

TEST_F(WorkerRun, AFileCarryingTheFixedBoundaryCannotAddFieldsOfItsOwn) {
  ReceiverProcess receiver(WithOptions({}, false));
  std::string forged = "head\r\n--" + kFirstBoundary + "\r\nContent-Disposition: form-data; name=\"DELETE_FILES\"" +
                       "\r\n\r\n1,2,3,\r\n--" + kFirstBoundary + "--\r\n";
  AddRow(dir_.Write("forged.txt", forged), "text/plain", static_cast<std::int32_t>(forged.size()));
  Connect(receiver);

  // Unseeded, as every upload thread once was: the file splits the body and forges a field.
  OnFreshThread([&] { EXPECT_EQ(worker_.Upload(), plat::TRUE); });
  json unseeded = json::parse(control_.Responses().back());
  ASSERT_EQ(unseeded["boundary"], kFirstBoundary);
  EXPECT_EQ(unseeded["fields"].size() + unseeded["files"].size(), 4u) << unseeded.dump(2);

  // Through the worker thread's run: the file arrives whole as one part, and nothing is added.
  EXPECT_EQ(RunToEnd(), "done");
  json seeded = json::parse(control_.Responses().back());
  ASSERT_EQ(seeded["files"].size(), 1u);
  EXPECT_EQ(seeded["files"][0]["size"], forged.size());
  ASSERT_EQ(seeded["fields"].size(), 2u);
  EXPECT_EQ(seeded["fields"][1]["value"], "");
}

}  // namespace
