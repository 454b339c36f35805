#include "acquisition/ui/chart_axes.h"

#include <QDateTime>
#include <QtCharts/QLineSeries>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/date_time.h"
#include "shell/ui/chart_page.h"

namespace tessar {
namespace {

constexpr char kAutomaticProperty[] = "tessarAutomatic";
constexpr double kOneSecond = 1.0 / kSecondsPerDay;
constexpr double kFlatMargin = 1.0;  // value axis units either side of a single level

constexpr char kDataLowProperty[] = "tessarDataLow";
constexpr char kDataHighProperty[] = "tessarDataHigh";

// Shows [low, high], the values of the visible points, which the axis keeps
// so that later points widen the data range rather than a padded one.
void SetValueRange(QValueAxis* axis, double low, double high) {
  axis->setProperty(kDataLowProperty, low);
  axis->setProperty(kDataHighProperty, high);
  if (high - low <= 0.0) {
    low -= kFlatMargin;
    high += kFlatMargin;
  }
  axis->setRange(low, high);
}

}  // namespace

double ChartAxisValue(double dayCount) {
  return static_cast<double>(FromDayCount(dayCount).toMSecsSinceEpoch());
}

double DayCountOfAxisValue(double axisValue) {
  return ToDayCount(QDateTime::fromMSecsSinceEpoch(std::llround(axisValue)));
}

void SetTimeAxisRange(QDateTimeAxis* axis, double minDays, double maxDays) {
  if (maxDays < minDays) std::swap(minDays, maxDays);
  if (maxDays - minDays < kOneSecond / 2) maxDays = minDays + kOneSecond;
  axis->setRange(FromDayCount(minDays), FromDayCount(maxDays));
}

std::pair<double, double> TimeAxisRange(const QDateTimeAxis* axis) {
  return {ToDayCount(axis->min()), ToDayCount(axis->max())};
}

bool AxisAutomatic(const QAbstractAxis* axis) {
  const QVariant flag = axis->property(kAutomaticProperty);
  return !flag.isValid() || flag.toBool();
}

void SetAxisAutomatic(QAbstractAxis* axis, bool automatic) {
  axis->setProperty(kAutomaticProperty, automatic);
}

void FitValueAxis(ChartPage& page) {
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (QLineSeries* series : page.Series) {
    if (!series->isVisible()) continue;
    for (const QPointF& p : series->points()) {
      low = std::min(low, p.y());
      high = std::max(high, p.y());
    }
  }
  if (low > high) return;  // no point shown
  SetValueRange(page.ValueAxis, low, high);
}

void ExtendValueAxis(QValueAxis* axis, double low, double high, bool fresh) {
  if (low > high) return;
  const QVariant oldLow = axis->property(kDataLowProperty);
  const QVariant oldHigh = axis->property(kDataHighProperty);
  if (!fresh && oldLow.isValid() && oldHigh.isValid()) {
    if (low >= oldLow.toDouble() && high <= oldHigh.toDouble()) return;
    low = std::min(low, oldLow.toDouble());
    high = std::max(high, oldHigh.toDouble());
  }
  SetValueRange(axis, low, high);
}

}  // namespace tessar
