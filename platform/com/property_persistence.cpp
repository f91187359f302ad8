// Load, save and reset through one exchange routine, and the modified flag they maintain.
#include "platform/com/property_persistence.h"

#include "platform/com/memory_stream.h"

namespace plat::com {

PropertyPersistence::PropertyPersistence(ExchangeRoutine routine) : routine_(std::move(routine)) {}

HRESULT PropertyPersistence::Run(PropExchange& exchange) {
  routine_(exchange);
  return exchange.Result();
}

HRESULT PropertyPersistence::InitNew() {
  ResetExchange px;
  HRESULT hr = Run(px);
  modified_ = false;
  return hr;
}

HRESULT PropertyPersistence::Load(IPropertyBag* bag) {
  if (!bag) return E_POINTER;
  BagExchange px(bag, ExchangeDirection::Load);
  HRESULT hr = Run(px);
  modified_ = false;
  return hr;
}

HRESULT PropertyPersistence::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  StreamExchange px(stream, ExchangeDirection::Load);
  HRESULT hr = Run(px);
  if (FAILED(hr)) InitNew();
  modified_ = false;
  return hr;
}

HRESULT PropertyPersistence::Save(IPropertyBag* bag, bool clearDirty) {
  if (!bag) return E_POINTER;
  BagExchange px(bag, ExchangeDirection::Save);
  HRESULT hr = Run(px);
  if (SUCCEEDED(hr) && clearDirty) modified_ = false;
  return hr;
}

HRESULT PropertyPersistence::Save(IStream* stream, bool clearDirty) {
  if (!stream) return E_POINTER;
  StreamExchange px(stream, ExchangeDirection::Save);
  HRESULT hr = Run(px);
  if (SUCCEEDED(hr) && clearDirty) modified_ = false;
  return hr;
}

HRESULT PropertyPersistence::GetSizeMax(std::uint64_t* size) {
  if (!size) return E_POINTER;
  auto probe = MakeCom<MemoryStream>();
  StreamExchange px(probe.Get(), ExchangeDirection::Save);
  HRESULT hr = Run(px);
  *size = SUCCEEDED(hr) ? probe->Bytes().size() : 0;
  return hr;
}

}  // namespace plat::com
