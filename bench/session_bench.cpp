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

using bench::Options;
using bench::SizeName;

struct Result {
  bool ok = false;
  double seconds = 0;     // the transfer's time (best run)
  double callSeconds = 0; // the whole call's time in that run
  double cpuSeconds = 0;  // CPU of the process of the best run
  long peakRssKiB = 0;    // highest peak over the runs
};

const char* const kClients[] = {"direct", "dialog"};
constexpr double kGoalRatio = 0.8;

Result Measure(const std::string& client, const std::string& path, unsigned sizeMiB, const std::string& address,
               int repeat) {
  Result result;
  const std::uint64_t size = std::uint64_t{sizeMiB} << 20;
  for (int run = 0; run < repeat; ++run) {
    bench::ChildUsage usage = bench::RunChild(
        {bench::ProgramFolder() + "/session-bench", "--child", client, path, std::to_string(size), address});
    double seconds = bench::ValueAfter(usage.output, "seconds=");
    if (usage.exitStatus != 0 || seconds <= 0) {
      std::fprintf(stderr, "session-bench: %s failed at %u MiB: %s\n", client.c_str(), sizeMiB, usage.output.c_str());
      return Result{};
    }
    if (!result.ok || seconds < result.seconds) {
      result.seconds = seconds;
      result.callSeconds = bench::ValueAfter(usage.output, "callSeconds=");
      result.cpuSeconds = usage.cpuSeconds;
    }
    result.peakRssKiB = std::max(result.peakRssKiB, usage.peakRssKiB);
    result.ok = true;
  }
  return result;
}

void PrintRow(unsigned mib, const char* client, const Result& result, double seconds) {
  bench::PrintRow(mib, client, result.ok, seconds, result.cpuSeconds, result.peakRssKiB);
}

// Prints the goal's verdict per size; false when one is missed.
bool CheckGoals(const std::map<unsigned, std::map<std::string, Result>>& results) {
  bool met = true;
  std::printf("\n");
  for (const auto& [mib, row] : results) {
    const Result& direct = row.at("direct");
    const Result& dialog = row.at("dialog");
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
  if (argc == 6 && std::strcmp(argv[1], "--child") == 0) {
    return bench::RunSessionChild({argv[2], argv[3], static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)), argv[5]});
  }
  Options options;
  options.sizesMiB = {64, 1024};
  if (!bench::ParseOptions(argc, argv, "session-bench", 2048, options)) return 2;
  bench::DiscardReceiver receiver(bench::ProgramFolder() + "/upload-receiver");
  std::map<unsigned, std::map<std::string, Result>> results;
  bench::PrintHeading();
  bool failed = false;
  for (unsigned mib : options.sizesMiB) {
    std::string path = options.data + "/upload-" + std::to_string(mib) + "MiB.bin";
    bench::EnsureDataFile(path, std::uint64_t{mib} << 20);
    for (const char* client : kClients) {
      Result result = Measure(client, path, mib, receiver.Address(), options.repeat);
      results[mib][client] = result;
      failed = failed || !result.ok;
      PrintRow(mib, client, result, result.seconds);
      if (std::strcmp(client, "dialog") == 0) PrintRow(mib, "dlg-call", result, result.callSeconds);
    }
  }
  bool met = CheckGoals(results);
  return failed ? 1 : met ? 0 : 3;
}
