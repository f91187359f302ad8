// Test support: scripted TCP servers for the HTTP client's wire and fault tests.
#include "tests/platform/inet/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace inettest {
namespace {

int Listen(int& port, int backlog) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, backlog);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

bool WaitReadable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

}  // namespace

ScriptedServer::ScriptedServer(Script script, int connections) {
  listener_ = Listen(port_, 16);
  thread_ = std::thread([this, script = std::move(script), connections] {
    for (int i = 0; i < connections; ++i) {
      if (!WaitReadable(listener_, 20000)) return;
      int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) return;
      ++accepted_;
      script(fd);
      close(fd);
    }
  });
}

void ScriptedServer::Join() {
  if (thread_.joinable()) thread_.join();
}

ScriptedServer::~ScriptedServer() {
  Join();
  close(listener_);
}

ReadRequest ReadOneRequest(int fd) {
  ReadRequest request;
  std::string data;
  char buffer[65536];
  std::size_t headEnd = std::string::npos;
  while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
    if (!WaitReadable(fd, 20000)) return request;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return request;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  request.head = data.substr(0, headEnd + 4);
  request.body = data.substr(headEnd + 4);
  std::string length = FieldOf(request.head, "Content-Length");
  std::size_t want = length.empty() ? 0 : std::strtoull(length.c_str(), nullptr, 10);
  while (request.body.size() < want) {
    if (!WaitReadable(fd, 20000)) return request;
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) return request;
    request.body.append(buffer, static_cast<std::size_t>(n));
  }
  request.complete = true;
  return request;
}

std::string FieldOf(const std::string& head, const std::string& name) {
  std::size_t at = head.find("\r\n");
  while (at != std::string::npos && at + 2 < head.size()) {
    std::size_t end = head.find("\r\n", at + 2);
    std::string line = head.substr(at + 2, end - at - 2);
    if (line.size() > name.size() && line[name.size()] == ':' && strncasecmp(line.c_str(), name.c_str(), name.size()) == 0) {
      std::size_t value = line.find_first_not_of(' ', name.size() + 1);
      return value == std::string::npos ? "" : line.substr(value);
    }
    at = end;
  }
  return "";
}

void SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::string ReadUntilClosed(int fd) {
  std::string data;
  char buffer[65536];
  while (WaitReadable(fd, 20000)) {
    ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  return data;
}

int PendingBytes(int fd) {
  int bytes = 0;
  ioctl(fd, FIONREAD, &bytes);
  return bytes;
}

int UnusedPort() {
  int port = 0;
  int fd = Listen(port, 1);
  close(fd);
  return port;
}

}  // namespace inettest
