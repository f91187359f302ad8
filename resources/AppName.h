// The application name: the caption of every message box the control shows.
#pragma once

#include <string>

namespace drev {

// The base name of the module file that holds this code ("zelk" for zelk.ocx). When the code is
// linked straight into a program (the tests) there is no module file, and the name is "zelk", the
// module's own name. CP949 text (file names of the module are ASCII).
const std::string& AfxGetAppName();

}  // namespace drev
