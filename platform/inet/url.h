// Splitting an "http://" address into server, port and request path.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"
#include "platform/inet/inet.h"

namespace plat::inet::detail {

struct HttpUrl {
  std::string host;                          // without brackets for an IPv6 address
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  std::string path;                          // from the first '/' on (query included), "/" when none
};

// Splits `url` ("http://host[:port][/path][?query]", the scheme in any letter case; a fragment is
// dropped). 12006 for another scheme or none; 12005 for no host, user information, or a bad port.
DWORD SplitHttpUrl(std::string_view url, HttpUrl& out);

}  // namespace plat::inet::detail
