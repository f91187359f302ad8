// The fixed identifiers of the control: type library, control class, dispatch and event interfaces,
// ProgID, version and miscellaneous status. Chosen once; everything that names them uses these.
#pragma once

#include "platform/com/guid.h"

namespace drev {

// The type library DREV, version 1.0.
inline constexpr plat::com::GUID LIBID_DREV = plat::com::MakeGuid("{6B1E2A40-3C57-4D8E-9A21-5F0C7D3E8B11}");
inline constexpr plat::WORD kTypeLibMajor = 1;
inline constexpr plat::WORD kTypeLibMinor = 0;
inline constexpr plat::com::LCID kTypeLibLcid = 0x0409;

// The creatable control class DREV.
inline constexpr plat::com::CLSID CLSID_DREV = plat::com::MakeGuid("{6B1E2A41-3C57-4D8E-9A21-5F0C7D3E8B11}");
// The dispatch interface _DDrev and the event interface _DDrevEvents.
inline constexpr plat::com::IID DIID__DDrev = plat::com::MakeGuid("{6B1E2A42-3C57-4D8E-9A21-5F0C7D3E8B11}");
inline constexpr plat::com::IID DIID__DDrevEvents =
    plat::com::MakeGuid("{6B1E2A43-3C57-4D8E-9A21-5F0C7D3E8B11}");

inline constexpr const char* kProgId = "DREV.multiuploadctrl.1";

// Persisted-property format version 1.0: major in the high word, minor in the low word.
inline constexpr plat::DWORD kPropVersion = 0x00010000;

// set-client-site-first | activate-when-visible | inside-out | can't-link-inside | recompose-on-resize
inline constexpr plat::DWORD kMiscStatus = 0x00020191;

}  // namespace drev
