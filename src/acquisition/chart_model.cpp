#include "acquisition/chart_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "common/date_time.h"

namespace tessar {

ChartModel::ChartModel() {
  x_.reserve(kChartPointLimit);
  for (auto& y : y_) y.reserve(kChartPointLimit);
}

void ChartModel::Append(double x, const std::array<double, kChartSlots>& y) {
  x_.push_back(x);
  for (int i = 0; i < kChartSlots; ++i) y_[i].push_back(y[i]);
}

void ChartModel::Clear() {
  x_.clear();
  for (auto& y : y_) y.clear();
}

bool ChartModel::ValueRange(const std::array<bool, kChartSlots>& slots, double& low,
                            double& high) const {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -lo;
  for (int i = 0; i < kChartSlots; ++i) {
    if (!slots[i] || y_[i].empty()) continue;
    const auto [mn, mx] = std::minmax_element(y_[i].begin(), y_[i].end());
    lo = std::min(lo, *mn);
    hi = std::max(hi, *mx);
  }
  if (lo > hi) return false;
  low = lo;
  high = hi;
  return true;
}

std::vector<EnvelopeColumn> ReduceToColumns(std::span<const double> xs,
                                            std::span<const double> ys, double x0, double x1,
                                            int columns) {
  std::vector<EnvelopeColumn> out;
  const std::size_t n = std::min(xs.size(), ys.size());
  if (n == 0 || columns < 1 || !(x1 > x0)) return out;
  out.reserve(std::min<std::size_t>(n, 2 * static_cast<std::size_t>(columns) + 2));
  const double scale = columns / (x1 - x0);
  for (std::size_t i = 0; i < n; ++i) {
    const double at = (xs[i] - x0) * scale;
    int column;
    if (!(at >= 0.0)) {
      column = -1;  // left of the plot (or not a number)
    } else if (at >= columns) {
      column = columns;
    } else {
      column = static_cast<int>(at);
    }
    const double y = ys[i];
    if (!out.empty() && out.back().column == column) {
      EnvelopeColumn& c = out.back();
      c.low = std::min(c.low, y);
      c.high = std::max(c.high, y);
      c.last = y;
      c.lastX = xs[i];
      ++c.count;
    } else {
      out.push_back({column, xs[i], xs[i], y, y, y, y, 1});
    }
  }
  return out;
}

std::vector<int> MarkerIndices(std::span<const double> xs, std::span<const double> ys,
                               const PlotMapping& map, double spacing) {
  std::vector<int> marked;
  const std::size_t n = std::min(xs.size(), ys.size());
  double lastX = 0.0;
  double lastY = 0.0;
  bool any = false;
  const double right = map.left + map.width;
  const double bottom = map.top + map.height;
  for (std::size_t i = 0; i < n; ++i) {
    const double px = map.Px(xs[i]);
    const double py = map.Py(ys[i]);
    if (!(px >= map.left && px <= right && py >= map.top && py <= bottom)) continue;
    if (any && std::abs(px - lastX) < spacing && std::abs(py - lastY) < spacing) continue;
    marked.push_back(static_cast<int>(i));
    lastX = px;
    lastY = py;
    any = true;
  }
  return marked;
}

std::pair<double, double> ZoomAbout(double low, double high, double factor) {
  const double centre = (low + high) / 2.0;
  const double half = (high - low) / 2.0 / factor;
  return {centre - half, centre + half};
}

std::pair<double, double> UsableRange(double low, double high, double margin) {
  if (!std::isfinite(low) || !std::isfinite(high)) return {-margin, margin};
  if (high < low) std::swap(low, high);
  if (high - low > 0.0) return {low, high};
  return {low - margin, high + margin};
}

std::pair<double, double> ScrollWindow(double x, std::int64_t sampleIntervalSeconds) {
  const std::int64_t interval = std::max<std::int64_t>(sampleIntervalSeconds, 1);
  return {x - static_cast<double>(35 * interval) / kSecondsPerDay,
          x + static_cast<double>(5 * interval) / kSecondsPerDay};
}

std::string FormatReadoutTime(double x, bool elapsedAxis) {
  char text[64];
  if (elapsedAxis) {
    const double days = std::floor(x);
    std::int64_t seconds = std::llround((x - days) * kSecondsPerDay);
    std::int64_t whole = static_cast<std::int64_t>(days);
    if (seconds >= static_cast<std::int64_t>(kSecondsPerDay)) {  // rounded up to midnight
      seconds = 0;
      ++whole;
    }
    std::snprintf(text, sizeof text, "%lld Day  %02d:%02d:%02d", static_cast<long long>(whole),
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
  } else {
    const CalendarTime t = DecodeDateTime(x);
    std::snprintf(text, sizeof text, "%d-%02d-%02d  %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
  }
  return text;
}

}  // namespace tessar
