// A request: the head composed, the body gathered into large socket writes, the reply read on demand.
#include "platform/inet/request.h"

#include <charconv>
#include <cstring>

#include "platform/inet/defaults.h"
#include "platform/inet/internet_error.h"
#include "platform/inet/request_head.h"
#include "platform/inet/resolve.h"
#include "platform/kernel/error.h"

namespace plat::inet::detail {
namespace {

// Stores a query result as zero-terminated text, or says how much room it needs.
DWORD StoreText(const std::string& text, void* buffer, DWORD* length) {
  DWORD needed = static_cast<DWORD>(text.size() + 1);
  if (buffer == nullptr || *length < needed) {
    *length = needed;
    return kernel::ERROR_INSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, text.c_str(), needed);
  *length = needed - 1;
  return 0;
}

DWORD StoreNumber(const std::string& text, void* buffer, DWORD* length) {
  if (buffer == nullptr || *length < sizeof(DWORD)) {
    *length = sizeof(DWORD);
    return kernel::ERROR_INSUFFICIENT_BUFFER;
  }
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value > 0xFFFFFFFFu) return ERROR_HTTP_INVALID_HEADER;
  DWORD number = static_cast<DWORD>(value);
  std::memcpy(buffer, &number, sizeof number);
  *length = sizeof number;
  return 0;
}

}  // namespace

RequestObject::RequestObject(RequestHead head, std::string host, INTERNET_PORT port, TimeoutValues timeouts)
    : HandleObject(HandleKind::Request, timeouts), head_(std::move(head)), host_(std::move(host)), port_(port) {}

DWORD RequestObject::Break(DWORD error) {
  state_ = State::Broken;
  brokenBy_ = error;
  pending_.clear();
  pending_.shrink_to_fit();
  channel_.Close();
  return error;
}

bool RequestObject::HasBody() const { return head_.method != "GET" && head_.method != "HEAD"; }

DWORD RequestObject::AddHeaders(std::string_view lines, DWORD modifiers) {
  if (state_ != State::Composing) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  std::vector<HeadField> added;
  if (DWORD error = ParseHeaderLines(lines, added)) return error;
  return MergeHeaderFields(head_.fields, added, modifiers);
}

DWORD RequestObject::Start(std::uint64_t declared, std::string_view extraLines, std::span<const char> firstBytes) {
  if (state_ == State::Broken) return brokenBy_;
  if (state_ != State::Composing) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  if (firstBytes.size() > declared) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  if (!extraLines.empty()) {
    if (DWORD error = AddHeaders(extraLines, HTTP_ADDREQ_FLAG_ADD)) return error;
  }
  // The opening and the added fields were each checked as they came; the session's agent was not.
  for (const HeadField& field : head_.fields) {
    if (field.name.size() > kMaxRequestFieldBytes || field.value.size() > kMaxRequestFieldBytes) {
      return ERROR_HTTP_HEADER_SIZE_OVERFLOW;
    }
  }
  if (HasBody() || declared > 0) head_.fields.push_back({"Content-Length", std::to_string(declared)});

  TimeoutValues limits = Limits().Get();
  Resolved resolved = ResolveHost(host_, limits.connectMs);
  if (resolved.error != 0) return Break(resolved.error);
  if (DWORD error = channel_.Connect(resolved.addresses, port_, limits.connectMs)) return Break(error);

  state_ = State::Sending;
  declared_ = declared;
  std::string head = SerializeRequestHead(head_);
  pending_.reserve(kWriteGatherBytes);
  pending_.assign(head.begin(), head.end());
  return Write(firstBytes);
}

DWORD RequestObject::Flush() {
  if (pending_.empty()) return 0;
  DWORD error = channel_.Write(pending_, {}, Limits().Get().sendMs);
  pending_.clear();
  return error != 0 ? Break(error) : 0;
}

DWORD RequestObject::Write(std::span<const char> bytes) {
  if (state_ == State::Broken) return brokenBy_;
  if (state_ != State::Sending) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  if (bytes.size() > declared_ - taken_) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  taken_ += bytes.size();
  if (pending_.size() + bytes.size() < kWriteGatherBytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    return 0;
  }
  // Enough for a socket write: what is gathered and what was given leave together, without copying
  // a large write into the gathering buffer first.
  DWORD error = channel_.Write(pending_, bytes, Limits().Get().sendMs);
  pending_.clear();
  return error != 0 ? Break(error) : 0;
}

DWORD RequestObject::End() {
  if (state_ == State::Broken) return brokenBy_;
  if (state_ != State::Sending) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  // A short body must not reach the server as if it were complete, and waiting for a reply to it
  // would only run into the server's time limit.
  if (taken_ != declared_) return Break(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  if (DWORD error = Flush()) return error;
  pending_.shrink_to_fit();
  if (DWORD error = channel_.ReadReplyHead(head_.method == "HEAD", Limits().Get().receiveMs, Limits().Get().replyMs)) return Break(error);
  state_ = State::Replied;
  return 0;
}

DWORD RequestObject::Query(DWORD infoLevel, void* buffer, DWORD* length, DWORD* index) {
  if (length == nullptr) return kernel::ERROR_INVALID_PARAMETER;
  if (state_ != State::Replied) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  DWORD modifiers = infoLevel & HTTP_QUERY_MODIFIER_FLAGS_MASK;
  if ((modifiers & ~HTTP_QUERY_FLAG_NUMBER) != 0) return ERROR_HTTP_INVALID_QUERY_REQUEST;
  if (index != nullptr && *index != 0) return ERROR_HTTP_HEADER_NOT_FOUND;

  std::string value;
  switch (infoLevel & HTTP_QUERY_HEADER_MASK) {
    case HTTP_QUERY_STATUS_CODE: value = std::to_string(channel_.Status()); break;
    case HTTP_QUERY_STATUS_TEXT: value = channel_.Reason(); break;
    case HTTP_QUERY_CONTENT_LENGTH:
      if (!channel_.FindField("Content-Length", value)) return ERROR_HTTP_HEADER_NOT_FOUND;
      break;
    case HTTP_QUERY_CONTENT_TYPE:
      if (!channel_.FindField("Content-Type", value)) return ERROR_HTTP_HEADER_NOT_FOUND;
      break;
    case HTTP_QUERY_CUSTOM: {
      if (buffer == nullptr) return kernel::ERROR_INVALID_PARAMETER;
      const char* name = static_cast<const char*>(buffer);
      if (!channel_.FindField(std::string_view(name, strnlen(name, *length)), value)) return ERROR_HTTP_HEADER_NOT_FOUND;
      break;
    }
    default: return ERROR_HTTP_INVALID_QUERY_REQUEST;
  }
  DWORD error = (modifiers & HTTP_QUERY_FLAG_NUMBER) ? StoreNumber(value, buffer, length)
                                                     : StoreText(value, buffer, length);
  if (error == 0 && index != nullptr) *index += 1;
  return error;
}

DWORD RequestObject::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (state_ == State::Broken) return brokenBy_;
  if (state_ != State::Replied) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  if (deferred_ != 0) return Break(deferred_);
  DWORD error = channel_.ReadBody(buffer, size, got, Limits().Get().receiveMs);
  if (error == 0) return 0;
  if (got == 0) return Break(error);
  deferred_ = error;  // hand over what arrived; the next read reports the failure
  return 0;
}

}  // namespace plat::inet::detail
