// Composing a request's head from what the caller passed.
#include "platform/inet/request_head.h"

#include <strings.h>

#include "platform/inet/defaults.h"
#include "platform/inet/inet.h"
#include "platform/inet/internet_error.h"

namespace plat::inet::detail {
namespace {

bool IsTokenChar(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '!': case '#': case '$': case '%': case '&': case '\'': case '*': case '+':
    case '-': case '.': case '^': case '_': case '`': case '|': case '~':
      return true;
    default:
      return false;
  }
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

DWORD ParseLine(std::string_view line, std::vector<HeadField>& out) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return ERROR_HTTP_INVALID_HEADER;
  std::string_view name = line.substr(0, colon);
  std::string_view value = Trim(line.substr(colon + 1));
  if (!IsToken(name)) return ERROR_HTTP_INVALID_HEADER;
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return ERROR_HTTP_INVALID_HEADER;
  if (SameName(name, "Content-Length") || SameName(name, "Transfer-Encoding")) return ERROR_HTTP_INVALID_HEADER;
  if (name.size() > kMaxRequestFieldBytes || value.size() > kMaxRequestFieldBytes) {
    return ERROR_HTTP_HEADER_SIZE_OVERFLOW;
  }
  out.push_back(HeadField{std::string(name), std::string(value)});
  return 0;
}

}  // namespace

bool IsToken(std::string_view text) {
  if (text.empty()) return false;
  for (unsigned char c : text) {
    if (!IsTokenChar(c)) return false;
  }
  return true;
}

DWORD ParseHeaderLines(std::string_view text, std::vector<HeadField>& out) {
  std::vector<HeadField> parsed;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    if (DWORD error = ParseLine(line, parsed)) return error;
  }
  out.insert(out.end(), parsed.begin(), parsed.end());
  return 0;
}

DWORD MergeHeaderFields(std::vector<HeadField>& fields, const std::vector<HeadField>& added, DWORD modifiers) {
  if (modifiers & HTTP_ADDREQ_FLAG_ADD_IF_NEW) {
    for (const HeadField& field : added) {
      if (FindField(fields, field.name) != nullptr) return ERROR_HTTP_HEADER_ALREADY_EXISTS;
    }
  }
  for (const HeadField& field : added) {
    HeadField* existing = nullptr;
    for (HeadField& candidate : fields) {
      if (SameName(candidate.name, field.name)) {
        existing = &candidate;
        break;
      }
    }
    if ((modifiers & HTTP_ADDREQ_FLAG_REPLACE) && existing != nullptr) {
      existing->value = field.value;
    } else {
      fields.push_back(field);
    }
  }
  return 0;
}

std::string EncodeTarget(std::string_view objectName) {
  if (objectName.empty()) return "/";
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string target;
  target.reserve(objectName.size());
  for (unsigned char c : objectName) {
    if (c <= 0x20 || c == 0x7F) {
      target += '%';
      target += kHex[c >> 4];
      target += kHex[c & 0xF];
    } else {
      target += static_cast<char>(c);
    }
  }
  return target;
}

bool ParseVersion(const char* text, unsigned& version) {
  std::string_view v = text == nullptr ? std::string_view("HTTP/1.1") : std::string_view(text);
  if (v == "HTTP/1.0") {
    version = 10;
  } else if (v == "HTTP/1.1") {
    version = 11;
  } else {
    return false;
  }
  return true;
}

std::string HostField(const std::string& host, INTERNET_PORT port) {
  std::string field = host;
  if (host.find(':') != std::string::npos && host.front() != '[') field = "[" + host + "]";
  if (port != INTERNET_DEFAULT_HTTP_PORT) field += ":" + std::to_string(port);
  return field;
}

const HeadField* FindField(const std::vector<HeadField>& fields, std::string_view name) {
  for (const HeadField& field : fields) {
    if (SameName(field.name, name)) return &field;
  }
  return nullptr;
}

}  // namespace plat::inet::detail
