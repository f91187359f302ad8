// Test support: starting and stopping upload-receiver processes.
#include "tests/receiver/receiver_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace drevtest {
namespace {

bool Accepts(const std::string& address, int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) == 0;
  close(fd);
  return ok;
}

std::filesystem::path MakeTempRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "drev-receiver-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

constexpr const char* kProgram = DREV_BINARY_DIR "/bin/upload-receiver";

// Starts the program with its output (both streams) in `log`. Everything the child needs is made
// before fork: a threaded parent's child may only change its user and exec.
pid_t Spawn(std::vector<std::string> args, const std::string& log, std::optional<uid_t> runAs) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    if (runAs && (setgid(*runAs) != 0 || setuid(*runAs) != 0)) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace

std::string UniqueLoopbackAddress(unsigned char base) {
  static std::atomic<unsigned> counter{0};
  unsigned n = counter++;
  unsigned x = static_cast<unsigned>(getpid()) % 251 + 1;
  return "127." + std::to_string(base) + "." + std::to_string(x) + "." + std::to_string(n % 250 + 2);
}

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex += kDigits[c >> 4];
    hex += kDigits[c & 0xF];
  }
  return hex;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ReceiverProcess::ReceiverProcess(ReceiverSetup setup) : root_(MakeTempRoot()) {
  std::filesystem::create_directories(StoreDir());
  std::filesystem::create_directories(RawDir());
  // An address may still be held by a receiver a crashed run left behind: then take the next one.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (Launch(setup)) return;
  }
  std::filesystem::remove_all(root_);
  throw std::runtime_error("upload-receiver did not start");
}

bool ReceiverProcess::Launch(const ReceiverSetup& setup) {
  address_ = UniqueLoopbackAddress(setup.addressBase);
  std::vector<std::string> args{kProgram, "--listen", address_, "--dir", StoreDir().string()};
  if (setup.saveRaw) {
    args.push_back("--save-raw");
    args.push_back(RawDir().string());
  }
  args.insert(args.end(), setup.options.begin(), setup.options.end());
  pid_ = Spawn(std::move(args), (root_ / "output.txt").string(), std::nullopt);
  for (int tick = 0; tick < 500; ++tick) {
    if (Accepts(address_, Port())) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  return false;
}

ReceiverProcess::~ReceiverProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

ReceiverExit RunReceiverToEnd(const std::vector<std::string>& args, std::optional<uid_t> runAs,
                              std::chrono::milliseconds bound) {
  std::filesystem::path root = MakeTempRoot();
  std::vector<std::string> command{kProgram};
  command.insert(command.end(), args.begin(), args.end());
  const std::string log = (root / "output.txt").string();
  ReceiverExit result;
  pid_t pid = Spawn(std::move(command), log, runAs);
  const auto deadline = std::chrono::steady_clock::now() + bound;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      pid = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  result.ended = pid > 0 && WIFEXITED(status);
  if (result.ended) result.status = WEXITSTATUS(status);
  result.output = ReadFileBytes(log);
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
  return result;
}

std::string ReceiverProcess::Output() const { return ReadFileBytes(root_ / "output.txt"); }

}  // namespace drevtest
