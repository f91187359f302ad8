// UploadServer: one connection at a time, every wait bounded, connections reset at the end so that
// none lingers in TIME_WAIT.
#include "fuzz/upload_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace drev::fuzz {
namespace {

constexpr int kWaitMs = 5'000;
constexpr std::size_t kMaxHead = 64 * 1024;

bool Readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

// The Content-Length of a request head; 0 when it has none.
std::size_t DeclaredLength(std::string_view head) {
  std::size_t at = 0;
  while ((at = head.find("\r\n", at)) != std::string_view::npos) {
    at += 2;
    if (head.size() - at > 15 && strncasecmp(head.data() + at, "Content-Length:", 15) == 0) {
      return static_cast<std::size_t>(std::strtoull(head.data() + at + 15, nullptr, 10));
    }
  }
  return 0;
}

}  // namespace

UploadServer::UploadServer(std::string address) : address_(std::move(address)) {
  listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int on = 1;
  setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in where{};
  where.sin_family = AF_INET;
  where.sin_port = htons(80);
  if (listen_ < 0 || inet_pton(AF_INET, address_.c_str(), &where.sin_addr) != 1 ||
      bind(listen_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || listen(listen_, 8) != 0) {
    std::perror(("upload server on " + address_ + ":80").c_str());
    std::abort();
  }
  thread_ = std::thread([this] { Loop(); });
}

UploadServer::~UploadServer() {
  stopping_ = true;
  thread_.join();
  close(listen_);
}

void UploadServer::Loop() {
  while (!stopping_) {
    if (!Readable(listen_, 50)) continue;
    int connection = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    Answer(connection);
    linger reset{1, 0};
    setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(connection);
  }
}

void UploadServer::Answer(int connection) {
  std::string head;
  char buffer[16 * 1024];
  std::size_t end = std::string::npos;
  while (end == std::string::npos && head.size() < kMaxHead && Readable(connection, kWaitMs)) {
    ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    head.append(buffer, static_cast<std::size_t>(n));
    end = head.find("\r\n\r\n");
  }
  if (end == std::string::npos) return;
  std::size_t body = head.size() - (end + 4);
  std::size_t declared = DeclaredLength(std::string_view(head).substr(0, end + 2));
  while (body < declared && Readable(connection, kWaitMs)) {
    ssize_t n = recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) return;
    body += static_cast<std::size_t>(n);
  }
  int status = status_;
  std::string reply = "HTTP/1.0 " + std::to_string(status) + " Fuzz\r\nContent-Type: text/html\r\nContent-Length: 9\r\n\r\n" +
                      (status == 200 ? "upload ok" : "not saved");
  send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
  shutdown(connection, SHUT_WR);
  // Until the client has read the answer and closed its side.
  while (Readable(connection, kWaitMs) && recv(connection, buffer, sizeof buffer, 0) > 0) {
  }
}

}  // namespace drev::fuzz
