// Benchmark support: child processes measured by their resource use, and the receiver they upload to.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace drev::bench {

// What one child process used, as its parent saw it at the end (wait4).
struct ChildUsage {
  int exitStatus = -1;        // the exit code; -1 when it did not exit normally
  double cpuSeconds = 0;      // user + system time of the child
  long peakRssKiB = 0;        // its peak resident memory
  double wallSeconds = 0;     // from start to end, as the parent measured
  std::string output;         // what it wrote to standard output
};

// Runs `argv` (argv[0] a path or a name found on PATH) with standard output captured and waits for it.
ChildUsage RunChild(const std::vector<std::string>& argv);

// An upload-receiver in discard mode on a loopback address of its own, port 80; stopped at scope end.
class DiscardReceiver {
 public:
  // Throws std::runtime_error when it does not accept connections within 10 s.
  explicit DiscardReceiver(const std::string& program);
  ~DiscardReceiver();
  DiscardReceiver(const DiscardReceiver&) = delete;
  DiscardReceiver& operator=(const DiscardReceiver&) = delete;
  const std::string& Address() const { return address_; }
  // The CPU time its threads have used so far (nanosecond counts from /proc; 0 when unreadable).
  double CpuSeconds() const;

 private:
  std::string address_;
  pid_t pid_ = -1;
};

// Reads the file at `path` through once, so that it sits in the page cache and the next reader
// does not pay for the disk.
void ReadThrough(const std::string& path);

// Makes `path` a file of exactly `size` bytes of patterned content unless it already is one, and
// leaves it in the page cache.
void EnsureDataFile(const std::string& path, std::uint64_t size);

// The folder of the running program.
std::string ProgramFolder();

// The options both upload benchmarks take: where the data files live, which sizes, how many runs.
struct Options {
  std::string data;
  std::vector<unsigned> sizesMiB;
  int repeat = 3;  // best of three: one run on a shared machine is easily disturbed
};

// Parses --data DIR, --sizes MiB,... and --repeat N over `options` (which holds the defaults; data
// defaults to the build folder's bench-data). Sizes must be 1 to maxMiB - 1. Prints the usage of
// `program` and returns false on anything else.
bool ParseOptions(int argc, char** argv, const char* program, unsigned maxMiB, Options& options);

// "64 MiB", "1 GiB".
std::string SizeName(unsigned mib);

// The number written after the last `key` in a child's output; -1 when the key is missing.
double ValueAfter(const std::string& text, const std::string& key);

// The best of a client's runs at one size: the run with the shortest time, and the highest peak
// memory over all runs.
struct BestRun {
  bool ok = false;
  double seconds = 0;     // the best run's time
  double cpuSeconds = 0;  // CPU of the process of the best run
  long peakRssKiB = 0;    // highest peak over the runs
  std::string output;     // what the best run's process wrote
};

// Runs `runOnce` `repeat` times; it fills the child's usage and the run's time and answers false
// when the upload failed, which ends the measurement with a result that is not ok (and the line
// "<program>: <client> failed at N MiB: <output>" on standard error).
BestRun BestOf(const char* program, const std::string& client, unsigned sizeMiB, int repeat,
               const std::function<bool(ChildUsage& usage, double& seconds)>& runOnce);

// For each size of `options`, in order: makes its data file ("upload-<N>MiB.bin" in options.data)
// and calls `each` with the size and the file's path.
void ForEachSize(const Options& options, const std::function<void(unsigned mib, const std::string& path)>& each);

// The table both benchmarks print: its heading, and one row of a client's best run at one size
// (MB/s of `seconds`, CPU seconds per GiB, peak resident MiB; zeros for a failed client).
void PrintHeading();
void PrintRow(unsigned mib, const char* client, bool ok, double seconds, double cpuSeconds, long peakRssKiB);

}  // namespace drev::bench
