// Splitting an "http://" address.
#include "platform/inet/url.h"

#include <strings.h>

#include <charconv>

#include "platform/inet/internet_error.h"

namespace plat::inet::detail {

DWORD SplitHttpUrl(std::string_view url, HttpUrl& out) {
  std::size_t schemeEnd = url.find("://");
  if (schemeEnd == std::string_view::npos) return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  if (schemeEnd != 4 || strncasecmp(url.data(), "http", 4) != 0) return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  std::string_view rest = url.substr(schemeEnd + 3);
  rest = rest.substr(0, rest.find('#'));

  std::size_t pathStart = rest.find_first_of("/?");
  std::string_view authority = rest.substr(0, pathStart);
  std::string_view path = pathStart == std::string_view::npos ? std::string_view() : rest.substr(pathStart);
  if (authority.find('@') != std::string_view::npos) return ERROR_INTERNET_INVALID_URL;

  std::string_view host = authority;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {  // [IPv6]:port
    std::size_t close = authority.find(']');
    if (close == std::string_view::npos) return ERROR_INTERNET_INVALID_URL;
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return ERROR_INTERNET_INVALID_URL;
      port = after.substr(1);
    }
  } else if (std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
  }
  if (host.empty()) return ERROR_INTERNET_INVALID_URL;

  out.port = INTERNET_DEFAULT_HTTP_PORT;
  if (!port.empty()) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (ec != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) {
      return ERROR_INTERNET_INVALID_URL;
    }
    out.port = static_cast<INTERNET_PORT>(value);
  }
  out.host = std::string(host);
  if (path.empty()) {
    out.path = "/";
  } else if (path.front() == '?') {
    out.path = "/" + std::string(path);
  } else {
    out.path = std::string(path);
  }
  return 0;
}

}  // namespace plat::inet::detail
