// The recording relay: one thread per connection copying bytes both ways with poll().
#include "receiver/raw_tap.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "receiver/listen_error.h"

namespace receiver {
namespace {

// A socket address for a numeric IPv4 or IPv6 text.
bool MakeAddress(const std::string& text, int port, sockaddr_storage& out, socklen_t& length) {
  out = {};
  auto& v4 = reinterpret_cast<sockaddr_in&>(out);
  if (inet_pton(AF_INET, text.c_str(), &v4.sin_addr) == 1) {
    v4.sin_family = AF_INET;
    v4.sin_port = htons(static_cast<uint16_t>(port));
    length = sizeof v4;
    return true;
  }
  auto& v6 = reinterpret_cast<sockaddr_in6&>(out);
  if (inet_pton(AF_INET6, text.c_str(), &v6.sin6_addr) == 1) {
    v6.sin6_family = AF_INET6;
    v6.sin6_port = htons(static_cast<uint16_t>(port));
    length = sizeof v6;
    return true;
  }
  return false;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == ENOTSOCK) n = write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

int LocalPort(int fd) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
  return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
}

// Closes a socket so that the peer sees a reset (the way the inner server's failure looked).
void Reset(int fd) {
  linger hard{1, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  close(fd);
}

// Copies what one side sent to the other (and to `record`, when not -1). A side that closes has its
// close passed on; false when a side failed, true when the exchange ended in order.
bool Pump(int client, int inner, int record) {
  bool clientOpen = true, innerOpen = true;
  char buffer[64 * 1024];
  while (clientOpen || innerOpen) {
    pollfd fds[2] = {{client, static_cast<short>(clientOpen ? POLLIN : 0), 0},
                     {inner, static_cast<short>(innerOpen ? POLLIN : 0), 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (clientOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n < 0 && errno != EINTR) return false;
      if (n > 0 && record >= 0) WriteAll(record, buffer, static_cast<std::size_t>(n));
      if (n > 0 && !WriteAll(inner, buffer, static_cast<std::size_t>(n))) return false;
      if (n == 0) {
        clientOpen = false;
        shutdown(inner, SHUT_WR);
      }
    }
    if (innerOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
      ssize_t n = recv(inner, buffer, sizeof buffer, 0);
      if (n < 0 && errno != EINTR) return false;
      if (n > 0 && !WriteAll(client, buffer, static_cast<std::size_t>(n))) return false;
      if (n == 0) {
        // The exchange is over once the server has answered and closed; the client's side may
        // linger half-open, so stop here instead of waiting for it.
        shutdown(client, SHUT_WR);
        return true;
      }
    }
  }
  return true;
}

}  // namespace

RawTap::RawTap(std::string address, int port, int innerPort, std::filesystem::path dir)
    : address_(std::move(address)), port_(port), innerPort_(innerPort), dir_(std::move(dir)) {}

bool RawTap::Start(std::string& error) {
  sockaddr_storage address{};
  socklen_t length = 0;
  if (!MakeAddress(address_, port_, address, length)) {
    error = "not a numeric address: " + address_;
    return false;
  }
  int listener = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener, 64) != 0) {
    error = "cannot listen on " + address_ + ":" + std::to_string(port_) + ": " + ListenErrorText(errno, port_);
    if (listener >= 0) close(listener);
    return false;
  }
  std::thread([this, listener] { AcceptLoop(listener); }).detach();
  return true;
}

void RawTap::AcceptLoop(int listener) {
  for (unsigned number = 1;; ++number) {
    int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    std::thread([this, client, number] { Relay(client, number); }).detach();
  }
}

std::string RawTap::RawFileFor(int innerPeerPort) {
  std::lock_guard lock(mutex_);
  auto it = files_.find(innerPeerPort);
  return it == files_.end() ? std::string() : it->second;
}

void RawTap::Relay(int client, unsigned number) {
  sockaddr_storage address{};
  socklen_t length = 0;
  MakeAddress(address_, innerPort_, address, length);
  int inner = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (inner < 0 || connect(inner, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    if (inner >= 0) close(inner);
    Reset(client);
    return;
  }
  char name[32];
  std::snprintf(name, sizeof name, "%06u.raw", number);
  int record = open((dir_ / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int innerPort = LocalPort(inner);
  {
    std::lock_guard lock(mutex_);
    files_[innerPort] = name;
  }

  bool broken = !Pump(client, inner, record);
  if (record >= 0) close(record);
  {
    std::lock_guard lock(mutex_);
    files_.erase(innerPort);
  }
  close(inner);
  if (broken) {
    Reset(client);
  } else {
    close(client);
  }
}

}  // namespace receiver
