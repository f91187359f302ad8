// Benchmark support: measured child processes, the discard receiver, the data files.
#include "bench/bench_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace drev::bench {
namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool Accepts(const std::string& address) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(80);
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  close(fd);
  return ok;
}

std::vector<char*> ArgvOf(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

ChildUsage RunChild(const std::vector<std::string>& command) {
  std::vector<std::string> args = command;
  std::vector<char*> argv = ArgvOf(args);
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  ChildUsage usage;
  double start = Now();
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) usage.output.append(buffer, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  rusage used{};
  wait4(pid, &status, 0, &used);
  usage.wallSeconds = Now() - start;
  usage.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  usage.cpuSeconds = static_cast<double>(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
                     static_cast<double>(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
  usage.peakRssKiB = used.ru_maxrss;
  return usage;
}

DiscardReceiver::DiscardReceiver(const std::string& program) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 5 && pid_ < 0; ++attempt) {
    address_ = "127.127." + std::to_string(getpid() % 251 + 1) + "." + std::to_string(counter++ % 250 + 2);
    std::vector<std::string> args{program, "--listen", address_, "--discard"};
    std::vector<char*> argv = ArgvOf(args);
    pid_t pid = fork();
    if (pid == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      execv(argv[0], argv.data());
      _exit(127);
    }
    for (int tick = 0; tick < 500; ++tick) {
      if (Accepts(address_)) {
        pid_ = pid;
        break;
      }
      if (waitpid(pid, nullptr, WNOHANG) == pid) break;  // the address was taken: try the next one
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (pid_ < 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
  }
  if (pid_ < 0) throw std::runtime_error("upload-receiver did not start (" + program + ")");
}

DiscardReceiver::~DiscardReceiver() {
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

void ReadThrough(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string chunk(1 << 20, '\0');
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
  }
}

double DiscardReceiver::CpuSeconds() const {
  // Each thread's schedstat starts with the nanoseconds it has run. The receiver's threads live as
  // long as it does, so their sum only grows.
  double seconds = 0;
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/task", error)) {
    std::ifstream in(task.path() / "schedstat");
    unsigned long long ns = 0;
    if (in >> ns) seconds += static_cast<double>(ns) / 1e9;
  }
  return seconds;
}

void EnsureDataFile(const std::string& path, std::uint64_t size) {
  std::error_code error;
  if (std::filesystem::file_size(path, error) == size && !error) {
    ReadThrough(path);
    return;
  }
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::string chunk(1 << 20, '\0');
  for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>((i * 131 + i / 977) & 0xFF);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::uint64_t left = size; left > 0;) {
    std::size_t piece = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
    out.write(chunk.data(), static_cast<std::streamsize>(piece));
    left -= piece;
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ProgramFolder() {
  return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

bool ParseOptions(int argc, char** argv, const char* program, unsigned maxMiB, Options& options) {
  options.data = ProgramFolder() + "/../bench-data";
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc) {
      options.data = argv[++i];
    } else if (arg == "--repeat" && i + 1 < argc) {
      options.repeat = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--sizes" && i + 1 < argc) {
      options.sizesMiB.clear();
      std::stringstream list(argv[++i]);
      for (std::string item; std::getline(list, item, ',');) options.sizesMiB.push_back(static_cast<unsigned>(std::atoi(item.c_str())));
    } else {
      std::fprintf(stderr, "usage: %s [--data DIR] [--sizes MiB,...] [--repeat N]\n", program);
      return false;
    }
  }
  for (unsigned size : options.sizesMiB) {
    if (size == 0 || size >= maxMiB) {
      std::fprintf(stderr, "%s: sizes are 1 to %u MiB\n", program, maxMiB - 1);
      return false;
    }
  }
  return true;
}

std::string SizeName(unsigned mib) {
  return mib >= 1024 && mib % 1024 == 0 ? std::to_string(mib / 1024) + " GiB" : std::to_string(mib) + " MiB";
}

double ValueAfter(const std::string& text, const std::string& key) {
  std::size_t at = text.rfind(key);
  return at == std::string::npos ? -1 : std::atof(text.c_str() + at + key.size());
}

BestRun BestOf(const char* program, const std::string& client, unsigned sizeMiB, int repeat,
               const std::function<bool(ChildUsage& usage, double& seconds)>& runOnce) {
  BestRun best;
  for (int run = 0; run < repeat; ++run) {
    ChildUsage usage;
    double seconds = 0;
    if (!runOnce(usage, seconds)) {
      std::fprintf(stderr, "%s: %s failed at %u MiB: %s\n", program, client.c_str(), sizeMiB, usage.output.c_str());
      return BestRun{};
    }
    if (!best.ok || seconds < best.seconds) {
      best.seconds = seconds;
      best.cpuSeconds = usage.cpuSeconds;
      best.output = usage.output;
    }
    best.peakRssKiB = std::max(best.peakRssKiB, usage.peakRssKiB);
    best.ok = true;
  }
  return best;
}

void ForEachSize(const Options& options, const std::function<void(unsigned mib, const std::string& path)>& each) {
  for (unsigned mib : options.sizesMiB) {
    std::string path = options.data + "/upload-" + std::to_string(mib) + "MiB.bin";
    EnsureDataFile(path, std::uint64_t{mib} << 20);
    each(mib, path);
  }
}

void PrintHeading() { std::printf("%-7s %-9s %10s %12s %14s\n", "size", "client", "MB/s", "CPU s/GiB", "peak RSS MiB"); }

void PrintRow(unsigned mib, const char* client, bool ok, double seconds, double cpuSeconds, long peakRssKiB) {
  double bytes = static_cast<double>(std::uint64_t{mib} << 20);
  std::printf("%-7s %-9s %10.1f %12.3f %14.1f\n", SizeName(mib).c_str(), client,
              ok && seconds > 0 ? bytes / seconds / 1e6 : 0.0, ok ? cpuSeconds * 1024 / mib : 0.0,
              static_cast<double>(peakRssKiB) / 1024);
  std::fflush(stdout);
}

}  // namespace drev::bench
