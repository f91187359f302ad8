// Test support: one raw HTTP exchange over TCP, and a reply taken apart.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <string_view>

namespace drevtest {

// Connects, sends `request` whole, then reads until the server closes the connection or `limit`
// passes. `reset` tells whether the connection ended with an error (a reset) instead of a close.
struct Exchanged {
  bool connected = false;
  bool reset = false;
  std::string received;
};
Exchanged TcpExchange(const std::string& address, int port, std::string_view request,
                      std::chrono::milliseconds limit = std::chrono::seconds(30));

struct HttpReply {
  bool valid = false;
  int status = 0;
  std::map<std::string, std::string> fields;  // names in lower case
  std::string body;                           // everything after the blank line
};
HttpReply ParseHttpReply(const std::string& raw);

// CRC-32 as zlib computes it, bit by bit: the reference the receiver's checksums are checked against.
std::string ReferenceCrc32Hex(std::string_view bytes);

}  // namespace drevtest
