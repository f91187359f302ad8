// Name resolution with a time limit: getaddrinfo on a helper thread that the caller stops waiting for.
#include "platform/inet/resolve.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/inet/internet_error.h"

namespace plat::inet::detail {
namespace {

bool IsNumeric(const std::string& text) {
  unsigned char scratch[sizeof(in6_addr)];
  return inet_pton(AF_INET, text.c_str(), scratch) == 1 || inet_pton(AF_INET6, text.c_str(), scratch) == 1;
}

// Letters, digits, '-', '.', '_' (seen in real names) and ':' for IPv6 texts.
bool LooksLikeHostName(const std::string& host) {
  if (host.empty() || host.size() > 253) return false;
  for (unsigned char c : host) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
              c == '.' || c == '_' || c == ':';
    if (!ok) return false;
  }
  return true;
}

// What the lookup thread and the waiting caller share; whichever finishes last frees it.
struct Lookup {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  Resolved result;
};

void RunLookup(const std::shared_ptr<Lookup>& lookup, const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  Resolved result;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
    result.error = ERROR_INTERNET_NAME_NOT_RESOLVED;
  } else {
    for (addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
      char text[INET6_ADDRSTRLEN] = {};
      const void* raw = nullptr;
      if (entry->ai_family == AF_INET) raw = &reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr;
      if (entry->ai_family == AF_INET6) raw = &reinterpret_cast<sockaddr_in6*>(entry->ai_addr)->sin6_addr;
      if (raw != nullptr && inet_ntop(entry->ai_family, raw, text, sizeof text) != nullptr) {
        result.addresses.emplace_back(text);
      }
    }
    freeaddrinfo(list);
    if (result.addresses.empty()) result.error = ERROR_INTERNET_NAME_NOT_RESOLVED;
  }
  std::lock_guard lock(lookup->mutex);
  lookup->result = std::move(result);
  lookup->finished = true;
  lookup->done.notify_all();
}

}  // namespace

Resolved ResolveHost(const std::string& host, DWORD timeoutMs) {
  std::string bare = host;
  if (bare.size() >= 2 && bare.front() == '[' && bare.back() == ']') bare = bare.substr(1, bare.size() - 2);
  if (IsNumeric(bare)) return Resolved{0, {bare}};
  if (!LooksLikeHostName(bare)) return Resolved{ERROR_INTERNET_NAME_NOT_RESOLVED, {}};

  auto lookup = std::make_shared<Lookup>();
  std::thread(RunLookup, lookup, bare).detach();
  std::unique_lock lock(lookup->mutex);
  if (!lookup->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return lookup->finished; })) {
    return Resolved{ERROR_INTERNET_NAME_NOT_RESOLVED, {}};
  }
  return lookup->result;
}

}  // namespace plat::inet::detail
