// ConnectionPoint: the sinks connected to one event interface of an object, and firing events to them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"
#include "platform/com/ref_counted.h"

namespace plat::com {

// One event argument: texts are CP949 bytes inside the object and reach the sinks as UTF-16
// strings; integers go as 32-bit values.
class EventArg {
 public:
  EventArg(const std::string& cp949);
  EventArg(const char* cp949) : EventArg(std::string(cp949)) {}
  EventArg(std::int32_t value) : value_(Variant::I4(value)) {}
  EventArg(Variant value) : value_(std::move(value)) {}
  const Variant& value() const { return value_; }

 private:
  Variant value_;
};

// An object owns one ConnectionPoint per event interface and hands it out through
// IConnectionPointContainer::FindConnectionPoint. All calls come on the object's thread.
//
// A connected sink holds no reference to the point, but the point holds one to each sink until it is
// unadvised: a host that connects a sink which refers back to the object must Unadvise before it lets
// the object go (or the object calls UnadviseAll when it is destroyed).
class ConnectionPoint : public RefCounted<IConnectionPoint> {
 public:
  // `maxConnections` = 0 leaves the number of sinks unbounded.
  explicit ConnectionPoint(const IID& eventIid, std::size_t maxConnections = 0);

  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;

  const IID& Iid() const { return iid_; }
  std::size_t ConnectionCount() const { return connections_.size(); }
  // Drops every sink (the object is going away).
  void UnadviseAll();

  // Fires event `id`: calls Invoke(id, DISPATCH_METHOD, args) on every sink synchronously, in
  // connection order, before returning. The sinks called are those connected when Fire starts and
  // still connected when their turn comes: a sink may unadvise itself or another during the fire,
  // and one connected during the fire waits for the next. A sink's failure does not stop the others.
  // Returns how many sinks failed.
  std::size_t Fire(DISPID id, std::initializer_list<EventArg> args = {});
  std::size_t FireVariants(DISPID id, std::span<const Variant> args);

 private:
  struct Connection {
    DWORD cookie;
    ComPtr<IDispatch> sink;
  };
  bool IsConnected(DWORD cookie) const;

  IID iid_;
  std::size_t max_;
  DWORD nextCookie_ = 1;
  std::vector<Connection> connections_;
};

}  // namespace plat::com
