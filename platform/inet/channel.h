// One HTTP exchange over one TCP connection with every wait bounded; the only code that sees Beast.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

namespace plat::inet::detail {

struct HeadField {
  std::string name;
  std::string value;
};

// A request line and its header fields, in the order they go out.
struct RequestHead {
  std::string method;
  std::string target;
  unsigned version = 10;  // 10 for HTTP/1.0, 11 for HTTP/1.1
  std::vector<HeadField> fields;
};

// The request line, the fields and the blank line, exactly as they go on the wire.
std::string SerializeRequestHead(const RequestHead& head);

// A connection to one server for one request and its reply. Every operation returns ERROR_SUCCESS (0)
// or a WinInet error number; after a failure the connection is closed and stays closed. Not for use
// from two threads at once, except for Abort.
class HttpChannel {
 public:
  HttpChannel();
  ~HttpChannel();
  HttpChannel(const HttpChannel&) = delete;
  HttpChannel& operator=(const HttpChannel&) = delete;

  // Connects to the first of `addresses` (numeric IPv4/IPv6 texts) that accepts, all within
  // `timeoutMs`. 12029 when none accepts, 12002 when the time runs out.
  DWORD Connect(const std::vector<std::string>& addresses, WORD port, DWORD timeoutMs);

  // Sends `first` then `second`, all of it; each socket write of at most kWriteGatherBytes must be
  // taken within `timeoutMs` (12002). A peer that went away gives 12030 or 12031.
  DWORD Write(std::span<const char> first, std::span<const char> second, DWORD timeoutMs);

  // Receives the reply's status line and header within `timeoutMs`, skipping 1xx replies. `bodyless`
  // says the reply has no body whatever its header says (a reply to HEAD). A reply that is not HTTP
  // gives 12152; a connection closed before any reply byte gives 12030. From here on the whole reply,
  // header and body, must arrive within `wholeMs` (12002 after that).
  DWORD ReadReplyHead(bool bodyless, DWORD timeoutMs, DWORD wholeMs);

  // The reply's status code, reason text and version (10, 11) once ReadReplyHead succeeded.
  unsigned Status() const;
  std::string Reason() const;
  // The first field of that name (letter case ignored); false when the reply has none.
  bool FindField(std::string_view name, std::string& value) const;

  // Reads body bytes into `buffer` until `size` bytes arrived or the body ended; `got` is the count
  // read, also when an error is returned. Each wait for more bytes is bounded by `timeoutMs`, and all
  // of them by the whole reply's bound that ReadReplyHead set.
  DWORD ReadBody(char* buffer, std::size_t size, std::size_t& got, DWORD timeoutMs);

  // Closes the socket; safe to repeat.
  void Close();

  // The one operation that may come from another thread: the operation in progress ends as soon as
  // it can with 12017 (ERROR_INTERNET_OPERATION_CANCELLED), and so does every later one.
  void Abort();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace plat::inet::detail
