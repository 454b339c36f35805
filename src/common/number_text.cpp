#include "common/number_text.h"

#include <charconv>
#include <cmath>

namespace tessar {

namespace {
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
}  // namespace

std::string FormatFixed(double value, int width, int precision) {
  std::string text;
  if (std::isnan(value)) {
    text = std::signbit(value) ? "-nan" : "nan";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-inf" : "inf";
  } else {
    char buffer[400];  // the largest double has 309 integer digits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    text.assign(buffer, result.ptr);
  }
  if (static_cast<int>(text.size()) < width) text.insert(0, width - text.size(), ' ');
  return text;
}

bool ParseDecimal(std::string_view text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first < last && IsBlank(*first)) ++first;
  while (last > first && IsBlank(last[-1])) --last;
  if (first < last && *first == '+') ++first;  // from_chars takes no plus sign
  if (first == last) return false;
  double parsed = 0.0;
  const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

}  // namespace tessar
