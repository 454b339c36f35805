#include "config/number_text.h"

#include <charconv>
#include <cmath>
#include <string>

namespace tessar {

QString FormatFixed(double value, int decimals) {
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return QString::number(value, 'f', decimals);
  return QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
}

bool ParseNumber(const QString& text, double& value) {
  const std::string bytes = text.trimmed().toStdString();
  const char* first = bytes.data();
  const char* last = first + bytes.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  // from_chars would take "inf" and "nan"; a number here has digits
  for (const char* p = first; p != last; ++p) {
    const char c = *p;
    const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' ||
                         c == 'E';
    if (!allowed) return false;
  }
  double parsed = 0.0;
  const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

}  // namespace tessar
