// Variant: the tagged value that crosses the dispatch boundary, and its type conversions.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <variant>

#include "platform/base/types.h"

namespace plat::com {

using VARTYPE = WORD;
using VARIANT_BOOL = std::int16_t;

// The value types the dispatch boundary carries, with the platform's numbers.
enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R8 = 5,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UI2 = 18,
};

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// A value type: copying a Variant copies its string, so nothing is shared and nothing leaks.
// Strings (VT_BSTR) are UTF-16, as script strings are. Booleans hold VARIANT_TRUE or VARIANT_FALSE.
class Variant {
 public:
  Variant() = default;  // VT_EMPTY

  static Variant I2(std::int16_t v);
  static Variant UI2(std::uint16_t v);
  static Variant I4(std::int32_t v);
  static Variant R8(double v);
  static Variant Bool(bool v);
  static Variant Bstr(std::u16string v);

  VARTYPE vt() const;
  bool IsEmpty() const { return vt() == VT_EMPTY; }

  // Accessors. Each expects vt() to be its type and throws std::bad_variant_access otherwise (a
  // programming error: convert with ChangeType first).
  std::int16_t iVal() const;
  std::uint16_t uiVal() const;
  std::int32_t lVal() const;
  double dblVal() const;
  VARIANT_BOOL boolVal() const;
  const std::u16string& bstrVal() const;

  // Same type and same value (an R8 NaN is not equal to itself).
  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  struct BoolValue {
    VARIANT_BOOL v;
    friend bool operator==(const BoolValue&, const BoolValue&) = default;
  };
  using Value = std::variant<std::monostate, std::int16_t, std::uint16_t, std::int32_t, double, BoolValue,
                             std::u16string>;
  explicit Variant(Value v) : value_(std::move(v)) {}
  Value value_;
};

// Converts `from` to type `to` by the platform's rules and stores the result in *out (untouched on
// failure). Rules:
//   - VT_EMPTY converts to 0, false, "" or 0.0; any value converts to VT_EMPTY.
//   - integers and booleans among themselves: range checked (DISP_E_OVERFLOW); true is -1, so true
//     becomes 65535 as VT_UI2, as on the platform; any nonzero number becomes true.
//   - VT_R8 to an integer rounds half to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2); a result out of the
//     target's range, an infinity or a NaN gives DISP_E_OVERFLOW.
//   - numbers to VT_BSTR: decimal text ("-12"; doubles with up to 15 significant digits, "1.5",
//     "1E+20"); booleans give "-1" and "0".
//   - VT_BSTR to a number: optional blanks, an optional sign, digits with an optional fraction and
//     exponent, optional blanks ("  42 ", "-7", "2.5e1"); anything else DISP_E_TYPEMISMATCH; the value
//     then follows the VT_R8 rules (rounding, overflow).
//   - VT_BSTR to VT_BOOL: "true"/"false" in any letter case, or a number (nonzero is true); anything
//     else DISP_E_TYPEMISMATCH.
//   - an unknown target type: DISP_E_TYPEMISMATCH.
HRESULT ChangeType(const Variant& from, VARTYPE to, Variant* out);

// Name of a type for messages and type library text: "BSTR", "long", "short", ...
const char* VarTypeName(VARTYPE vt);

// For test failure messages: "VT_I4 42", "VT_BSTR \"text\"" (UTF-8).
void PrintTo(const Variant& v, std::ostream* os);

}  // namespace plat::com
