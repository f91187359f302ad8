// Composing a request's head: header lines given by the caller, the request target, version and Host.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"
#include "platform/inet/channel.h"
#include "platform/inet/inet.h"

namespace plat::inet::detail {

// True for a non-empty HTTP token (method and field names).
bool IsToken(std::string_view text);

// Splits "Name: value" lines (separated by CR LF or LF; empty lines skipped) into fields, the value
// trimmed of surrounding blanks. 12153 for a line without a token name and a colon, or with a stray CR
// or a zero byte, 12182 for a name or value longer than kMaxRequestFieldBytes; nothing is added then. The framing fields Content-Length and Transfer-Encoding
// belong to the layer and are refused the same way.
DWORD ParseHeaderLines(std::string_view text, std::vector<HeadField>& out);

// Adds `added` to `fields` by HTTP_ADDREQ_FLAG_* `modifiers`: ADD_IF_NEW fails with 12155 (changing
// nothing) when a field of that name exists; REPLACE replaces the first of that name or adds; anything
// else appends. Names compare without regard to letter case.
DWORD MergeHeaderFields(std::vector<HeadField>& fields, const std::vector<HeadField>& added, DWORD modifiers);

// The request target for an object name: "/" for an empty one; bytes up to 0x20 and 0x7F are
// percent-encoded so that the request line stays one line; the rest is kept as given.
std::string EncodeTarget(std::string_view objectName);

// "HTTP/1.0" -> 10, "HTTP/1.1" -> 11; null -> 11. False for anything else.
bool ParseVersion(const char* text, unsigned& version);

// The Host field for a server name and port: the port is added when it is not 80; an IPv6 address
// is put in brackets.
std::string HostField(const std::string& host, INTERNET_PORT port);

// The first field named `name` (letter case ignored), or null.
const HeadField* FindField(const std::vector<HeadField>& fields, std::string_view name);

}  // namespace plat::inet::detail
