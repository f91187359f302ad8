// The three exchange directions over a reset, a property bag and a saved stream.
#include "platform/com/prop_exchange.h"

#include <algorithm>
#include <cstring>

#include "platform/text/text.h"

namespace plat::com {

// ----- reset -----

bool ResetExchange::ExchangeVersion(DWORD& version, DWORD defaultVersion, bool) {
  version = defaultVersion;
  return true;
}

bool ResetExchange::PX_Long(std::string_view, LONG& value, LONG defaultValue) {
  value = defaultValue;
  return true;
}

bool ResetExchange::PX_String(std::string_view, std::string& value, const std::string& defaultValue) {
  value = defaultValue;
  return true;
}

// ----- property bag -----

namespace {
constexpr std::string_view kVersionName = "_Version";
}

BagExchange::BagExchange(IPropertyBag* bag, ExchangeDirection direction) : PropExchange(direction), bag_(bag) {
  if (!bag_) Fail(E_POINTER);
}

bool BagExchange::Read(std::string_view name, VARTYPE type, Variant* out) {
  if (Failed()) return false;
  Variant raw;
  if (FAILED(bag_->Read(plat::text::Utf8ToUtf16(name), &raw))) return false;
  return SUCCEEDED(ChangeType(raw, type, out));
}

bool BagExchange::Write(std::string_view name, const Variant& value) {
  if (Failed()) return false;
  HRESULT hr = bag_->Write(plat::text::Utf8ToUtf16(name), value);
  if (FAILED(hr)) Fail(hr);
  return SUCCEEDED(hr);
}

bool BagExchange::ExchangeVersion(DWORD& version, DWORD defaultVersion, bool convert) {
  if (Direction() == ExchangeDirection::Save)
    return Write(kVersionName, Variant::I4(static_cast<std::int32_t>(convert ? defaultVersion : version)));
  Variant v;
  version = Read(kVersionName, VT_I4, &v) ? static_cast<DWORD>(v.lVal()) : defaultVersion;
  return !Failed();
}

bool BagExchange::PX_Long(std::string_view name, LONG& value, LONG defaultValue) {
  if (Direction() == ExchangeDirection::Save) return Write(name, Variant::I4(value));
  Variant v;
  value = Read(name, VT_I4, &v) ? v.lVal() : defaultValue;
  return !Failed();
}

bool BagExchange::PX_String(std::string_view name, std::string& value, const std::string& defaultValue) {
  if (Direction() == ExchangeDirection::Save)
    return Write(name, Variant::Bstr(plat::text::Cp949ToUtf16(value)));
  Variant v;
  value = Read(name, VT_BSTR, &v) ? plat::text::Utf16ToCp949(v.bstrVal()) : defaultValue;
  return !Failed();
}

// ----- saved stream -----

StreamExchange::StreamExchange(IStream* stream, ExchangeDirection direction)
    : PropExchange(direction), stream_(stream) {
  if (!stream_) Fail(E_POINTER);
}

bool StreamExchange::ReadBytes(void* buffer, ULONG count) {
  if (Failed()) return false;
  ULONG got = 0;
  HRESULT hr = stream_->Read(buffer, count, &got);
  if (FAILED(hr)) return Fail(hr), false;
  if (got != count) return Fail(STG_E_READFAULT), false;
  return true;
}

bool StreamExchange::WriteBytes(const void* buffer, ULONG count) {
  if (Failed()) return false;
  ULONG put = 0;
  HRESULT hr = stream_->Write(buffer, count, &put);
  if (FAILED(hr)) return Fail(hr), false;
  if (put != count) return Fail(STG_E_WRITEFAULT), false;
  return true;
}

bool StreamExchange::ReadDword(DWORD* v) {
  unsigned char b[4];
  if (!ReadBytes(b, 4)) return false;
  *v = static_cast<DWORD>(b[0]) | static_cast<DWORD>(b[1]) << 8 | static_cast<DWORD>(b[2]) << 16 |
       static_cast<DWORD>(b[3]) << 24;
  return true;
}

bool StreamExchange::WriteDword(DWORD v) {
  unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
  return WriteBytes(b, 4);
}

// A record starts with its tag and, for a property, its name; both must be what the call expects.
bool StreamExchange::ReadHeader(char tag, std::string_view name) {
  char got = 0;
  if (!ReadBytes(&got, 1)) return false;
  if (got != tag) return Fail(STG_E_INVALIDHEADER), false;
  if (tag == 'V') return true;
  unsigned char len[2];
  if (!ReadBytes(len, 2)) return false;
  std::size_t n = len[0] | len[1] << 8;
  if (n != name.size()) return Fail(STG_E_INVALIDHEADER), false;
  std::string stored(n, '\0');
  if (!ReadBytes(stored.data(), static_cast<ULONG>(n))) return false;
  if (stored != name) return Fail(STG_E_INVALIDHEADER), false;
  return true;
}

bool StreamExchange::WriteHeader(char tag, std::string_view name) {
  if (!WriteBytes(&tag, 1)) return false;
  if (tag == 'V') return true;
  if (name.size() > 0xFFFF) return Fail(E_INVALIDARG), false;
  unsigned char len[2] = {static_cast<unsigned char>(name.size()), static_cast<unsigned char>(name.size() >> 8)};
  return WriteBytes(len, 2) && WriteBytes(name.data(), static_cast<ULONG>(name.size()));
}

bool StreamExchange::ExchangeVersion(DWORD& version, DWORD defaultVersion, bool convert) {
  if (Direction() == ExchangeDirection::Save)
    return WriteHeader('V', {}) && WriteDword(convert ? defaultVersion : version);
  DWORD v = 0;
  bool ok = ReadHeader('V', {}) && ReadDword(&v);
  version = ok ? v : defaultVersion;
  return ok;
}

bool StreamExchange::PX_Long(std::string_view name, LONG& value, LONG defaultValue) {
  if (Direction() == ExchangeDirection::Save)
    return WriteHeader('L', name) && WriteDword(static_cast<DWORD>(value));
  DWORD v = 0;
  bool ok = ReadHeader('L', name) && ReadDword(&v);
  value = ok ? static_cast<LONG>(v) : defaultValue;
  return ok;
}

bool StreamExchange::PX_String(std::string_view name, std::string& value, const std::string& defaultValue) {
  if (Direction() == ExchangeDirection::Save) {
    // A text the loader would refuse is refused now, rather than saved into a stream that cannot load.
    if (value.size() > kMaxText) return Fail(E_INVALIDARG), false;
    return WriteHeader('S', name) && WriteDword(static_cast<DWORD>(value.size())) &&
           WriteBytes(value.data(), static_cast<ULONG>(value.size()));
  }
  DWORD n = 0;
  bool ok = ReadHeader('S', name) && ReadDword(&n);
  if (ok && n > kMaxText) ok = (Fail(STG_E_INVALIDHEADER), false);
  // Read in pieces, so that a damaged length costs no more memory than the stream really holds.
  std::string text;
  while (ok && text.size() < n) {
    char chunk[4096];
    ULONG want = static_cast<ULONG>(std::min<std::size_t>(sizeof chunk, n - text.size()));
    ok = ReadBytes(chunk, want);
    if (ok) text.append(chunk, want);
  }
  value = ok ? std::move(text) : defaultValue;
  return ok;
}

}  // namespace plat::com
