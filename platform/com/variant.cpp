// Variant values and the conversions between their types.
#include "platform/com/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <ostream>

#include "platform/com/hresult.h"
#include "platform/text/text.h"

namespace plat::com {

Variant Variant::I2(std::int16_t v) { return Variant(Value(v)); }
Variant Variant::UI2(std::uint16_t v) { return Variant(Value(v)); }
Variant Variant::I4(std::int32_t v) { return Variant(Value(v)); }
Variant Variant::R8(double v) { return Variant(Value(v)); }
Variant Variant::Bool(bool v) { return Variant(Value(BoolValue{v ? VARIANT_TRUE : VARIANT_FALSE})); }
Variant Variant::Bstr(std::u16string v) { return Variant(Value(std::move(v))); }

VARTYPE Variant::vt() const {
  static constexpr VARTYPE kTypes[] = {VT_EMPTY, VT_I2, VT_UI2, VT_I4, VT_R8, VT_BOOL, VT_BSTR};
  return kTypes[value_.index()];
}

std::int16_t Variant::iVal() const { return std::get<std::int16_t>(value_); }
std::uint16_t Variant::uiVal() const { return std::get<std::uint16_t>(value_); }
std::int32_t Variant::lVal() const { return std::get<std::int32_t>(value_); }
double Variant::dblVal() const { return std::get<double>(value_); }
VARIANT_BOOL Variant::boolVal() const { return std::get<BoolValue>(value_).v; }
const std::u16string& Variant::bstrVal() const { return std::get<std::u16string>(value_); }

namespace {

// Round half to even, independent of the floating-point environment.
double RoundHalfEven(double x) {
  double r = std::floor(x);
  double diff = x - r;
  if (diff > 0.5) return r + 1;
  if (diff < 0.5) return r;
  return std::fmod(r, 2.0) == 0.0 ? r : r + 1;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Parses a decimal number written by a person or a script: blanks, sign, digits, fraction, exponent.
std::optional<double> ParseNumber(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  std::string ascii;
  bool negative = false;
  if (!s.empty() && (s.front() == u'+' || s.front() == u'-')) {
    negative = s.front() == u'-';
    s.remove_prefix(1);
  }
  bool digits = false, dot = false, exponent = false, expDigits = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      (exponent ? expDigits : digits) = true;
    } else if (c == u'.' && !dot && !exponent) {
      dot = true;
    } else if ((c == u'e' || c == u'E') && digits && !exponent) {
      exponent = true;
      ascii += 'e';
      if (i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) ascii += static_cast<char>(s[++i]);
      continue;
    } else {
      return std::nullopt;
    }
    ascii += static_cast<char>(c);
  }
  if (!digits || (exponent && !expDigits)) return std::nullopt;
  double value = 0;
  auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (end != ascii.data() + ascii.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::infinity();
  return negative ? -value : value;
}

std::u16string FormatDouble(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", v);
  return plat::text::Utf8ToUtf16(buffer);
}

// A source value reduced to what the target needs: a number, or a string to parse.
struct Source {
  bool isText = false;
  double number = 0;
  std::u16string_view text;
};

Source Describe(const Variant& v) {
  switch (v.vt()) {
    case VT_I2: return {false, static_cast<double>(v.iVal()), {}};
    case VT_UI2: return {false, static_cast<double>(v.uiVal()), {}};
    case VT_I4: return {false, static_cast<double>(v.lVal()), {}};
    case VT_R8: return {false, v.dblVal(), {}};
    case VT_BOOL: return {false, static_cast<double>(v.boolVal()), {}};
    case VT_BSTR: return {true, 0, v.bstrVal()};
    default: return {false, 0, {}};
  }
}

template <typename T>
HRESULT ToInteger(double number, T* out) {
  if (!std::isfinite(number)) return DISP_E_OVERFLOW;
  double r = RoundHalfEven(number);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max()))
    return DISP_E_OVERFLOW;
  *out = static_cast<T>(r);
  return S_OK;
}

HRESULT ToBool(const Source& s, bool* out) {
  if (!s.isText) {
    *out = s.number != 0;
    return S_OK;
  }
  std::u16string lower;
  for (char16_t c : s.text)
    if (!IsBlank(c)) lower += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  if (lower == u"true") return *out = true, S_OK;
  if (lower == u"false") return *out = false, S_OK;
  auto n = ParseNumber(s.text);
  if (!n) return DISP_E_TYPEMISMATCH;
  *out = *n != 0;
  return S_OK;
}

HRESULT ToText(const Variant& from, std::u16string* out) {
  switch (from.vt()) {
    case VT_EMPTY: *out = u""; return S_OK;
    case VT_BSTR: *out = from.bstrVal(); return S_OK;
    case VT_R8: *out = FormatDouble(from.dblVal()); return S_OK;
    case VT_I2: case VT_UI2: case VT_I4: case VT_BOOL:
      *out = plat::text::Utf8ToUtf16(std::to_string(static_cast<long long>(Describe(from).number)));
      return S_OK;
    default: return DISP_E_TYPEMISMATCH;
  }
}

}  // namespace

HRESULT ChangeType(const Variant& from, VARTYPE to, Variant* out) {
  if (to == VT_EMPTY) return *out = Variant(), S_OK;
  if (to == VT_BSTR) {
    std::u16string text;
    HRESULT hr = ToText(from, &text);
    if (SUCCEEDED(hr)) *out = Variant::Bstr(std::move(text));
    return hr;
  }
  Source s = Describe(from);
  if (to == VT_BOOL) {
    bool b = false;
    HRESULT hr = ToBool(s, &b);
    if (SUCCEEDED(hr)) *out = Variant::Bool(b);
    return hr;
  }
  if (s.isText) {
    auto n = ParseNumber(s.text);
    if (!n) return DISP_E_TYPEMISMATCH;
    s.number = *n;
  }
  HRESULT hr = S_OK;
  switch (to) {
    case VT_R8: *out = Variant::R8(s.number); return S_OK;
    case VT_I2: { std::int16_t v; if (SUCCEEDED(hr = ToInteger(s.number, &v))) *out = Variant::I2(v); return hr; }
    case VT_UI2: {
      // True (-1) wraps to 65535 as the platform does; every other negative value overflows.
      if (from.vt() == VT_BOOL) return *out = Variant::UI2(static_cast<std::uint16_t>(from.boolVal())), S_OK;
      std::uint16_t v;
      if (SUCCEEDED(hr = ToInteger(s.number, &v))) *out = Variant::UI2(v);
      return hr;
    }
    case VT_I4: { std::int32_t v; if (SUCCEEDED(hr = ToInteger(s.number, &v))) *out = Variant::I4(v); return hr; }
    default: return DISP_E_TYPEMISMATCH;
  }
}

const char* VarTypeName(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY: return "void";
    case VT_I2: return "short";
    case VT_UI2: return "unsigned short";
    case VT_I4: return "long";
    case VT_R8: return "double";
    case VT_BSTR: return "BSTR";
    case VT_BOOL: return "boolean";
    default: return "VARIANT";
  }
}

void PrintTo(const Variant& v, std::ostream* os) {
  switch (v.vt()) {
    case VT_EMPTY: *os << "VT_EMPTY"; break;
    case VT_I2: *os << "VT_I2 " << v.iVal(); break;
    case VT_UI2: *os << "VT_UI2 " << v.uiVal(); break;
    case VT_I4: *os << "VT_I4 " << v.lVal(); break;
    case VT_R8: *os << "VT_R8 " << v.dblVal(); break;
    case VT_BOOL: *os << "VT_BOOL " << v.boolVal(); break;
    case VT_BSTR: *os << "VT_BSTR \"" << plat::text::Utf16ToUtf8(v.bstrVal()) << '"'; break;
    default: *os << "VT_" << v.vt(); break;
  }
}

}  // namespace plat::com
