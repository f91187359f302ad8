// PropExchange: one routine loads, saves and resets an object's persisted properties, by direction.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/property_bag.h"
#include "platform/com/stream.h"

namespace plat::com {

enum class ExchangeDirection { Load, Save, Reset };

// An object writes one exchange routine that calls ExchangeVersion and then PX_Long / PX_String for
// each property in a fixed order; the exchange object decides whether that reads, writes or resets.
// Texts are CP949 byte strings, as everywhere inside the control.
//
// Every call returns true on success. After the first failure the exchange has Result() set to that
// failure, and each further call gives its default without touching the medium, so an exchange
// routine may run to its end without checking.
class PropExchange {
 public:
  virtual ~PropExchange() = default;

  ExchangeDirection Direction() const { return direction_; }
  // True for Load and Reset: the values flow into the object.
  bool IsLoading() const { return direction_ != ExchangeDirection::Save; }
  // S_OK, or the first failure.
  HRESULT Result() const { return result_; }

  // The format version. Load: the stored version into `version` (`defaultVersion` when none is
  // stored). Save: stores `defaultVersion` when `convert` is true (saved state moves to the
  // current version), else `version` as loaded. Reset: `version` = `defaultVersion`.
  virtual bool ExchangeVersion(DWORD& version, DWORD defaultVersion, bool convert) = 0;
  // A signed 32-bit property. Load gives `defaultValue` when the medium has none.
  virtual bool PX_Long(std::string_view name, LONG& value, LONG defaultValue) = 0;
  // A text property (CP949). Load gives `defaultValue` when the medium has none.
  virtual bool PX_String(std::string_view name, std::string& value, const std::string& defaultValue) = 0;

 protected:
  explicit PropExchange(ExchangeDirection direction) : direction_(direction) {}
  void Fail(HRESULT hr) {
    if (SUCCEEDED(result_)) result_ = hr;
  }
  bool Failed() const { return FAILED(result_); }

 private:
  ExchangeDirection direction_;
  HRESULT result_ = S_OK;
};

// Reset: every property takes its default.
class ResetExchange : public PropExchange {
 public:
  ResetExchange() : PropExchange(ExchangeDirection::Reset) {}
  bool ExchangeVersion(DWORD& version, DWORD defaultVersion, bool convert) override;
  bool PX_Long(std::string_view name, LONG& value, LONG defaultValue) override;
  bool PX_String(std::string_view name, std::string& value, const std::string& defaultValue) override;
};

// Over named values: the version goes under "_Version"; longs as VT_I4; texts as UTF-16 strings.
// Loading converts what it finds to the property's type by ChangeType's rules ("42" serves a long,
// 42 serves a text). A value that is present but cannot be converted (text that is not a number,
// a number out of range) is treated like a missing one: the property takes its default. The bag's
// page was written by people, and one bad <param> must not stop the control from loading.
class BagExchange : public PropExchange {
 public:
  // `direction` is Load or Save; the bag must outlive the exchange.
  BagExchange(IPropertyBag* bag, ExchangeDirection direction);
  bool ExchangeVersion(DWORD& version, DWORD defaultVersion, bool convert) override;
  bool PX_Long(std::string_view name, LONG& value, LONG defaultValue) override;
  bool PX_String(std::string_view name, std::string& value, const std::string& defaultValue) override;

 private:
  bool Read(std::string_view name, VARTYPE type, Variant* out);
  bool Write(std::string_view name, const Variant& value);
  IPropertyBag* bag_;
};

// Over a saved stream, in a binary format of our own: one record per call, in call order, each a
// tag byte ('V' version, 'L' long, 'S' text), then for properties the name (16-bit little-endian
// length, bytes), then the value (32-bit little-endian; a text as 32-bit length and bytes). Loading
// checks every tag and name against the call it answers, so a stream from another routine, a
// truncated stream or a damaged one fails cleanly: STG_E_READFAULT when the stream ends early,
// STG_E_INVALIDHEADER when a record is not the one expected or a length is beyond reason. Nothing
// is read past what the stream gives.
class StreamExchange : public PropExchange {
 public:
  // `direction` is Load or Save; the stream must outlive the exchange.
  StreamExchange(IStream* stream, ExchangeDirection direction);
  bool ExchangeVersion(DWORD& version, DWORD defaultVersion, bool convert) override;
  bool PX_Long(std::string_view name, LONG& value, LONG defaultValue) override;
  bool PX_String(std::string_view name, std::string& value, const std::string& defaultValue) override;

  // The longest text a stream may hold (16 MiB); a longer declared length counts as damage.
  static constexpr DWORD kMaxText = 16u << 20;

 private:
  bool ReadBytes(void* buffer, ULONG count);
  bool WriteBytes(const void* buffer, ULONG count);
  bool ReadDword(DWORD* v);
  bool WriteDword(DWORD v);
  bool ReadHeader(char tag, std::string_view name);
  bool WriteHeader(char tag, std::string_view name);
  IStream* stream_;
};

}  // namespace plat::com
