// Byte counts as short texts with units, in the integer and the single-precision forms.
#include "model/SizeText.h"

#include <cstdio>

namespace drev {

namespace {

constexpr plat::DWORD kKilo = 1024;
constexpr plat::DWORD kMega = 1048576;

std::string Printf(const char* format, auto value) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

// One part of the progress text: the count in KB up to and including one megabyte, else in MB.
std::string ProgressPart(plat::DWORD count, const char* kbFormat, const char* mbFormat) {
  float value = static_cast<float>(count);
  if (count <= kMega) return Printf(kbFormat, static_cast<double>(value * 0.0009765625f));
  return Printf(mbFormat, static_cast<double>(value * 9.5367431640625e-07f));
}

}  // namespace

std::string FormatSizeText(plat::DWORD count) {
  if (count >= kMega) return Printf("%dMB", static_cast<int>(count >> 20));
  if (count >= kKilo) return Printf("%dKB", static_cast<int>(count >> 10));
  return Printf("%dByte", static_cast<int>(count));
}

std::string FormatProgressText(plat::DWORD sent, plat::DWORD total) {
  return ProgressPart(sent, "%5.2f KB / ", "%5.2f MB / ") + ProgressPart(total, "%5.2f KB", "%5.2f MB");
}

}  // namespace drev
