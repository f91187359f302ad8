// The handle table: what a HINTERNET stands for, who opened it under whom, and the time limits it carries.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/base/types.h"
#include "platform/inet/inet.h"

namespace plat::inet::detail {

enum class HandleKind { Session, Connection, Request };

struct TimeoutValues {
  DWORD connectMs;
  DWORD sendMs;
  DWORD receiveMs;
  DWORD replyMs;  // the whole reply, header and body
};

// Time limits of one handle. Atomic because a session's may be set while another thread opens a
// connection under it.
class Timeouts {
 public:
  explicit Timeouts(TimeoutValues values);
  TimeoutValues Get() const;
  // Sets one limit by its INTERNET_OPTION_* number; false for another option.
  bool Set(DWORD option, DWORD ms);
  // The limit for an INTERNET_OPTION_* number; false for another option.
  bool Query(DWORD option, DWORD& ms) const;

 private:
  std::atomic<DWORD> connectMs_;
  std::atomic<DWORD> sendMs_;
  std::atomic<DWORD> receiveMs_;
  std::atomic<DWORD> replyMs_;
};

class HandleObject {
 public:
  HandleObject(HandleKind kind, TimeoutValues timeouts) : kind_(kind), timeouts_(timeouts) {}
  virtual ~HandleObject() = default;
  HandleKind Kind() const { return kind_; }
  // Called once when the handle is closed, possibly while another thread is inside a call on the
  // object: that call is to end as soon as it can. Safe from any thread.
  virtual void Abort() {}
  Timeouts& Limits() { return timeouts_; }
  // Whether the handle was closed (set before Abort). Lets a caller that kept the object from an
  // earlier look-up tell that the handle is gone without taking the table's lock.
  bool Closed() const { return closed_.load(std::memory_order_acquire); }
  void MarkClosed() { closed_.store(true, std::memory_order_release); }

 private:
  std::atomic<bool> closed_{false};
  HandleKind kind_;
  Timeouts timeouts_;
};

class SessionObject : public HandleObject {
 public:
  SessionObject(std::string agent, TimeoutValues timeouts)
      : HandleObject(HandleKind::Session, timeouts), agent_(std::move(agent)) {}
  const std::string& Agent() const { return agent_; }

 private:
  const std::string agent_;
};

class ConnectionObject : public HandleObject {
 public:
  ConnectionObject(std::string agent, std::string host, INTERNET_PORT port, TimeoutValues timeouts)
      : HandleObject(HandleKind::Connection, timeouts), agent_(std::move(agent)), host_(std::move(host)), port_(port) {}
  const std::string& Agent() const { return agent_; }
  const std::string& Host() const { return host_; }
  INTERNET_PORT Port() const { return port_; }

 private:
  const std::string agent_;
  const std::string host_;
  const INTERNET_PORT port_;
};

// Adds an object to the table under `parent` (null for a session) and returns its new handle; null
// when `parent` is no longer open.
HINTERNET RegisterHandle(std::shared_ptr<HandleObject> object, HINTERNET parent);

// The object behind a handle, or null when the handle is not open. The caller's reference keeps the
// object alive through a call even if another thread closes the handle meanwhile.
std::shared_ptr<HandleObject> FindHandle(HINTERNET handle);

// Removes a handle and every handle opened under it; false when it is not open.
bool CloseHandleTree(HINTERNET handle);

}  // namespace plat::inet::detail
