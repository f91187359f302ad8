// Test support: a tiny TCP server on 127.0.0.1 whose behaviour per connection is a test's function.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace inettest {

// Accepts `connections` connections one after another on an ephemeral port and runs `script` on
// each connected socket (the socket is closed after the script returns). The destructor waits for the
// scripts to end, so a script that waits for the client must be released by closing the client's handles.
class ScriptedServer {
 public:
  using Script = std::function<void(int fd)>;
  explicit ScriptedServer(Script script, int connections = 1);
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int Port() const { return port_; }
  // Waits until every script has ended; what the scripts recorded may be read after this.
  void Join();
  // Connections accepted so far.
  int Accepted() const { return accepted_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> accepted_{0};
  std::thread thread_;
};

// A request as the server read it: the head (through the blank line) and the body.
struct ReadRequest {
  std::string head;
  std::string body;
  bool complete = false;  // the body reached its Content-Length
};

// Reads one request: the head, then as many body bytes as its Content-Length says (or until the
// client closes). Waits at most 20 s for each piece.
ReadRequest ReadOneRequest(int fd);

// The value of a header field in a head (first one, name compared without case); "" when missing.
std::string FieldOf(const std::string& head, const std::string& name);

void SendAll(int fd, std::string_view bytes);

// Reads until the peer closes or 20 s pass.
std::string ReadUntilClosed(int fd);

// Bytes waiting to be read on the socket right now.
int PendingBytes(int fd);

// A port on 127.0.0.1 that nothing listens on.
int UnusedPort();

}  // namespace inettest
