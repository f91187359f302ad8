// IDispatch: late-bound calls by dispatch id or name, the way scripts reach an object.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

namespace plat::com {

using DISPID = LONG;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;

// Invoke flags; a script call may combine METHOD and PROPERTYGET when it cannot tell them apart.
inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// What a failed member reports with DISP_E_EXCEPTION.
struct EXCEPINFO {
  WORD wCode = 0;
  std::u16string bstrSource;
  std::u16string bstrDescription;
  HRESULT scode = 0;
};

class IDispatch : public IUnknown {
 public:
  static constexpr IID iid = MakeGuid("{00020400-0000-0000-C000-000000000046}");
  using base_interface = IUnknown;

  // Number of type descriptions the object offers (0 or 1). E_POINTER when count is null.
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;

  // Maps names to dispatch ids, ignoring letter case. names[0] is a member name; any further names
  // are that member's parameter names, mapped to their positions (0 = first parameter). ids must
  // have room for names.size() entries. An unknown name gets DISPID_UNKNOWN and the call returns
  // DISP_E_UNKNOWNNAME (the other ids are still filled).
  virtual HRESULT GetIDsOfNames(std::span<const std::u16string_view> names, DISPID* ids) = 0;

  // Calls member `id`. `args` are in call order, the first argument first (the platform's
  // DISPPARAMS holds them reversed; this shape does not). For DISPATCH_PROPERTYPUT, args holds the
  // new value alone. `result` (may be null) receives the return value; `excepInfo` (may be null)
  // is filled when the call returns DISP_E_EXCEPTION; `argErr` (may be null) receives the position,
  // in call order, of the argument that caused DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW.
  // Errors: DISP_E_MEMBERNOTFOUND (no such member, or the flags do not fit it),
  // DISP_E_BADPARAMCOUNT, DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, DISP_E_EXCEPTION.
  virtual HRESULT Invoke(DISPID id, WORD flags, std::span<const Variant> args, Variant* result,
                         EXCEPINFO* excepInfo, UINT* argErr) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace plat::com
