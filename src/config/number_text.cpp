#include "config/number_text.h"

#include "common/number_text.h"

namespace tessar {

QString FormatFixed(double value, int decimals) {
  return QString::fromStdString(FormatFixed(value, 0, decimals));
}

bool ParseNumber(const QString& text, double& value) {
  return ParseDecimal(text.toStdString(), value);
}

}  // namespace tessar
