// A request handle's object: the head being composed, the body being streamed, the reply being read.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inet/channel.h"
#include "platform/inet/handles.h"

namespace plat::inet::detail {

// Every operation returns ERROR_SUCCESS (0) or the error number for the caller's last error. Once the
// connection has failed, every later operation fails with the error that broke it.
class RequestObject : public HandleObject {
 public:
  // `head` holds the method, target, version and the fields known at open time (Host, User-Agent,
  // Referer, Accept); the server is named by `host` and `port`.
  RequestObject(RequestHead head, std::string host, INTERNET_PORT port, TimeoutValues timeouts);

  // Adds header lines before the request is started (HttpAddRequestHeadersA).
  DWORD AddHeaders(std::string_view lines, DWORD modifiers);

  // Resolves, connects and queues the head with Content-Length = `declared` (see inet.h for when it
  // is sent); `extraLines` are added as HTTP_ADDREQ_FLAG_ADD would; `firstBytes` are the body's start.
  DWORD Start(std::uint64_t declared, std::string_view extraLines, std::span<const char> firstBytes);

  // Takes body bytes; refused whole (12019) when they would pass the declared length.
  DWORD Write(std::span<const char> bytes);

  // Sends what is gathered and receives the reply head; a short body abandons the request (12019).
  DWORD End();

  // HttpQueryInfoA on the reply head.
  DWORD Query(DWORD infoLevel, void* buffer, DWORD* length, DWORD* index);

  // Reads reply body bytes; `got` < `size` only at the end of the reply.
  DWORD Read(char* buffer, std::size_t size, std::size_t& got);

  // The handle was closed: a connect, send or receive in progress on another thread ends with 12017,
  // and so does every later operation. A name being resolved is not interrupted; its own time limit
  // ends it, and the connect that would follow fails.
  void Abort() override { channel_.Abort(); }

 private:
  enum class State { Composing, Sending, Replied, Broken };

  DWORD Break(DWORD error);
  DWORD Flush();
  bool HasBody() const;

  RequestHead head_;
  const std::string host_;
  const INTERNET_PORT port_;
  State state_ = State::Composing;
  DWORD brokenBy_ = 0;
  DWORD deferred_ = 0;  // a read failure to report after the bytes read before it were handed over
  std::uint64_t declared_ = 0;
  std::uint64_t taken_ = 0;
  std::vector<char> pending_;  // the queued head and gathered body bytes
  HttpChannel channel_;
};

}  // namespace plat::inet::detail
