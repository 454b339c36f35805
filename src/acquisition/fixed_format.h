// printf-style "%W.Pf" number texts that never depend on the process locale
// (the decimal separator is always '.').
#pragma once

#include <string>

namespace tessar {

// The text printf would give for "%<width>.<precision>f" in the C locale.
std::string FormatFixed(double value, int width, int precision);

// "%7.2f ", "%7.3f ", "%7.0f ": a value box or memo column.
inline std::string FormatColumn(double value, int precision) {
  return FormatFixed(value, 7, precision) + ' ';
}

}  // namespace tessar
