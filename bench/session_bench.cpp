// session-bench: what the progress dialog costs an upload. The same file is uploaded to
// upload-receiver in its discard mode on loopback twice, each time in a process of its own: through
// the upload worker's run alone ("direct"), and through the progress dialog as UploadFiles runs it,
// modal and headless ("dialog": the transfer from the request's start to the reply stored, with the
// dialog's per-block work; "dlg-call": the whole modal run, which adds the dialog's set-up and its
// wait of up to 200 ms for the poll tick that sees the end). Each row gives the best
// of N runs in upload-bench's columns; the goal is that the dialog's transfer keeps at least 80% of
// the throughput without it.
//
//   session-bench [--data DIR] [--sizes MiB,MiB,...] [--repeat N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "bench/session_child.h"

namespace {

using drev::bench::BestRun;
using drev::bench::ChildUsage;
using drev::bench::Options;
using drev::bench::SizeName;

const char* const kClients[] = {"direct", "dialog"};
constexpr double kGoalRatio = 0.8;

// One run of one client in its own process; false when the upload did not arrive whole.
bool RunOnce(const std::string& client, const std::string& path, unsigned sizeMiB, const std::string& address,
             ChildUsage& usage, double& seconds) {
  const std::uint32_t size = static_cast<std::uint32_t>(std::uint64_t{sizeMiB} << 20);
  usage = drev::bench::RunChild(drev::bench::ChildCommand(drev::bench::ProgramFolder() + "/session-bench", {client, path, size, address}));
  seconds = drev::bench::ValueAfter(usage.output, "seconds=");
  return usage.exitStatus == 0 && seconds > 0;
}

void PrintRow(unsigned mib, const char* client, const BestRun& result, double seconds) {
  drev::bench::PrintRow(mib, client, result.ok, seconds, result.cpuSeconds, result.peakRssKiB);
}

// Prints the goal's verdict per size; false when one is missed.
bool CheckGoals(const std::map<unsigned, std::map<std::string, BestRun>>& results) {
  bool met = true;
  std::printf("\n");
  for (const auto& [mib, row] : results) {
    const BestRun& direct = row.at("direct");
    const BestRun& dialog = row.at("dialog");
    if (!direct.ok || !dialog.ok) continue;
    double ratio = direct.seconds / dialog.seconds;
    bool good = ratio >= kGoalRatio;
    met = met && good;
    std::printf("%-7s dialog    throughput %.2fx direct (goal >= %.1f): %s\n", SizeName(mib).c_str(), ratio, kGoalRatio,
                good ? "met" : "MISSED");
  }
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  if (drev::bench::ChildJob job; drev::bench::ParseChildJob(argc, argv, job)) return drev::bench::RunSessionChild(job);
  Options options;
  options.sizesMiB = {64, 1024};
  if (!drev::bench::ParseOptions(argc, argv, "session-bench", 2048, options)) return 2;
  drev::bench::DiscardReceiver receiver(drev::bench::ProgramFolder() + "/upload-receiver");
  std::map<unsigned, std::map<std::string, BestRun>> results;
  drev::bench::PrintHeading();
  bool failed = false;
  drev::bench::ForEachSize(options, [&](unsigned mib, const std::string& path) {
    for (const char* client : kClients) {
      BestRun result = drev::bench::BestOf("session-bench", client, mib, options.repeat, [&](ChildUsage& usage, double& seconds) {
        return RunOnce(client, path, mib, receiver.Address(), usage, seconds);
      });
      results[mib][client] = result;
      failed = failed || !result.ok;
      PrintRow(mib, client, result, result.seconds);
      // The whole modal run of the best transfer.
      if (std::strcmp(client, "dialog") == 0) PrintRow(mib, "dlg-call", result, drev::bench::ValueAfter(result.output, "callSeconds="));
    }
  });
  bool met = CheckGoals(results);
  return failed ? 1 : met ? 0 : 3;
}
