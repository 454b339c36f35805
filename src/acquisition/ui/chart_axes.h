// The live charts' axes. Chart x values are day counts (date_time.h): the
// record time, or with the elapsed-time axis the days since the start of the
// run. Qt Charts wants milliseconds since the Unix epoch on a QDateTimeAxis,
// so every point, every axis end and every reading of a chart position goes
// through the two conversions below.
//
// Both kinds of x take the same mapping: a day count is the local wall-clock
// time that many days after 1899-12-30 00:00. A record time therefore shows
// its own clock time on the "hh:mm:ss" labels, and an elapsed x of 0.25 shows
// "06:00:00" (six hours into the run; whole days are read out by the mouse
// read-out, not by the labels).
#pragma once

#include <QtCharts/QAbstractAxis>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QValueAxis>
#include <utility>

#include "acquisition/axis_scale.h"

namespace tessar {

class ChartPage;

// Day count -> x of a series point or an axis end (ms since the Unix epoch).
double ChartAxisValue(double dayCount);
// x of a series point or an axis position -> day count.
double DayCountOfAxisValue(double axisValue);

// Sets the bottom axis to [minDays, maxDays] in one step, so that its
// maximum is never below its minimum, not even in between. Ends given the
// wrong way round are swapped; an empty span is widened by one second to the
// right so that the chart keeps a usable scale.
void SetTimeAxisRange(QDateTimeAxis* axis, double minDays, double maxDays);
// The bottom axis range as day counts.
std::pair<double, double> TimeAxisRange(const QDateTimeAxis* axis);

// Whether an axis follows its data ("automatic") or keeps a range the user
// or the scrolling window chose. New axes are automatic.
bool AxisAutomatic(const QAbstractAxis* axis);
void SetAxisAutomatic(QAbstractAxis* axis, bool automatic);

// Shows `scale` on a value axis: its range, labelled on the multiples of its
// step (evenly spread ticks when it has none).
void ShowValueScale(QValueAxis* axis, const AxisScale& scale);
// The range [min, max] as it stands, with the round ticks inside it.
void ShowValueRange(QValueAxis* axis, double min, double max);

// The automatic value axis takes the values of the visible series in, on
// round ticks with the values a little inside (AutomaticScale); a single
// level is shown with one unit either side. Without any point the axis
// keeps its range.
void FitValueAxis(ChartPage& page);
// Widens the automatic value axis to take in [low, high]; `fresh`: the chart
// held no point before, so the range starts from these values alone.
void ExtendValueAxis(QValueAxis* axis, double low, double high, bool fresh);

}  // namespace tessar
