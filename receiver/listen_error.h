// Why the receiver cannot listen on an address and port, in words a person can act on.
#pragma once

#include <string>

namespace receiver {

// The text after "cannot listen on HOST:PORT: " for the socket error `error` (an errno value):
// the system's own reason, with what it means here (another server holds the address, the address
// is not one of this machine's, a port below 1024 needs root).
std::string ListenErrorText(int error, int port);

// Tries to bind and listen on `host`:`port` the way the server does (SO_REUSEADDR, no port sharing)
// and describes why that fails, for a report after the server library refused without a reason.
// Returns a generic text when the attempt now succeeds (the cause went away in between).
std::string ExplainListenFailure(const std::string& host, int port);

}  // namespace receiver
