// ReplyPeer: accept, write, end the stream, wait for the client, reset.
#include "fuzz/reply_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace drev::fuzz {
namespace {

[[noreturn]] void Die(const char* what) {
  std::perror(what);
  std::abort();
}

// How long the peer waits for the client at any step before it gives the exchange up.
constexpr int kStepMs = 10'000;

}  // namespace

ReplyPeer::ReplyPeer(const char* address) {
  listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_ < 0) Die("reply peer: socket");
  int on = 1;
  setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  if (inet_pton(AF_INET, address, &where.sin_addr) != 1) Die("reply peer: address");
  if (bind(listen_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) Die("reply peer: bind");
  if (listen(listen_, 4) != 0) Die("reply peer: listen");
  socklen_t length = sizeof where;
  getsockname(listen_, reinterpret_cast<sockaddr*>(&where), &length);
  port_ = ntohs(where.sin_port);
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) Die("reply peer: eventfd");
  thread_ = std::thread([this] { Loop(); });
}

ReplyPeer::~ReplyPeer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  std::uint64_t one = 1;
  (void)!write(wake_, &one, sizeof one);
  thread_.join();
  close(listen_);
  close(wake_);
}

void ReplyPeer::Serve(std::string reply) {
  std::lock_guard lock(mutex_);
  reply_ = std::move(reply);
  armed_ = true;
  busy_ = true;
  changed_.notify_all();
}

void ReplyPeer::Finish() {
  std::uint64_t one = 1;
  (void)!write(wake_, &one, sizeof one);
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  std::uint64_t drained = 0;
  (void)!read(wake_, &drained, sizeof drained);
}

bool ReplyPeer::WaitFor(int fd, short events) {
  pollfd fds[2] = {{fd, events, 0}, {wake_, POLLIN, 0}};
  if (poll(fds, 2, kStepMs) <= 0) return false;
  return (fds[1].revents & POLLIN) == 0 && fds[0].revents != 0;
}

void ReplyPeer::Exchange(const std::string& reply) {
  if (!WaitFor(listen_, POLLIN)) return;
  int connection = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (connection < 0) return;
  std::size_t sent = 0;
  while (sent < reply.size() && WaitFor(connection, POLLOUT)) {
    ssize_t n = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
  }
  shutdown(connection, SHUT_WR);
  // Keep the connection until the client has read what it wanted; a close now, with the request
  // unread, would reset it under the client's feet.
  pollfd wake{wake_, POLLIN, 0};
  poll(&wake, 1, kStepMs);
  linger reset{1, 0};
  setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
  close(connection);
}

void ReplyPeer::Loop() {
  for (;;) {
    std::string reply;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return armed_ || stopping_; });
      if (stopping_) return;
      armed_ = false;
      reply = std::move(reply_);
    }
    Exchange(reply);
    // Finish may have been called before the exchange even started: wait for it before going idle.
    pollfd wake{wake_, POLLIN, 0};
    poll(&wake, 1, kStepMs);
    {
      std::lock_guard lock(mutex_);
      busy_ = false;
    }
    changed_.notify_all();
  }
}

}  // namespace drev::fuzz
