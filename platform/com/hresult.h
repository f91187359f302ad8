// Result codes of the component layer, with the platform's numeric values.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace plat::com {

namespace detail {
constexpr HRESULT Code(DWORD value) { return static_cast<HRESULT>(value); }
}  // namespace detail

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;

inline constexpr HRESULT E_NOTIMPL = detail::Code(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = detail::Code(0x80004002);
inline constexpr HRESULT E_POINTER = detail::Code(0x80004003);
inline constexpr HRESULT E_FAIL = detail::Code(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = detail::Code(0x8000FFFF);
inline constexpr HRESULT E_INVALIDARG = detail::Code(0x80070057);
inline constexpr HRESULT E_OUTOFMEMORY = detail::Code(0x8007000E);

inline constexpr HRESULT CLASS_E_NOAGGREGATION = detail::Code(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = detail::Code(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = detail::Code(0x80040154);
inline constexpr HRESULT CO_E_CLASSSTRING = detail::Code(0x800401F3);  // a ProgID that names no class

inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = detail::Code(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = detail::Code(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = detail::Code(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = detail::Code(0x80020006);
inline constexpr HRESULT DISP_E_EXCEPTION = detail::Code(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = detail::Code(0x8002000A);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = detail::Code(0x8002000E);

inline constexpr HRESULT TYPE_E_REGISTRYACCESS = detail::Code(0x8002801C);
inline constexpr HRESULT TYPE_E_LIBNOTREGISTERED = detail::Code(0x8002801D);

// The two self-registration failures share their numbers with the connection errors, as on the
// platform: both families live in the same facility range.
inline constexpr HRESULT SELFREG_E_TYPELIB = detail::Code(0x80040200);
inline constexpr HRESULT SELFREG_E_CLASS = detail::Code(0x80040201);
inline constexpr HRESULT CONNECT_E_NOCONNECTION = detail::Code(0x80040200);
inline constexpr HRESULT CONNECT_E_ADVISELIMIT = detail::Code(0x80040201);
inline constexpr HRESULT CONNECT_E_CANNOTCONNECT = detail::Code(0x80040202);

// Saved-state streams.
inline constexpr HRESULT STG_E_READFAULT = detail::Code(0x8003001E);
inline constexpr HRESULT STG_E_WRITEFAULT = detail::Code(0x8003001D);
inline constexpr HRESULT STG_E_INVALIDHEADER = detail::Code(0x800300FB);
inline constexpr HRESULT STG_E_OLDFORMAT = detail::Code(0x80030104);

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// A system error number (the registry's, the kernel's) as a result code: 0 stays S_OK, anything else
// becomes 0x8007xxxx.
constexpr HRESULT HResultFromWin32(DWORD error) {
  return error == 0 ? S_OK : detail::Code((error & 0xFFFF) | 0x80070000);
}

// "DISP_E_MEMBERNOTFOUND (0x80020003)" for the codes above, "0x........" for any other. Where two
// names share a number, both are given.
std::string HResultName(HRESULT hr);

}  // namespace plat::com
