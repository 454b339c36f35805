#include "browser/chart_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>

#include "common/date_time.h"
#include "i18n/messages.h"

namespace tessar {

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

std::string Printf(const char* format, auto... args) {
  char text[96];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

// Whole days and milliseconds of the time of day of a non-negative span.
void SplitSpan(double days, std::int64_t& whole, std::int64_t& ms) {
  whole = static_cast<std::int64_t>(std::trunc(days));
  ms = std::llround((days - std::trunc(days)) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    ++whole;
  }
}

}  // namespace

double ElapsedSeconds(double dayDifference) {
  if (!std::isfinite(dayDifference)) return 0.0;
  const double span = std::fabs(dayDifference);
  std::int64_t whole = 0, ms = 0;
  SplitSpan(span, whole, ms);
  const double seconds =
      static_cast<double>(whole * 86400 + ms / 1000) + static_cast<double>(ms % 1000) * 0.001;
  return dayDifference < 0 ? -seconds : seconds;
}

double AxisX(AxisMode mode, double recordTime, double start) {
  switch (mode) {
    case AxisMode::RecordTime:
      return recordTime;
    case AxisMode::ElapsedTime:
      return recordTime - start;
    case AxisMode::ElapsedSeconds:
      return ElapsedSeconds(recordTime - start);
  }
  return recordTime;
}

std::string FormatAxisValue(AxisMode mode, double x) {
  switch (mode) {
    case AxisMode::ElapsedSeconds:
      return Printf("%14.1f    ", x);
    case AxisMode::ElapsedTime: {
      const CalendarTime t = DecodeDateTime(x);
      const auto days = static_cast<std::uint16_t>(static_cast<std::int64_t>(std::trunc(x)));
      return Printf("%6d %02d:%02d:%02d", static_cast<int>(days), t.hour, t.minute, t.second);
    }
    case AxisMode::RecordTime:
      break;
  }
  return FormatDateTime(x);
}

std::string TrimmedAxisValue(AxisMode mode, double x) {
  std::string text = FormatAxisValue(mode, x);
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

ChartData::ChartData() {
  for (int i = 0; i < kBrowserSeriesCount; ++i) titles[i] = QStringLiteral("CH%1").arg(i);
}

void ChartData::Clear() {
  x.clear();
  for (auto& series : y) series.clear();
}

void ChartData::Add(double xValue, const double* values) {
  x.push_back(xValue);
  for (int i = 0; i < channelCount; ++i) y[i].push_back(values[i]);
}

void ChartData::SortByX() {
  if (std::is_sorted(x.begin(), x.end())) return;
  std::vector<std::size_t> order(x.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this](std::size_t a, std::size_t b) { return x[a] < x[b]; });
  auto permute = [&order](std::vector<double>& v) {
    if (v.size() != order.size()) return;
    std::vector<double> sorted(v.size());
    for (std::size_t i = 0; i < order.size(); ++i) sorted[i] = v[order[i]];
    v.swap(sorted);
  };
  for (auto& series : y) permute(series);
  permute(x);
}

AxisRange Zoomed(AxisRange range, double percent) {
  const double d = (range.max - range.min) * (percent - 100.0) / 100.0;
  return {range.min + d, range.max - d};
}

AxisRange DataRange(const std::vector<double>& values) {
  if (values.empty()) return {};
  const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
  return {*lo, *hi};
}

void Smooth(std::vector<double>& y) {
  static constexpr double kCentre = 0.333334;
  static constexpr double kWeights[5] = {0.27972, 0.13986, -0.02331, -0.104895, 0.041958};
  const std::size_t n = y.size();
  if (n < 12) return;
  for (std::size_t j = 5; j + 6 <= n; ++j) {
    double v = kCentre * y[j];
    for (std::size_t k = 1; k <= 5; ++k) v += kWeights[k - 1] * (y[j - k] + y[j + k]);
    y[j] = v;  // stored at once: the next point sees it as a left neighbour
  }
}

SeriesStats SeriesStatistics(const std::vector<double>& y) {
  SeriesStats s;
  if (y.empty()) return s;
  double sum = 0.0, squares = 0.0;
  s.minimum = s.maximum = y.front();
  for (double v : y) {
    sum += v;
    squares += v * v;
    s.minimum = std::min(s.minimum, v);
    s.maximum = std::max(s.maximum, v);
  }
  const double n = static_cast<double>(y.size());
  s.mean = sum / n;
  const double variance = squares / n - s.mean * s.mean;
  s.deviation = variance > 0 ? std::sqrt(variance) : 0.0;
  return s;
}

QStringList StatisticsMemoLines(const ChartData& data, bool korean) {
  const QString dashes(38, QLatin1Char('-'));
  QStringList lines;
  lines << MessageText(Msg::BrowserStatisticsTitle, korean) << dashes;
  for (int i = 0; i < kBrowserSeriesCount; ++i) {
    const SeriesStats s = SeriesStatistics(data.y[i]);
    lines << QString::fromStdString(Printf("CH%d: Count=%d,  Average=%.2f, Max=%.2f, Min=%.2f", i,
                                           data.PointCount(i), s.mean, s.maximum, s.minimum));
  }
  lines << dashes << MessageText(Msg::BrowserStatisticsClose, korean);
  return lines;
}

}  // namespace tessar
