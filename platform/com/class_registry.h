// Registering a control class (CLSID and ProgID keys) and finding a class's module from its ProgID.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

namespace plat::com {

struct ControlClassInfo {
  CLSID clsid;
  std::string progId;          // "DREV.multiuploadctrl.1"
  std::string userTypeName;    // CP949
  std::string modulePath;      // UTF-8 file path of the module
  UINT toolboxBitmapId = 1;
  std::string threadingModel = "Apartment";
  DWORD miscStatus = 0;
  GUID typeLib;
  WORD typeLibMajor = 1;
  WORD typeLibMinor = 0;
  bool insertable = false;
};

// Writes, under HKEY_CLASSES_ROOT:
//   CLSID\{clsid}                   default = user type name
//     \ProgID                       default = ProgID
//     \InprocServer32               default = module path, "ThreadingModel" = threading model
//     \ToolboxBitmap32              default = "<module path>, <bitmap id>"
//     \MiscStatus                   default = "0"; \MiscStatus\1 default = misc status in decimal
//     \TypeLib                      default = {typeLib}
//     \Version                      default = "<major>.<minor>"
//     \Control                      (empty key)
//     \Insertable                   (only when insertable)
//   <ProgID>                        default = user type name; \CLSID default = {clsid}
// Registering again rewrites the same keys. Registry failures come back as HResultFromWin32; a module
// path that the registry's CP949 texts cannot hold is refused the same way.
HRESULT RegisterControlClass(const ControlClassInfo& info);

// Removes the keys RegisterControlClass wrote for `clsid` and the ProgID key. What others put under
// CLSID\{clsid} stays (a class stays listed under its component categories); the CLSID key itself
// goes when nothing is left in it.
HRESULT UnregisterControlClass(const CLSID& clsid, std::string_view progId);

// The class id a ProgID names; CO_E_CLASSSTRING when the ProgID is not registered.
HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid);

// The module file (UTF-8 path) that serves class `clsid` in process; REGDB_E_CLASSNOTREG when the
// class is not registered.
HRESULT GetInprocServerPath(const CLSID& clsid, std::string* path);

}  // namespace plat::com
