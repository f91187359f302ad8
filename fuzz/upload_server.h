// UploadServer: the loopback server the dispatch target's uploads go to. It reads each request to
// its declared length and answers with the status it is set to.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace drev::fuzz {

class UploadServer {
 public:
  // Listens on port 80 of `address` (a loopback address; binding port 80 needs root). Aborts when
  // it cannot.
  explicit UploadServer(std::string address);
  ~UploadServer();
  UploadServer(const UploadServer&) = delete;
  UploadServer& operator=(const UploadServer&) = delete;

  const std::string& Address() const { return address_; }
  // The status of the following answers (200 at first).
  void SetStatus(int status) { status_ = status; }

 private:
  void Loop();
  void Answer(int connection);

  std::string address_;
  int listen_ = -1;
  std::atomic<int> status_{200};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace drev::fuzz
