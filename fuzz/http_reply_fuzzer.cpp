// Fuzz target: the HTTP client's reply reader, fed as a server sends a reply (status line, header,
// body plain, chunked or by Content-Length) over a loopback connection. Each input is read twice:
// through the client calls with reads of changing sizes and every header query the control makes,
// and through the upload worker's own reply reader; both must agree on the reply.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/reply_peer.h"
#include "http/UploadWorker.h"
#include "platform/inet/inet.h"
#include "platform/inet/internet_error.h"
#include "platform/kernel/error.h"

using drev::fuzz::Check;
namespace inet = plat::inet;
using plat::DWORD;

namespace {

constexpr const char* kPeerAddress = "127.199.0.1";
// Bounds every wait of the client, so that a reply that stalls is a slow input, not a hang.
constexpr DWORD kTimeoutMs = 5'000;
constexpr char kRequestBody[] = "ATTACH=1";

struct Client {
  inet::HINTERNET session = nullptr;
  drev::fuzz::ReplyPeer peer{kPeerAddress};
  Client() {
    session = inet::InternetOpenA("DrevFuzz", inet::INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    Check(session != nullptr, "a session opens");
    DWORD limit = kTimeoutMs;
    for (DWORD option : {inet::INTERNET_OPTION_CONNECT_TIMEOUT, inet::INTERNET_OPTION_SEND_TIMEOUT,
                         inet::INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      inet::InternetSetOptionA(session, option, &limit, sizeof limit);
    }
  }
};

Client& TheClient() {
  static Client client;
  return client;
}

// A POST as the control sends one; `replied` once its reply header arrived.
struct Request {
  inet::HINTERNET connection = nullptr;
  inet::HINTERNET request = nullptr;
  bool replied = false;
  ~Request() {
    if (request) inet::InternetCloseHandle(request);
    if (connection) inet::InternetCloseHandle(connection);
  }
};

void Post(Client& client, Request& r) {
  r.connection = inet::InternetConnectA(client.session, kPeerAddress, client.peer.Port(), nullptr, nullptr,
                                        inet::INTERNET_SERVICE_HTTP, 0, 0);
  Check(r.connection != nullptr, "a connection handle opens");
  r.request = inet::HttpOpenRequestA(r.connection, "POST", "/upload.php?board=notice", "HTTP/1.0", nullptr,
                                     nullptr, inet::INTERNET_FLAG_NO_AUTO_REDIRECT, 0);
  Check(r.request != nullptr, "a request handle opens");
  inet::INTERNET_BUFFERSA buffers;
  buffers.dwStructSize = sizeof buffers;
  buffers.dwBufferTotal = sizeof kRequestBody - 1;
  if (!inet::HttpSendRequestExA(r.request, &buffers, nullptr, inet::HSR_INITIATE, 0)) return;
  DWORD written = 0;
  if (!inet::InternetWriteFile(r.request, kRequestBody, sizeof kRequestBody - 1, &written)) return;
  r.replied = inet::HttpEndRequestA(r.request, nullptr, 0, 0) != plat::FALSE;
}

struct Reply {
  bool replied = false;
  DWORD status = 0;
  std::optional<DWORD> declared;  // Content-Length as a number, when it reads as one
  std::string body;
  bool whole = false;  // the body was read to its end without a failure
};

// A header query sized the way a careful caller sizes it: first with the room it has (none, or the
// field name for a custom query), then with the room the answer asked for.
std::optional<std::string> QueryText(inet::HINTERNET request, DWORD level, std::string_view custom = {}) {
  const bool isCustom = level == inet::HTTP_QUERY_CUSTOM;
  std::string first(custom);
  first.push_back('\0');
  DWORD length = isCustom ? static_cast<DWORD>(first.size()) : 0;
  if (inet::HttpQueryInfoA(request, level, isCustom ? first.data() : nullptr, &length, nullptr)) {
    Check(isCustom, "a query without a buffer never succeeds");
    return first.substr(0, length);
  }
  if (plat::kernel::GetLastError() != plat::kernel::ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
  Check(length > first.size() - (isCustom ? 0 : 1), "a buffer too small asks for more room");
  std::string room(length, '\0');
  custom.copy(room.data(), custom.size());
  DWORD got = length;
  Check(inet::HttpQueryInfoA(request, level, room.data(), &got, nullptr), "a query with the room it asked for succeeds");
  Check(got + 1 == length && room[got] == '\0', "a text answer fills the room it asked for");
  return room.substr(0, got);
}

// The client calls: the queries, then the body in reads of changing sizes.
Reply ReadThroughCalls(Client& client, std::string_view bytes) {
  Reply reply;
  client.peer.Serve(std::string(bytes));
  {
    Request r;
    Post(client, r);
    reply.replied = r.replied;
    if (r.replied) {
      DWORD size = sizeof reply.status;
      Check(inet::HttpQueryInfoA(r.request, inet::HTTP_QUERY_STATUS_CODE | inet::HTTP_QUERY_FLAG_NUMBER,
                                 &reply.status, &size, nullptr),
            "a reply that arrived has a status");
      Check(reply.status <= 999, "the status has three digits");
      QueryText(r.request, inet::HTTP_QUERY_STATUS_TEXT);
      QueryText(r.request, inet::HTTP_QUERY_CONTENT_TYPE);
      std::optional<std::string> lengthText = QueryText(r.request, inet::HTTP_QUERY_CONTENT_LENGTH);
      QueryText(r.request, inet::HTTP_QUERY_CUSTOM, "Transfer-Encoding");
      DWORD declared = 0;
      size = sizeof declared;
      if (inet::HttpQueryInfoA(r.request, inet::HTTP_QUERY_CONTENT_LENGTH | inet::HTTP_QUERY_FLAG_NUMBER, &declared,
                               &size, nullptr)) {
        std::uint64_t asText = 0;
        bool parsed = lengthText && std::from_chars(lengthText->data(), lengthText->data() + lengthText->size(), asText).ec ==
                                        std::errc();
        Check(parsed && asText == declared, "Content-Length reads the same as text and number");
        reply.declared = declared;
      }
      static constexpr std::size_t kPieces[] = {1, 5, 64, 4096, 2, 65536, 3};
      char buffer[65536];
      for (std::size_t turn = 0;; ++turn) {
        DWORD want = static_cast<DWORD>(kPieces[turn % std::size(kPieces)]);
        DWORD got = 0;
        if (!inet::InternetReadFile(r.request, buffer, want, &got)) break;
        Check(got <= want, "a read gives no more than asked");
        reply.body.append(buffer, got);
        Check(reply.body.size() <= bytes.size(), "the body is never longer than what the server sent");
        // A short read may still be followed by the failure of a reply cut off: only a read that
        // brings nothing says the reply ended whole.
        if (got == 0) {
          reply.whole = true;
          break;
        }
      }
    }
    client.peer.Finish();
  }
  return reply;
}

// The upload worker's reader, as the worker runs it after a status 200.
std::optional<std::string> ReadThroughWorker(Client& client, std::string_view bytes, DWORD* status) {
  std::optional<std::string> result;
  client.peer.Serve(std::string(bytes));
  {
    Request r;
    Post(client, r);
    if (r.replied) {
      DWORD size = sizeof *status;
      inet::HttpQueryInfoA(r.request, inet::HTTP_QUERY_STATUS_CODE | inet::HTTP_QUERY_FLAG_NUMBER, status, &size,
                           nullptr);
      drev::UploadWorker worker(nullptr, drev::UploadLists{}, client.session, nullptr);
      try {
        if (worker.ReadReply(r.request)) result = worker.Reply();
      } catch (const inet::InternetException&) {
      }
    }
    client.peer.Finish();
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Client& client = TheClient();
  Reply reply = ReadThroughCalls(client, bytes);
  DWORD status = 0;
  std::optional<std::string> worker = ReadThroughWorker(client, bytes, &status);
  Check(status == reply.status, "both readers see the same status");
  if (reply.replied && reply.body.size() < drev::UploadWorker::kMaxReplyBytes) {
    Check(reply.whole == worker.has_value(), "the worker takes a reply exactly when it arrived whole");
  }
  if (reply.whole && worker) {
    std::string expected = reply.body.substr(0, reply.body.find('\0'));
    if (expected.size() > drev::UploadWorker::kMaxReplyBytes) expected.resize(drev::UploadWorker::kMaxReplyBytes);
    Check(*worker == expected, "the worker's reply is the body up to its first zero byte");
  }
  return 0;
}
