// ReplyPeer: a loopback server that answers each connection with bytes it is handed, so that the
// HTTP client reads a reply exactly as a server would send it, through a real socket.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace drev::fuzz {

// One connection at a time. Serve arms the peer; the client then connects and reads; Finish ends the
// exchange. The peer writes the reply from its own thread (so a reply larger than the socket buffers
// still flows while the client reads), then ends its side of the stream (the client sees the close),
// never reads the request, and drops the connection with a reset at Finish, so that no connection
// is left waiting in TIME_WAIT however many exchanges run.
class ReplyPeer {
 public:
  // Listens on `address` (numeric IPv4) at a port the system picks. Aborts when it cannot.
  explicit ReplyPeer(const char* address);
  ~ReplyPeer();
  ReplyPeer(const ReplyPeer&) = delete;
  ReplyPeer& operator=(const ReplyPeer&) = delete;

  std::uint16_t Port() const { return port_; }

  // The next connection receives `reply`, then the end of the stream.
  void Serve(std::string reply);
  // The client is done (or never came): the connection is dropped; returns once the peer is idle.
  void Finish();

 private:
  void Loop();
  void Exchange(const std::string& reply);
  bool WaitFor(int fd, short events);  // false when Finish came first

  int listen_ = -1;
  int wake_ = -1;  // an eventfd: Finish was called
  std::uint16_t port_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool armed_ = false;
  bool busy_ = false;
  bool stopping_ = false;
  std::string reply_;
  std::thread thread_;
};

}  // namespace drev::fuzz
