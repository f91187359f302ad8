// A recording relay in front of the HTTP server: it keeps the exact bytes each client sent.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace receiver {

// Accepts connections on the public address and port and relays each one, both ways, to the inner
// server on the same address and `innerPort`; every byte the client sends is appended to
// DIR/<connection>.raw (6-digit number from 1) before it is passed on, so by the time the server
// answers, the file holds the whole request.
class RawTap {
 public:
  RawTap(std::string address, int port, int innerPort, std::filesystem::path dir);

  // Binds and starts accepting on a thread of its own that runs for the life of the process.
  // False with `error` set when the address cannot be bound.
  bool Start(std::string& error);

  // The raw file name of the relayed connection that reached the inner server from `innerPeerPort`
  // (the peer port the inner server sees); empty when unknown.
  std::string RawFileFor(int innerPeerPort);

 private:
  void AcceptLoop(int listener);
  void Relay(int client, unsigned number);

  std::string address_;
  int port_;
  int innerPort_;
  std::filesystem::path dir_;
  std::mutex mutex_;
  std::map<int, std::string> files_;  // inner peer port -> raw file name
};

}  // namespace receiver
