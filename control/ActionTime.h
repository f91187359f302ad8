// The default of the ActionTime property: a local time stamp of 14 digits.
#pragma once

#include <ctime>
#include <string>

namespace drev {

// `when` as local time in the form year, month, day, hour, minute, second ("%Y%m%d%H%M%S", 14
// digits), formatted into a 128-byte buffer. Empty when the time cannot be converted to local time
// or the formatting fails.
std::string FormatActionTime(std::time_t when);

}  // namespace drev
