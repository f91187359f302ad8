// Resetting a connection: the server library does not hand out its sockets, so the socket is found
// among the process's descriptors by its two addresses.
#include "receiver/connection_drop.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>

namespace receiver {
namespace {

bool AddressIs(const sockaddr_storage& address, const std::string& text, int port) {
  char buffer[INET6_ADDRSTRLEN] = {};
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, buffer, sizeof buffer);
    return ntohs(v4.sin_port) == port && text == buffer;
  }
  if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, buffer, sizeof buffer);
    return ntohs(v6.sin6_port) == port && text == buffer;
  }
  return false;
}

bool Matches(int fd, const std::string& localAddress, int localPort, const std::string& peerAddress, int peerPort) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) return false;
  sockaddr_storage local{}, peer{};
  socklen_t localLength = sizeof local, peerLength = sizeof peer;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0) return false;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) return false;
  return AddressIs(local, localAddress, localPort) && AddressIs(peer, peerAddress, peerPort);
}

}  // namespace

bool ResetConnection(const std::string& localAddress, int localPort, const std::string& peerAddress, int peerPort) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("/proc/self/fd"), closedir);
  if (!dir) return false;
  while (dirent* entry = readdir(dir.get())) {
    char* end = nullptr;
    long fd = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    if (!Matches(static_cast<int>(fd), localAddress, localPort, peerAddress, peerPort)) continue;
    // Linger 0 makes the library's eventual close send a reset; shutting down now stops both
    // directions at once, so no answer goes out before that.
    linger hard{1, 0};
    setsockopt(static_cast<int>(fd), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    shutdown(static_cast<int>(fd), SHUT_RDWR);
    return true;
  }
  return false;
}

}  // namespace receiver
