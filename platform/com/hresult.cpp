// Readable names of result codes, for hosts and test messages.
#include "platform/com/hresult.h"

#include <cstdio>
#include <utility>

namespace plat::com {

std::string HResultName(HRESULT hr) {
  static const std::pair<HRESULT, const char*> kNames[] = {
      {S_OK, "S_OK"},
      {S_FALSE, "S_FALSE"},
      {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_POINTER, "E_POINTER"},
      {E_FAIL, "E_FAIL"},
      {E_UNEXPECTED, "E_UNEXPECTED"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {CLASS_E_NOAGGREGATION, "CLASS_E_NOAGGREGATION"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
      {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG"},
      {CO_E_CLASSSTRING, "CO_E_CLASSSTRING"},
      {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
      {DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
      {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME"},
      {DISP_E_EXCEPTION, "DISP_E_EXCEPTION"},
      {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"},
      {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
      {TYPE_E_REGISTRYACCESS, "TYPE_E_REGISTRYACCESS"},
      {TYPE_E_LIBNOTREGISTERED, "TYPE_E_LIBNOTREGISTERED"},
      {SELFREG_E_TYPELIB, "SELFREG_E_TYPELIB/CONNECT_E_NOCONNECTION"},
      {SELFREG_E_CLASS, "SELFREG_E_CLASS/CONNECT_E_ADVISELIMIT"},
      {CONNECT_E_CANNOTCONNECT, "CONNECT_E_CANNOTCONNECT"},
      {STG_E_READFAULT, "STG_E_READFAULT"},
      {STG_E_WRITEFAULT, "STG_E_WRITEFAULT"},
      {STG_E_INVALIDHEADER, "STG_E_INVALIDHEADER"},
      {STG_E_OLDFORMAT, "STG_E_OLDFORMAT"},
  };
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(hr));
  for (const auto& [code, name] : kNames)
    if (code == hr) return std::string(name) + " (" + hex + ")";
  return hex;
}

}  // namespace plat::com
