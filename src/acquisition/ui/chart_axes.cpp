#include "acquisition/ui/chart_axes.h"

#include <QDateTime>
#include <QtCharts/QLineSeries>
#include <algorithm>
#include <cmath>
#include <limits>

#include "acquisition/chart_model.h"

#include "common/date_time.h"
#include "acquisition/ui/chart_page.h"

namespace tessar {
namespace {

constexpr char kAutomaticProperty[] = "tessarAutomatic";
constexpr double kOneSecond = 1.0 / kSecondsPerDay;
constexpr int kEvenTicks = 5;  // ticks of a range without a round step

constexpr char kDataLowProperty[] = "tessarDataLow";
constexpr char kDataHighProperty[] = "tessarDataHigh";

// Shows the automatic range of [low, high], the values of the visible
// points, which the axis keeps so that later points widen the data range
// rather than the rounded one.
void SetValueRange(QValueAxis* axis, double low, double high) {
  axis->setProperty(kDataLowProperty, low);
  axis->setProperty(kDataHighProperty, high);
  ShowValueScale(axis, AutomaticScale(low, high));
}

}  // namespace

// Day counts below zero carry their time of day away from zero (-0.25 is
// 06:00 on the epoch's day), which is no straight line. The elapsed axis
// reaches below zero when its scrolling window starts before the run, so
// there the axis runs on straight from the epoch's midnight: -30 s lies 30 s
// to the left of 0 and reads 23:59:30.
double EpochAxisValue() { return static_cast<double>(FromDayCount(0.0).toMSecsSinceEpoch()); }

double ChartAxisValue(double dayCount) {
  if (dayCount < 0.0) return EpochAxisValue() + dayCount * kSecondsPerDay * 1000.0;
  return static_cast<double>(FromDayCount(dayCount).toMSecsSinceEpoch());
}

double DayCountOfAxisValue(double axisValue) {
  const double epoch = EpochAxisValue();
  if (axisValue < epoch) return (axisValue - epoch) / (kSecondsPerDay * 1000.0);
  return ToDayCount(QDateTime::fromMSecsSinceEpoch(std::llround(axisValue)));
}

namespace {
QDateTime AxisDateTime(double dayCount) {
  return QDateTime::fromMSecsSinceEpoch(std::llround(ChartAxisValue(dayCount)));
}
}  // namespace

void SetTimeAxisRange(QDateTimeAxis* axis, double minDays, double maxDays) {
  if (maxDays < minDays) std::swap(minDays, maxDays);
  if (maxDays - minDays < kOneSecond / 2) maxDays = minDays + kOneSecond;
  axis->setRange(AxisDateTime(minDays), AxisDateTime(maxDays));
}

std::pair<double, double> TimeAxisRange(const QDateTimeAxis* axis) {
  return {DayCountOfAxisValue(static_cast<double>(axis->min().toMSecsSinceEpoch())),
          DayCountOfAxisValue(static_cast<double>(axis->max().toMSecsSinceEpoch()))};
}

bool AxisAutomatic(const QAbstractAxis* axis) {
  const QVariant flag = axis->property(kAutomaticProperty);
  return !flag.isValid() || flag.toBool();
}

void SetAxisAutomatic(QAbstractAxis* axis, bool automatic) {
  axis->setProperty(kAutomaticProperty, automatic);
}

void ShowValueScale(QValueAxis* axis, const AxisScale& scale) {
  // The ticks first: a new range lays the axis out at once, with the ticks
  // it has then, while tick changes wait for the next layout.
  if (scale.step > 0) {
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(scale.anchor);
    axis->setTickInterval(scale.interval);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(scale.decimals) + QStringLiteral("f"));
  } else {
    axis->setTickType(QValueAxis::TicksFixed);
    axis->setTickCount(kEvenTicks);
    axis->setLabelFormat(QString());
  }
  axis->setRange(scale.min, scale.max);
}

void ShowValueRange(QValueAxis* axis, double min, double max) { ShowValueScale(axis, ScaleOfRange(min, max)); }

void FitValueAxis(ChartPage& page) {
  if (page.model() == nullptr) return;
  std::array<bool, kChartSlots> shown{};
  for (int i = 0; i < kChartSlots; ++i) shown[i] = page.Series[i]->isVisible();
  double low = 0.0;
  double high = 0.0;
  if (!page.model()->ValueRange(shown, low, high)) return;  // no point shown
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
