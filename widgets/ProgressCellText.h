// The text a progress cell prints over its bar, from the caller's format and the percent.
#pragma once

#include <string>
#include <string_view>

namespace drev {

// Applies `format` (empty: "%d%%") to `percent` the way printf would for a format with one integer
// conversion: "%%" gives "%", the first %d/%i/%u (flags, width and precision allowed) gives the
// percent. Any other conversion, or a second integer one, is copied as written instead of reading
// an argument that is not there, so a caller's format can never make the paint read wild memory.
std::string FormatProgressCellText(std::string_view format, int percent);

}  // namespace drev
