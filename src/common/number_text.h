// Numbers as text, always in the C locale (decimal point '.'), whatever the
// user's locale and whatever Qt did to the process locale.
#pragma once

#include <string>
#include <string_view>

namespace tessar {

// The text printf would give for "%<width>.<precision>f" in the C locale.
std::string FormatFixed(double value, int width, int precision);

// "%7.2f ", "%7.3f ", "%7.0f ": a value box or memo column.
inline std::string FormatColumn(double value, int precision) {
  return FormatFixed(value, 7, precision) + ' ';
}

// Reads a whole text as a decimal number: blanks around it are allowed, a
// sign, a decimal point and an exponent; anything else (an empty text,
// letters, a second point, a comma, infinities, NaN) is not a number and
// leaves `value` unchanged.
bool ParseDecimal(std::string_view text, double& value);

}  // namespace tessar
