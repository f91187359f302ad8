// Formatting of the ActionTime default.
#include "control/ActionTime.h"

namespace drev {

std::string FormatActionTime(std::time_t when) {
  std::tm local{};
  if (!localtime_r(&when, &local)) return {};
  char buffer[128];
  // Minutes, then seconds: the stamp names every field once.
  std::size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &local);
  return std::string(buffer, n);
}

}  // namespace drev
