// Describing listen failures: the system's reason for a bind that fails, and what to do about it.
#include "receiver/listen_error.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace receiver {

std::string ListenErrorText(int error, int port) {
  std::string reason = std::strerror(error);
  switch (error) {
    case EADDRINUSE:
      return reason + ": another server already listens there (stop it, or choose another address)";
    case EADDRNOTAVAIL:
      return reason + ": it is not an address of this machine (use a local one, such as 127.0.0.5)";
    case EACCES:
      if (port < 1024) return reason + ": ports below 1024 need root (or the capability CAP_NET_BIND_SERVICE)";
      return reason;
    default:
      return reason;
  }
}

std::string ExplainListenFailure(const std::string& host, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0)
    return std::string(gai_strerror(rc)) + ": not an address, nor a name this machine can resolve";
  int error = 0;
  for (addrinfo* at = found; at != nullptr; at = at->ai_next) {
    int fd = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
    if (fd < 0) {
      error = errno;
      continue;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const bool listens = bind(fd, at->ai_addr, at->ai_addrlen) == 0 && listen(fd, 1) == 0;
    if (!listens) error = errno;
    close(fd);
    if (listens) {
      error = 0;
      break;
    }
  }
  freeaddrinfo(found);
  if (error == 0) return "the server library could not bind it (it is free now; try again)";
  return ListenErrorText(error, port);
}

}  // namespace receiver
