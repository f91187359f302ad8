// Test support: an upload-receiver process on a loopback address of its own, stopped at scope end.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace drevtest {

// A loopback address (127.base.x.y) not handed out before in this process; x follows from the process
// id, so test programs that pick different `base` bytes, or run with different ids, do not collide.
std::string UniqueLoopbackAddress(unsigned char base);

struct ReceiverSetup {
  std::vector<std::string> options;  // appended to --listen ADDRESS --dir DIR
  bool saveRaw = false;              // adds --save-raw RawDir()
  unsigned char addressBase = 120;   // see UniqueLoopbackAddress
};

// Starts build/bin/upload-receiver on a fresh loopback address, port 80, storing into a fresh
// temporary folder. Throws std::runtime_error when it does not accept connections within 10 s.
// The destructor stops the process and removes the folder.
class ReceiverProcess {
 public:
  explicit ReceiverProcess(ReceiverSetup setup = {});
  ~ReceiverProcess();
  ReceiverProcess(const ReceiverProcess&) = delete;
  ReceiverProcess& operator=(const ReceiverProcess&) = delete;

  const std::string& Address() const { return address_; }
  int Port() const { return 80; }
  std::filesystem::path StoreDir() const { return root_ / "store"; }
  std::filesystem::path RawDir() const { return root_ / "raw"; }
  // What the receiver printed so far (one line per request after "listening on ...").
  std::string Output() const;

 private:
  bool Launch(const ReceiverSetup& setup);

  std::filesystem::path root_;
  std::string address_;
  pid_t pid_ = -1;
};

// How a run of upload-receiver that should end by itself (a refusal) ended.
struct ReceiverExit {
  bool ended = false;   // it exited within the bound; false: it was still running and was killed
  int status = -1;      // its exit status, when it ended
  std::string output;   // its standard output and standard error, in the order written
};

// Runs build/bin/upload-receiver with `args` (after the program name), as the user `runAs` when
// given, and waits at most `bound` for it to end.
ReceiverExit RunReceiverToEnd(const std::vector<std::string>& args, std::optional<uid_t> runAs = std::nullopt,
                              std::chrono::milliseconds bound = std::chrono::seconds(10));

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Bytes as lower-case hex, two digits a byte: how the receiver's "...Hex" members give what it received.
std::string Hex(const std::string& bytes);

}  // namespace drevtest
