// Name resolution with a time limit.
#pragma once

#include <string>
#include <vector>

#include "platform/base/types.h"

namespace plat::inet::detail {

struct Resolved {
  DWORD error = 0;                     // ERROR_SUCCESS, or 12007 when the name has no address
  std::vector<std::string> addresses;  // numeric address texts, in the resolver's order
};

// The addresses of `host`: a numeric IPv4 or IPv6 address (also in brackets) stands for itself; a
// name is asked of the system resolver, and when no answer comes within `timeoutMs` the name counts as
// not resolved (the lookup finishes in the background and is dropped). A text that cannot be a host
// name (empty, spaces, control bytes, '/', '@', ...) is not resolved and never reaches the resolver.
Resolved ResolveHost(const std::string& host, DWORD timeoutMs);

}  // namespace plat::inet::detail
