// upload-bench: upload throughput, CPU per GiB and peak memory of our uploader against curl.
//
//   upload-bench [--data DIR] [--sizes MiB,MiB,...] [--repeat N]
//
// For every size, a file of that many MiB (made once in DIR and kept) is uploaded to upload-receiver in
// its discard mode on loopback by four clients, each in a process of its own: the form poster alone,
// the worker's run without and with a cheap progress routine, and curl -F. Each row gives the best of
// N runs: MB/s (10^6 bytes per second of the upload itself), the process's CPU seconds per GiB and its
// peak resident memory. The goals are checked at the end.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "bench/upload_child.h"

namespace {

using drev::bench::BestRun;
using drev::bench::ChildUsage;
using drev::bench::Options;
using drev::bench::SizeName;

const char* const kClients[] = {"poster", "run-null", "run-cheap", "curl"};

// One run of one client; false when the upload did not arrive whole.
bool RunOnce(const std::string& client, const std::string& path, unsigned sizeMiB, const std::string& address,
             ChildUsage& usage, double& seconds) {
  std::uint64_t size = std::uint64_t{sizeMiB} << 20;
  if (client == "curl") {
    usage = drev::bench::RunChild({"curl", "-s", "-S", "-H", "Expect:", "-o", "-", "-w", "\nseconds=%{time_total}\n", "-F",
                             "ATTACH_FILES=@" + path, "http://" + address + "/upload.php"});
    double body = drev::bench::ValueAfter(usage.output, "\"bodyBytes\":");
    seconds = drev::bench::ValueAfter(usage.output, "seconds=");
    return usage.exitStatus == 0 && body >= static_cast<double>(size) && seconds > 0;
  }
  usage = drev::bench::RunChild(drev::bench::ChildCommand(drev::bench::ProgramFolder() + "/upload-bench",
                                              {client, path, static_cast<std::uint32_t>(size), address}));
  seconds = drev::bench::ValueAfter(usage.output, "seconds=");
  return usage.exitStatus == 0 && seconds > 0;
}

// Prints the goals' verdicts; false when one is missed.
bool CheckGoals(const std::map<unsigned, std::map<std::string, BestRun>>& results) {
  bool met = true;
  std::printf("\n");
  for (const auto& [mib, row] : results) {
    if (mib < 64) continue;
    const BestRun& curl = row.at("curl");
    for (const char* client : {"poster", "run-null", "run-cheap"}) {
      const BestRun& ours = row.at(client);
      if (!ours.ok || !curl.ok) continue;
      double speed = curl.seconds / ours.seconds;
      double cpu = ours.cpuSeconds / curl.cpuSeconds;
      bool good = speed >= 0.5 && cpu <= 2.0;
      met = met && good;
      std::printf("%-7s %-9s throughput %.2fx curl (goal >= 0.5), CPU %.2fx curl (goal <= 2.0): %s\n",
                  SizeName(mib).c_str(), client, speed, cpu, good ? "met" : "MISSED");
    }
  }
  if (results.count(1) && results.count(1024)) {
    for (const char* client : {"poster", "run-null", "run-cheap"}) {
      double growth = static_cast<double>(results.at(1024).at(client).peakRssKiB - results.at(1).at(client).peakRssKiB) / 1024;
      bool good = growth < 8;
      met = met && good;
      std::printf("%-9s peak memory at 1 GiB less at 1 MiB: %.1f MiB (goal < 8): %s\n", client, growth, good ? "met" : "MISSED");
    }
  }
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  if (drev::bench::ChildJob job; drev::bench::ParseChildJob(argc, argv, job)) return drev::bench::RunUploadChild(job);
  Options options;
  options.sizesMiB = {1, 64, 1024};
  if (!drev::bench::ParseOptions(argc, argv, "upload-bench", 4096, options)) return 2;
  drev::bench::DiscardReceiver receiver(drev::bench::ProgramFolder() + "/upload-receiver");
  std::map<unsigned, std::map<std::string, BestRun>> results;
  drev::bench::PrintHeading();
  bool failed = false;
  drev::bench::ForEachSize(options, [&](unsigned mib, const std::string& path) {
    for (const char* client : kClients) {
      BestRun result = drev::bench::BestOf("upload-bench", client, mib, options.repeat, [&](ChildUsage& usage, double& seconds) {
        return RunOnce(client, path, mib, receiver.Address(), usage, seconds);
      });
      results[mib][client] = result;
      failed = failed || !result.ok;
      drev::bench::PrintRow(mib, client, result.ok, result.seconds, result.cpuSeconds, result.peakRssKiB);
    }
  });
  bool met = CheckGoals(results);
  return failed ? 1 : met ? 0 : 3;
}
