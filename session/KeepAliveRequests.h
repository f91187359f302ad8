// KeepAliveRequests: the short-lived threads that fetch the service's small image while an upload's
// progress dialog stays open, so that the service keeps the user's session alive.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/base/types.h"
#include "platform/inet/inet.h"
#include "platform/kernel/thread.h"

namespace drev {

// Every request runs on a thread of its own at below-normal priority: a GET of the address through
// the given session (reload and existing-connection flags, context 0, no extra headers); the reply
// is not read and success or failure is not observed. Each request ends within the HTTP layer's
// time limits (connect, then receive), so every wait here is bounded even without a bound of its own.
//
// Lifetime: a thread uses the session handle and its own copy of the address, nothing of its starter.
// Starting a new request does not forget the earlier ones: every thread is kept until it is joined,
// and the destructor joins whatever still runs. The owner may close the session before it joins:
// a request in flight then ends at once with 12017 and one not yet started fails on the closed
// handle, so the join is prompt. All calls come from one thread (the dialog's).
class KeepAliveRequests {
 public:
  KeepAliveRequests() = default;
  ~KeepAliveRequests() { JoinAll(); }
  KeepAliveRequests(const KeepAliveRequests&) = delete;
  KeepAliveRequests& operator=(const KeepAliveRequests&) = delete;

  // The keep-alive address on `host`: "http://<host>/bin/Plimtrans.gif".
  static std::string AddressFor(const std::string& host);

  // Starts one request for `url` on `session` and makes it the last one. Threads of earlier requests
  // that have ended are joined on the way. False when no thread could be made (nothing is requested).
  bool Start(plat::inet::HINTERNET session, const std::string& url);

  // Waits at most `milliseconds` for the last started request to end; WAIT_OBJECT_0 at once when
  // none was started or it has ended, else WAIT_TIMEOUT.
  plat::DWORD WaitForLast(plat::DWORD milliseconds);

  // The system id of the last started request's thread; 0 before the first.
  plat::DWORD LastThreadId() const { return threads_.empty() ? 0 : threads_.back()->Id(); }

  // Waits for every request still running and releases its thread.
  void JoinAll();

 private:
  void JoinEnded();

  std::vector<std::unique_ptr<plat::kernel::Thread>> threads_;  // oldest first; the last is the last started
};

}  // namespace drev
