// host-bench: the upload a person waits for -- the whole drevhost process running a page whose
// UploadFiles sends the dropped files through the progress dialog and its worker -- against curl -F
// with the same files into the same discard receiver.
//
//   host-bench [--data DIR] [--repeat N] [--callgrind]
//
// Cases: one file of 1 KiB, 1 MiB, 256 MiB and 1 GiB, and 10, 100 and 1,000 files of 1 KiB. Every
// run is a process of its own; drevhost and curl alternate run by run (so both see the same load of
// a shared machine) and each row gives the medians of N runs (5 by default): wall seconds, CPU
// seconds (user + system of the process), peak resident memory, and drevhost's ratios to curl; a
// second table gives the receiver's CPU during each client's runs and the sum of both ends.
// Each timed run starts with its files read once, so that both clients read them from memory: a
// page cache that loses pages between runs would otherwise charge disk reads to whichever client
// comes first.
// --callgrind instead counts instructions (valgrind's callgrind, all threads, user space) of one
// run per case, which no load on the machine changes: per MiB from the 64 MiB and 256 MiB uploads
// (drevhost run paints nothing, so what grows with the size is the transfer, the callbacks and the
// dialog's timers), and per row from 10, 100 and 1,000 files. Whether a row costs the same at
// 1,000 rows as at 10 is judged there: the timed runs' CPU differences between 10 and 100 rows are
// below what the clock resolves. The goals are printed at the end, each met or not met.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_process.h"

namespace {

namespace fs = std::filesystem;
using drev::bench::ChildUsage;

struct Case {
  std::string name;
  std::uint64_t fileBytes;
  int files;
};

struct Sample {
  double wall = 0;
  double cpu = 0;
  long rssKiB = 0;
  double receiverCpu = 0;  // what the receiver's threads ran while this client's run lasted
};

struct Setup {
  std::string data;
  std::string drevhost;
  std::string page;
  std::string address;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Reads the files through once. This machine's page cache loses file pages even while it is idle
// (a 256 MiB file kept 235 MiB of its pages a minute after it was read whole), so without this
// the client that runs first pays for the disk reads the other then finds cached.
void ReadThrough(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) drev::bench::ReadThrough(path);
}

// The case's files, made once and kept in the data folder.
std::vector<std::string> FilesOf(const Setup& setup, const Case& c) {
  std::vector<std::string> paths;
  if (c.files == 1) {
    std::string path = setup.data + "/host-" + std::to_string(c.fileBytes) + ".bin";
    drev::bench::EnsureDataFile(path, c.fileBytes);
    paths.push_back(path);
    return paths;
  }
  std::string folder = setup.data + "/host-rows";
  fs::create_directories(folder);
  for (int i = 0; i < c.files; ++i) {
    std::string path = folder + "/row-" + std::to_string(i) + ".bin";
    drev::bench::EnsureDataFile(path, c.fileBytes);
    paths.push_back(path);
  }
  return paths;
}

// The page: the control pointed at the receiver, room for every row, a limit above every case.
void WritePage(const Setup& setup) {
  std::ofstream page(setup.page, std::ios::trunc);
  page << "<html><body>\n"
       << "<object id=\"upload\" classid=\"clsid:6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11\" width=\"600\" height=\"200\">\n"
       << "  <param name=\"Normal_ServerName\" value=\"" << setup.address << "\">\n"
       << "  <param name=\"Normal_UploadURL\" value=\"/upload.php\">\n"
       << "  <param name=\"MaxFileCount\" value=\"100000\">\n"
       << "</object>\n"
       << "<script>upload.SetUploadSize(2147483647);</script>\n"
       << "</body></html>\n";
}

std::vector<std::string> DrevCommand(const Setup& setup, const std::vector<std::string>& files) {
  std::vector<std::string> argv{setup.drevhost, "run", setup.page, "--drop"};
  argv.insert(argv.end(), files.begin(), files.end());
  argv.insert(argv.end(), {"--eval", "upload.UploadFiles()"});
  return argv;
}

std::vector<std::string> CurlCommand(const Setup& setup, const std::vector<std::string>& files) {
  std::vector<std::string> argv{"curl", "-s", "-S", "-H", "Expect:", "-o", "-"};
  for (const std::string& file : files) argv.insert(argv.end(), {"-F", "ATTACH_FILES=@" + file});
  argv.push_back("http://" + setup.address + "/upload.php");
  return argv;
}

// The body the receiver counted must hold every file's bytes; drevhost must also say the upload
// answered true.
bool Arrived(const ChildUsage& usage, const Case& c, bool drev) {
  double body = drev::bench::ValueAfter(usage.output, drev ? "\\\"bodyBytes\\\": " : "\"bodyBytes\": ");
  bool whole = body >= static_cast<double>(c.fileBytes * static_cast<std::uint64_t>(c.files));
  return usage.exitStatus == 0 && whole && (!drev || usage.output.find("eval true") != std::string::npos);
}

// Instructions of one run under callgrind (its "Collected" line); -1 when it failed.
double Instructions(const Setup& setup, const std::vector<std::string>& command, const Case& c, bool drev) {
  std::string log = setup.data + "/callgrind.log";
  std::vector<std::string> argv{"valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", "--log-file=" + log};
  argv.insert(argv.end(), command.begin(), command.end());
  ChildUsage usage = drev::bench::RunChild(argv);
  if (!Arrived(usage, c, drev)) return -1;
  std::ifstream in(log);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return drev::bench::ValueAfter(text, "Collected : ");
}

bool Verdict(const char* goal, double value, double limit, const char* unit) {
  bool met = value <= limit;
  std::printf("%-58s %8.3f%s (goal <= %g%s): %s\n", goal, value, unit, limit, unit, met ? "met" : "not met");
  return met;
}

int RunCallgrind(const Setup& setup) {
  const std::vector<Case> cases = {{"64 MiB", 64 << 20, 1},  {"256 MiB", 256 << 20, 1}, {"10 files", 1024, 10},
                                   {"100 files", 1024, 100}, {"1000 files", 1024, 1000}};
  std::map<std::string, std::map<bool, double>> ir;
  std::printf("%-10s %16s %16s\n", "case", "drevhost Ir", "curl Ir");
  for (const Case& c : cases) {
    std::vector<std::string> files = FilesOf(setup, c);
    for (bool drev : {true, false}) {
      ir[c.name][drev] = Instructions(setup, drev ? DrevCommand(setup, files) : CurlCommand(setup, files), c, drev);
      if (ir[c.name][drev] < 0) {
        std::fprintf(stderr, "host-bench: %s failed under callgrind for %s\n", drev ? "drevhost" : "curl", c.name.c_str());
        return 1;
      }
    }
    std::printf("%-10s %16.0f %16.0f\n", c.name.c_str(), ir[c.name][true], ir[c.name][false]);
  }
  double drevPerMiB = (ir["256 MiB"][true] - ir["64 MiB"][true]) / 192;
  double curlPerMiB = (ir["256 MiB"][false] - ir["64 MiB"][false]) / 192;
  double rowAt100 = (ir["100 files"][true] - ir["10 files"][true]) / 90;
  double rowAt1000 = (ir["1000 files"][true] - ir["100 files"][true]) / 900;
  double curlRow = (ir["1000 files"][false] - ir["100 files"][false]) / 900;
  std::printf("\ninstructions per MiB: drevhost %.3f M, curl %.3f M\n", drevPerMiB / 1e6, curlPerMiB / 1e6);
  std::printf("instructions per row: drevhost 10-100 rows %.3f M, 100-1000 rows %.3f M; curl %.3f M\n\n",
              rowAt100 / 1e6, rowAt1000 / 1e6, curlRow / 1e6);
  bool met = Verdict("instructions per MiB, drevhost / curl", drevPerMiB / curlPerMiB, 2.0, "x");
  met = Verdict("instructions per row, 100-1000 rows / 10-100 rows", rowAt1000 / rowAt100, 1.25, "x") && met;
  return met ? 0 : 3;
}

int RunTimed(const Setup& setup, const drev::bench::DiscardReceiver& receiver, int repeat) {
  const std::vector<Case> cases = {{"1 KiB", 1024, 1},         {"1 MiB", 1 << 20, 1},      {"256 MiB", 256 << 20, 1},
                                   {"1 GiB", 1ull << 30, 1},   {"10 files", 1024, 10},     {"100 files", 1024, 100},
                                   {"1000 files", 1024, 1000}};
  std::map<std::string, std::map<bool, std::vector<Sample>>> samples;
  std::map<std::string, std::vector<std::string>> files;
  for (const Case& c : cases) files[c.name] = FilesOf(setup, c);
  // Round by round, every case once, drevhost and curl back to back (in alternating order).
  for (int round = 0; round < repeat; ++round) {
    for (const Case& c : cases) {
      for (int k = 0; k < 2; ++k) {
        bool drev = (k == 0) == (round % 2 == 0);
        const auto& list = files[c.name];
        ReadThrough(list);
        const double receiverBefore = receiver.CpuSeconds();
        ChildUsage usage = drev::bench::RunChild(drev ? DrevCommand(setup, list) : CurlCommand(setup, list));
        const double receiverCpu = receiver.CpuSeconds() - receiverBefore;
        if (!Arrived(usage, c, drev)) {
          std::fprintf(stderr, "host-bench: %s failed for %s: %s\n", drev ? "drevhost" : "curl", c.name.c_str(),
                       usage.output.substr(0, 400).c_str());
          return 1;
        }
        samples[c.name][drev].push_back({usage.wallSeconds, usage.cpuSeconds, usage.peakRssKiB, receiverCpu});
      }
    }
  }
  struct Medians {
    double wall, cpu, rssMiB, receiverCpu, bothCpu;
  };
  auto medians = [&](const std::string& name, bool drev) {
    std::vector<double> wall, cpu, rss, receiverCpu, bothCpu;
    for (const Sample& s : samples[name][drev]) {
      wall.push_back(s.wall);
      cpu.push_back(s.cpu);
      rss.push_back(static_cast<double>(s.rssKiB) / 1024);
      receiverCpu.push_back(s.receiverCpu);
      bothCpu.push_back(s.cpu + s.receiverCpu);
    }
    return Medians{Median(wall), Median(cpu), Median(rss), Median(receiverCpu), Median(bothCpu)};
  };
  std::printf("medians of %d interleaved runs each\n", repeat);
  std::printf("%-11s %9s %9s %9s %9s %8s %8s %9s %9s\n", "case", "drev s", "curl s", "drev cpu", "curl cpu", "wall x",
              "cpu x", "drev MiB", "curl MiB");
  std::map<std::string, std::pair<Medians, Medians>> m;
  for (const Case& c : cases) {
    Medians d = medians(c.name, true), k = medians(c.name, false);
    m[c.name] = {d, k};
    std::printf("%-11s %9.3f %9.3f %9.3f %9.3f %8.2f %8.2f %9.1f %9.1f\n", c.name.c_str(), d.wall, k.wall, d.cpu, k.cpu,
                d.wall / k.wall, k.cpu > 0 ? d.cpu / k.cpu : 0.0, d.rssMiB, k.rssMiB);
  }
  // On loopback the client's system calls also run much of the receiving end's TCP work (the
  // segments are taken in on the sending thread unless the receiver holds its socket just then),
  // so how a transfer's CPU splits between the two processes shifts with their timing: a client
  // that sends faster leaves more of it to the receiver. The receiver's share, and the sum, show
  // that split; the goals below stay on the client's own CPU.
  std::printf("\n%-11s %9s %9s %9s %9s %8s\n", "case", "drev rcv", "curl rcv", "drev+rcv", "curl+rcv", "both x");
  for (const Case& c : cases) {
    const auto& [d, k] = m[c.name];
    std::printf("%-11s %9.3f %9.3f %9.3f %9.3f %8.2f\n", c.name.c_str(), d.receiverCpu, k.receiverCpu, d.bothCpu,
                k.bothCpu, k.bothCpu > 0 ? d.bothCpu / k.bothCpu : 0.0);
  }
  // Per row: drevhost's and curl's CPU for each row added from 100 to 1,000. Whether that cost is
  // flat from 10 rows on is left to --callgrind: 90 rows' worth of CPU is within the clock's noise.
  double row1000 = (m["1000 files"].first.cpu - m["100 files"].first.cpu) / 900 * 1e3;
  double curlRow = (m["1000 files"].second.cpu - m["100 files"].second.cpu) / 900 * 1e3;
  std::printf("\nCPU per row, 100-1000 rows: drevhost %.3f ms, curl %.3f ms (flatness: see --callgrind)\n\n",
              row1000, curlRow);
  bool met = true;
  for (const char* name : {"256 MiB", "1 GiB"}) {
    const auto& [d, k] = m[name];
    met = Verdict((std::string(name) + " wall, drevhost / curl").c_str(), d.wall / k.wall, 1.0, "x") && met;
    met = Verdict((std::string(name) + " CPU, drevhost / curl").c_str(), d.cpu / std::max(k.cpu, 1e-3), 1.0, "x") && met;
  }
  met = Verdict("1 KiB wall, drevhost - curl", m["1 KiB"].first.wall - m["1 KiB"].second.wall, 0.05, " s") && met;
  met = Verdict("1000 files wall, drevhost / curl", m["1000 files"].first.wall / m["1000 files"].second.wall, 4.0, "x") && met;
  met = Verdict("peak memory, 1 GiB less 1 MiB", m["1 GiB"].first.rssMiB - m["1 MiB"].first.rssMiB, 8.0, " MiB") && met;
  return met ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  Setup setup;
  setup.data = drev::bench::ProgramFolder() + "/../bench-data";
  int repeat = 5;
  bool callgrind = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      setup.data = argv[++i];
    } else if (arg == "--repeat" && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--callgrind") {
      callgrind = true;
    } else {
      std::fprintf(stderr, "usage: host-bench [--data DIR] [--repeat N] [--callgrind]\n");
      return 2;
    }
  }
  fs::create_directories(setup.data);
  setup.data = fs::canonical(setup.data).string();
  const std::string bin = drev::bench::ProgramFolder();
  setup.drevhost = bin + "/drevhost";
  setup.page = setup.data + "/host-bench.html";
  // A registry of the benchmark's own, which drevhost and its children read.
  setenv("DREV_REGISTRY", (setup.data + "/host-registry.json").c_str(), 1);
  if (drev::bench::RunChild({setup.drevhost, "regsvr", bin + "/zelk.ocx"}).exitStatus != 0) {
    std::fprintf(stderr, "host-bench: registering %s/zelk.ocx failed\n", bin.c_str());
    return 1;
  }
  drev::bench::DiscardReceiver receiver(bin + "/upload-receiver");
  setup.address = receiver.Address();
  WritePage(setup);
  return callgrind ? RunCallgrind(setup) : RunTimed(setup, receiver, repeat);
}
