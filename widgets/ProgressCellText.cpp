// Progress cell texts: a printf-style format limited to one integer conversion.
#include "widgets/ProgressCellText.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace drev {

std::string FormatProgressCellText(std::string_view format, int percent) {
  if (format.empty()) format = "%d%%";
  std::string out;
  bool used = false;
  const std::size_t n = format.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    std::size_t j = i + 1;
    while (j < n && std::strchr("-+ #0", format[j]) && format[j] != '\0') ++j;
    while (j < n && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
    if (j < n && format[j] == '.') {
      ++j;
      while (j < n && std::isdigit(static_cast<unsigned char>(format[j]))) ++j;
    }
    if (j >= n) {  // a lone '%' at the end
      out.append(format.substr(i));
      break;
    }
    const char conversion = format[j];
    if (conversion == '%' && j == i + 1) {
      out += '%';
    } else if (!used && (conversion == 'd' || conversion == 'i' || conversion == 'u')) {
      std::string directive(format.substr(i, j - i));
      directive += 'd';
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, directive.c_str(), percent);
      out += buffer;
      used = true;
    } else {
      out.append(format.substr(i, j - i + 1));
    }
    i = j;
  }
  return out;
}

}  // namespace drev
