// Numbers in the edit boxes of the configuration and chart pages, as QString.
#pragma once

#include <QString>

namespace tessar {

// printf "%.<decimals>f" in the C locale.
QString FormatFixed(double value, int decimals);

// Reads a whole text as a number (see ParseDecimal in common/number_text.h).
bool ParseNumber(const QString& text, double& value);

}  // namespace tessar
