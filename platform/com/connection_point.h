// IConnectionPointContainer and IConnectionPoint: how a page's handlers connect to an object's events.
#pragma once

#include "platform/com/unknown.h"

namespace plat::com {

class IConnectionPoint : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
  using base_interface = IUnknown;

  // The event interface this point calls on its sinks.
  virtual HRESULT GetConnectionInterface(IID* iid) = 0;
  // Connects `sink`, which must answer the event interface or IDispatch (else
  // CONNECT_E_CANNOTCONNECT). The point keeps a reference until Unadvise. *cookie receives a
  // nonzero number that names the connection; CONNECT_E_ADVISELIMIT when the point is full.
  virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
  // Disconnects; CONNECT_E_NOCONNECTION when no connection has that cookie.
  virtual HRESULT Unadvise(DWORD cookie) = 0;

 protected:
  ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
  using base_interface = IUnknown;

  // The object's connection point for event interface `riid`, with a new reference;
  // CONNECT_E_NOCONNECTION (and nullptr) when it has none. E_POINTER when point is null.
  virtual HRESULT FindConnectionPoint(const IID& riid, IConnectionPoint** point) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};

}  // namespace plat::com
