// The description of the control's type library DREV 1.0: _DDrev, _DDrevEvents and the class DREV.
#pragma once

#include "platform/com/typelib.h"

namespace drev {

// The library as the module registers it: version 1.0, locale 0x0409, help file "DREV.hlp", the
// Korean help strings (CP949), `_DDrev` with its methods and the properties pages may name
// (`Normal_UploadURL` is implemented by the control but not declared here), `_DDrevEvents` with its
// eight events, and the control class `DREV` with those two as its default and default source.
const plat::com::TypeLibrary& DrevTypeLibrary();

}  // namespace drev
