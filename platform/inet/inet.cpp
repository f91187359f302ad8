// The C-shaped entry points: argument checks, handle look-up, and the last error on failure.
#include "platform/inet/inet.h"

#include <cstring>
#include <span>
#include <string_view>

#include "platform/inet/defaults.h"
#include "platform/inet/handles.h"
#include "platform/inet/internet_error.h"
#include "platform/inet/request.h"
#include "platform/inet/request_head.h"
#include "platform/inet/url.h"
#include "platform/kernel/error.h"

namespace plat::inet {
namespace {

using detail::HandleKind;

BOOL Fail(DWORD error) {
  kernel::SetLastError(error);
  return FALSE;
}

HINTERNET FailHandle(DWORD error) {
  kernel::SetLastError(error);
  return nullptr;
}

BOOL Result(DWORD error) { return error == 0 ? TRUE : Fail(error); }

// The object behind `handle` when it is open and of the kind asked for; otherwise null with `error` set.
template <class T>
std::shared_ptr<T> Find(HINTERNET handle, HandleKind kind, DWORD& error) {
  std::shared_ptr<detail::HandleObject> object = detail::FindHandle(handle);
  if (!object) {
    error = kernel::ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (object->Kind() != kind) {
    error = ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
    return nullptr;
  }
  return std::static_pointer_cast<T>(object);
}

// The request this thread last wrote body bytes to. A body arrives in many small writes; each would
// otherwise take the handle table's lock to find the same object again. Handles are never reused, so
// an equal handle is the same object, alive unless the weak reference has expired, and open unless
// it was marked closed.
struct LastWritten {
  HINTERNET handle = nullptr;
  std::weak_ptr<detail::RequestObject> object;
};
thread_local LastWritten lastWritten;

std::shared_ptr<detail::RequestObject> FindForWrite(HINTERNET request, DWORD& error) {
  if (request != nullptr && request == lastWritten.handle) {
    if (std::shared_ptr<detail::RequestObject> object = lastWritten.object.lock(); object && !object->Closed()) {
      return object;
    }
  }
  std::shared_ptr<detail::RequestObject> object = Find<detail::RequestObject>(request, HandleKind::Request, error);
  lastWritten = object ? LastWritten{request, object} : LastWritten{};
  return object;
}

std::string_view TextOf(const char* text, DWORD length) {
  if (text == nullptr) return {};
  if (length == static_cast<DWORD>(-1)) return text;
  return {text, length};
}

bool IsSingleLine(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) == text.npos; }

// The fields every request starts with: Host, User-Agent, Referer and Accept when there are any.
DWORD OpeningFields(const std::string& host, INTERNET_PORT port, const std::string& agent, const char* referrer,
                    const char** acceptTypes, std::vector<detail::HeadField>& fields) {
  fields.push_back({"Host", detail::HostField(host, port)});
  if (!agent.empty()) fields.push_back({"User-Agent", agent});
  if (referrer != nullptr && *referrer != '\0') {
    const std::string_view text = referrer;
    if (!IsSingleLine(text)) return ERROR_HTTP_INVALID_HEADER;
    if (text.size() > kMaxRequestFieldBytes) return ERROR_HTTP_HEADER_SIZE_OVERFLOW;
    fields.push_back({"Referer", std::string(text)});
  }
  std::string accept;
  for (const char** type = acceptTypes; type != nullptr && *type != nullptr; ++type) {
    if (!IsSingleLine(*type)) return ERROR_HTTP_INVALID_HEADER;
    if (!accept.empty()) accept += ", ";
    accept += *type;
  }
  if (accept.size() > kMaxRequestFieldBytes) return ERROR_HTTP_HEADER_SIZE_OVERFLOW;
  if (!accept.empty()) fields.push_back({"Accept", accept});
  return 0;
}

}  // namespace

HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* /*proxy*/, const char* /*proxyBypass*/,
                        DWORD flags) {
  if (accessType != INTERNET_OPEN_TYPE_PRECONFIG && accessType != INTERNET_OPEN_TYPE_DIRECT) {
    return FailHandle(kernel::ERROR_INVALID_PARAMETER);
  }
  if ((flags & INTERNET_FLAG_ASYNC) != 0) return FailHandle(kernel::ERROR_INVALID_PARAMETER);
  std::string agentText = agent == nullptr ? std::string() : std::string(agent);
  if (!IsSingleLine(agentText)) return FailHandle(kernel::ERROR_INVALID_PARAMETER);
  auto session = std::make_shared<detail::SessionObject>(
      std::move(agentText),
      detail::TimeoutValues{kDefaultConnectTimeoutMs, kDefaultSendTimeoutMs, kDefaultReceiveTimeoutMs,
                            kDefaultReplyTimeoutMs});
  return detail::RegisterHandle(std::move(session), nullptr);
}

HINTERNET InternetConnectA(HINTERNET session, const char* serverName, INTERNET_PORT port, const char* /*userName*/,
                           const char* /*password*/, DWORD service, DWORD /*flags*/, DWORD_PTR /*context*/) {
  DWORD error = 0;
  auto owner = Find<detail::SessionObject>(session, HandleKind::Session, error);
  if (!owner) return FailHandle(error);
  if (serverName == nullptr || service != INTERNET_SERVICE_HTTP) return FailHandle(kernel::ERROR_INVALID_PARAMETER);
  if (port == INTERNET_INVALID_PORT_NUMBER) port = INTERNET_DEFAULT_HTTP_PORT;
  auto connection =
      std::make_shared<detail::ConnectionObject>(owner->Agent(), serverName, port, owner->Limits().Get());
  HINTERNET handle = detail::RegisterHandle(std::move(connection), session);
  return handle != nullptr ? handle : FailHandle(kernel::ERROR_INVALID_HANDLE);
}

HINTERNET HttpOpenRequestA(HINTERNET connection, const char* verb, const char* objectName, const char* version,
                           const char* referrer, const char** acceptTypes, DWORD /*flags*/, DWORD_PTR /*context*/) {
  DWORD error = 0;
  auto owner = Find<detail::ConnectionObject>(connection, HandleKind::Connection, error);
  if (!owner) return FailHandle(error);
  detail::RequestHead head;
  head.method = verb == nullptr ? "GET" : verb;
  if (!detail::IsToken(head.method)) return FailHandle(kernel::ERROR_INVALID_PARAMETER);
  if (!detail::ParseVersion(version, head.version)) return FailHandle(kernel::ERROR_INVALID_PARAMETER);
  head.target = detail::EncodeTarget(objectName == nullptr ? "" : objectName);
  error = OpeningFields(owner->Host(), owner->Port(), owner->Agent(), referrer, acceptTypes, head.fields);
  if (error != 0) return FailHandle(error);
  auto request =
      std::make_shared<detail::RequestObject>(std::move(head), owner->Host(), owner->Port(), owner->Limits().Get());
  HINTERNET handle = detail::RegisterHandle(std::move(request), connection);
  return handle != nullptr ? handle : FailHandle(kernel::ERROR_INVALID_HANDLE);
}

BOOL HttpAddRequestHeadersA(HINTERNET request, const char* headers, DWORD length, DWORD modifiers) {
  DWORD error = 0;
  auto object = Find<detail::RequestObject>(request, HandleKind::Request, error);
  if (!object) return Fail(error);
  if (headers == nullptr) return Fail(kernel::ERROR_INVALID_PARAMETER);
  return Result(object->AddHeaders(TextOf(headers, length), modifiers));
}

BOOL HttpSendRequestExA(HINTERNET request, INTERNET_BUFFERSA* buffersIn, INTERNET_BUFFERSA* buffersOut,
                        DWORD /*flags*/, DWORD_PTR /*context*/) {
  DWORD error = 0;
  auto object = Find<detail::RequestObject>(request, HandleKind::Request, error);
  if (!object) return Fail(error);
  if (buffersOut != nullptr) return Fail(kernel::ERROR_INVALID_PARAMETER);
  if (buffersIn == nullptr) return Result(object->Start(0, {}, {}));
  const INTERNET_BUFFERSA& in = *buffersIn;
  if (in.dwStructSize != sizeof(INTERNET_BUFFERSA) || in.Next != nullptr) return Fail(kernel::ERROR_INVALID_PARAMETER);
  if (in.lpvBuffer == nullptr && in.dwBufferLength != 0) return Fail(kernel::ERROR_INVALID_PARAMETER);
  std::span<const char> first(static_cast<const char*>(in.lpvBuffer), in.lpvBuffer ? in.dwBufferLength : 0);
  return Result(object->Start(in.dwBufferTotal, TextOf(in.lpcszHeader, in.dwHeadersLength), first));
}

BOOL InternetWriteFile(HINTERNET request, const void* buffer, DWORD count, DWORD* written) {
  DWORD error = 0;
  auto object = FindForWrite(request, error);
  if (!object) return Fail(error);
  if (written == nullptr || (buffer == nullptr && count != 0)) return Fail(kernel::ERROR_INVALID_PARAMETER);
  *written = 0;
  if (count == 0) return TRUE;
  error = object->Write(std::span<const char>(static_cast<const char*>(buffer), count));
  if (error != 0) return Fail(error);
  *written = count;
  return TRUE;
}

BOOL HttpEndRequestA(HINTERNET request, INTERNET_BUFFERSA* buffersOut, DWORD /*flags*/, DWORD_PTR /*context*/) {
  DWORD error = 0;
  auto object = Find<detail::RequestObject>(request, HandleKind::Request, error);
  if (!object) return Fail(error);
  if (buffersOut != nullptr) return Fail(kernel::ERROR_INVALID_PARAMETER);
  return Result(object->End());
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD infoLevel, void* buffer, DWORD* length, DWORD* index) {
  DWORD error = 0;
  auto object = Find<detail::RequestObject>(request, HandleKind::Request, error);
  if (!object) return Fail(error);
  return Result(object->Query(infoLevel, buffer, length, index));
}

BOOL InternetReadFile(HINTERNET request, void* buffer, DWORD count, DWORD* read) {
  DWORD error = 0;
  auto object = Find<detail::RequestObject>(request, HandleKind::Request, error);
  if (!object) return Fail(error);
  if (read == nullptr || (buffer == nullptr && count != 0)) return Fail(kernel::ERROR_INVALID_PARAMETER);
  *read = 0;
  if (count == 0) return TRUE;
  std::size_t got = 0;
  error = object->Read(static_cast<char*>(buffer), count, got);
  *read = static_cast<DWORD>(got);
  return Result(error);
}

HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char* headers, DWORD headersLength, DWORD /*flags*/,
                           DWORD_PTR /*context*/) {
  DWORD error = 0;
  auto owner = Find<detail::SessionObject>(session, HandleKind::Session, error);
  if (!owner) return FailHandle(error);
  if (url == nullptr) return FailHandle(ERROR_INTERNET_INVALID_URL);
  detail::HttpUrl parts;
  if ((error = detail::SplitHttpUrl(url, parts)) != 0) return FailHandle(error);

  detail::RequestHead head{"GET", detail::EncodeTarget(parts.path), 10, {}};
  OpeningFields(parts.host, parts.port, owner->Agent(), nullptr, nullptr, head.fields);
  auto request = std::make_shared<detail::RequestObject>(std::move(head), parts.host, parts.port, owner->Limits().Get());
  if (headers != nullptr && (error = request->AddHeaders(TextOf(headers, headersLength), HTTP_ADDREQ_FLAG_ADD)) != 0) {
    return FailHandle(error);
  }
  // The request is a child of the session before it goes out, so that closing the session from
  // another thread while the exchange runs ends the exchange at once.
  HINTERNET handle = detail::RegisterHandle(request, session);
  if (handle == nullptr) return FailHandle(kernel::ERROR_INVALID_HANDLE);
  if ((error = request->Start(0, {}, {})) != 0 || (error = request->End()) != 0) {
    detail::CloseHandleTree(handle);
    return FailHandle(error);
  }
  return handle;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  return detail::CloseHandleTree(handle) ? TRUE : Fail(kernel::ERROR_INVALID_HANDLE);
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD length) {
  std::shared_ptr<detail::HandleObject> object = detail::FindHandle(handle);
  if (!object) return Fail(kernel::ERROR_INVALID_HANDLE);
  DWORD ignored = 0;
  if (!object->Limits().Query(option, ignored)) return Fail(ERROR_INTERNET_INVALID_OPTION);
  if (buffer == nullptr || length != sizeof(DWORD)) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
  DWORD ms = 0;
  std::memcpy(&ms, buffer, sizeof ms);
  if (ms == 0) return Fail(kernel::ERROR_INVALID_PARAMETER);  // no wait may be unbounded
  object->Limits().Set(option, ms);
  return TRUE;
}

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD* length) {
  std::shared_ptr<detail::HandleObject> object = detail::FindHandle(handle);
  if (!object) return Fail(kernel::ERROR_INVALID_HANDLE);
  DWORD ms = 0;
  if (!object->Limits().Query(option, ms)) return Fail(ERROR_INTERNET_INVALID_OPTION);
  if (length == nullptr) return Fail(kernel::ERROR_INVALID_PARAMETER);
  if (buffer == nullptr || *length < sizeof(DWORD)) {
    *length = sizeof(DWORD);
    return Fail(kernel::ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, &ms, sizeof ms);
  *length = sizeof ms;
  return TRUE;
}

}  // namespace plat::inet
