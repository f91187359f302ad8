// The receiver's command line: where it listens, where it stores, and the fault modes for tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace receiver {

struct ReceiverOptions {
  std::string listen;              // --listen ADDRESS (required)
  int port = 80;                   // --port N
  std::string dir;                 // --dir DIR (required unless --discard)
  int status = 200;                // --status N: answer every request with this status
  bool noLength = false;           // --no-length: replies carry no Content-Length; the close ends them
  unsigned replyDelayMs = 0;       // --reply-delay MS: wait before answering
  unsigned readDelayMs = 0;        // --read-delay MS: wait after each piece of body read
  std::uint64_t readRate = 0;      // --read-rate BYTES: read at most BYTES body bytes a second
  std::optional<std::uint64_t> dropAfter;  // --drop-after N: reset the connection after N body bytes
  bool discard = false;            // --discard: read and count the body, nothing else
  std::string saveRawDir;          // --save-raw DIR: record each connection's request bytes
  std::string replyFile;           // --reply-file FILE: answer with these bytes instead of the summary
  unsigned readTimeoutSec = 30;    // --read-timeout SEC: how long a silent client is waited for
  bool help = false;               // --help
};

// Parses the arguments after the program name. False with `error` set for bad usage.
bool ParseOptions(int argc, const char* const* argv, ReceiverOptions& out, std::string& error);

// The one usage line, shown under a usage error.
std::string UsageLine();

// The --help text.
std::string UsageText();

}  // namespace receiver
