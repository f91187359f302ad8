// Connection bookkeeping and the fire loop that survives sinks leaving mid-fire.
#include "platform/com/event_source.h"

#include <algorithm>

#include "platform/text/text.h"

namespace plat::com {

EventArg::EventArg(const std::string& cp949) : value_(Variant::Bstr(plat::text::Cp949ToUtf16(cp949))) {}

ConnectionPoint::ConnectionPoint(const IID& eventIid, std::size_t maxConnections)
    : iid_(eventIid), max_(maxConnections) {}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!sink || !cookie) return E_POINTER;
  *cookie = 0;
  if (max_ != 0 && connections_.size() >= max_) return CONNECT_E_ADVISELIMIT;
  // An event interface is a dispatch interface: whatever answers its id is an IDispatch.
  void* p = nullptr;
  if (FAILED(sink->QueryInterface(iid_, &p)) && FAILED(sink->QueryInterface(IDispatch::iid, &p)))
    return CONNECT_E_CANNOTCONNECT;
  auto dispatch = ComPtr<IDispatch>::Adopt(static_cast<IDispatch*>(p));
  DWORD c = nextCookie_++;
  if (nextCookie_ == 0) nextCookie_ = 1;  // 0 never names a connection
  connections_.push_back({c, std::move(dispatch)});
  *cookie = c;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  auto it = std::find_if(connections_.begin(), connections_.end(),
                         [cookie](const Connection& c) { return c.cookie == cookie; });
  if (it == connections_.end()) return CONNECT_E_NOCONNECTION;
  // Take the sink out before releasing it: its destructor may call back into this point.
  ComPtr<IDispatch> sink = std::move(it->sink);
  connections_.erase(it);
  return S_OK;
}

void ConnectionPoint::UnadviseAll() {
  std::vector<Connection> gone;
  gone.swap(connections_);
}

bool ConnectionPoint::IsConnected(DWORD cookie) const {
  return std::any_of(connections_.begin(), connections_.end(),
                     [cookie](const Connection& c) { return c.cookie == cookie; });
}

std::size_t ConnectionPoint::Fire(DISPID id, std::initializer_list<EventArg> args) {
  std::vector<Variant> values;
  values.reserve(args.size());
  for (const auto& a : args) values.push_back(a.value());
  return FireVariants(id, values);
}

std::size_t ConnectionPoint::FireVariants(DISPID id, std::span<const Variant> args) {
  // Work from a copy that holds its own references, so that sinks may connect and disconnect
  // (and be released by the point) while the loop runs.
  ComPtr<ConnectionPoint> keepAlive(this);
  std::vector<Connection> snapshot = connections_;
  std::size_t failures = 0;
  for (const auto& c : snapshot) {
    if (!IsConnected(c.cookie)) continue;
    Variant result;
    EXCEPINFO excep;
    UINT argErr = 0;
    if (FAILED(c.sink->Invoke(id, DISPATCH_METHOD, args, &result, &excep, &argErr))) ++failures;
  }
  return failures;
}

}  // namespace plat::com

