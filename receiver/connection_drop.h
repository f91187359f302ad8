// Resetting a connection the HTTP server library holds, found by its addresses.
#pragma once

#include <string>

namespace receiver {

// Finds this process's socket whose local and peer addresses are the ones given and resets it: the
// peer sees the connection reset, and the server library's own later reads and writes on it fail.
// False when no such socket is open.
bool ResetConnection(const std::string& localAddress, int localPort, const std::string& peerAddress, int peerPort);

}  // namespace receiver
