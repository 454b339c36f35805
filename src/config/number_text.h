// Numbers in the edit boxes of the configuration and chart pages: always the
// C locale (decimal point '.'), whatever the user's locale.
#pragma once

#include <QString>

namespace tessar {

// printf "%.<decimals>f" in the C locale.
QString FormatFixed(double value, int decimals);

// Reads a whole text as a number: blanks around it are allowed, a sign, a
// decimal point and an exponent; anything else (empty text, letters, a
// second point, infinities, NaN) is not a number.
bool ParseNumber(const QString& text, double& value);

}  // namespace tessar
