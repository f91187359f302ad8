// Test support: a blocking raw HTTP exchange with a deadline.
#include "tests/receiver/tcp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace drevtest {

Exchanged TcpExchange(const std::string& address, int port, std::string_view request,
                      std::chrono::milliseconds limit) {
  Exchanged result;
  auto deadline = std::chrono::steady_clock::now() + limit;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &target.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
    close(fd);
    return result;
  }
  result.connected = true;
  std::size_t sent = 0;
  char buffer[16384];
  while (std::chrono::steady_clock::now() < deadline) {
    short events = POLLIN | (sent < request.size() ? POLLOUT : 0);
    pollfd p{fd, events, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    if (p.revents & POLLIN || p.revents & (POLLERR | POLLHUP)) {
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n > 0) {
        result.received.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      result.reset = n < 0;
      break;
    }
    if (p.revents & POLLOUT) {
      ssize_t n = send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
      if (n < 0) {
        result.reset = true;
        break;
      }
      sent += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  return result;
}

HttpReply ParseHttpReply(const std::string& raw) {
  HttpReply reply;
  std::size_t headEnd = raw.find("\r\n\r\n");
  if (headEnd == std::string::npos || raw.compare(0, 5, "HTTP/") != 0) return reply;
  std::size_t space = raw.find(' ');
  reply.status = std::atoi(raw.c_str() + space + 1);
  std::size_t lineStart = raw.find("\r\n") + 2;
  while (lineStart < headEnd) {
    std::size_t lineEnd = raw.find("\r\n", lineStart);
    std::string line = raw.substr(lineStart, lineEnd - lineStart);
    std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::string name = line.substr(0, colon);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      std::size_t valueStart = line.find_first_not_of(' ', colon + 1);
      reply.fields[name] = valueStart == std::string::npos ? "" : line.substr(valueStart);
    }
    lineStart = lineEnd + 2;
  }
  reply.body = raw.substr(headEnd + 4);
  reply.valid = true;
  return reply;
}

std::string ReferenceCrc32Hex(std::string_view bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  char text[9];
  std::snprintf(text, sizeof text, "%08x", crc ^ 0xFFFFFFFFu);
  return text;
}

}  // namespace drevtest
