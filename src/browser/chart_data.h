// The data of the browser's chart: up to nine series (series i = channel i)
// sharing one x value per point, kept in ascending x order, and the chart
// operations that work on them as they stand (zoom, smoothing, statistics).
// Exports and the report read this model, never the drawn points.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

namespace tessar {

inline constexpr int kBrowserSeriesCount = 9;

// The three x axes of the browser: record time (date-time), elapsed time
// since the load's start (date-time difference) and elapsed seconds.
enum class AxisMode { RecordTime = 0, ElapsedTime = 1, ElapsedSeconds = 2 };

// Seconds of a date-time difference: days x 86400 plus the time of day to
// the millisecond. A negative difference (a record before the start) counts
// as the same span below zero.
double ElapsedSeconds(double dayDifference);

// The x value of a record at `recordTime` for a load that started at `start`.
double AxisX(AxisMode mode, double recordTime, double start);

// The text of an x value: mode 0 "%d-%02d-%02d %02d:%02d:%02d", mode 1
// "%6d %02d:%02d:%02d" (whole days as an unsigned 16-bit number), mode 2
// "%14.1f    ". Untrimmed.
std::string FormatAxisValue(AxisMode mode, double x);
// The same with surrounding blanks removed (cursor read-out, spreadsheet).
std::string TrimmedAxisValue(AxisMode mode, double x);

struct ChartData {
  std::vector<double> x;                                 // one per point, ascending
  std::array<std::vector<double>, kBrowserSeriesCount> y;  // series 0..channelCount-1 filled
  std::array<QString, kBrowserSeriesCount> titles;       // "CH0".. until a file is loaded
  int channelCount = 7;

  ChartData();
  // Empties every series; titles and channel count stay.
  void Clear();
  int PointCount(int series) const { return static_cast<int>(y[series].size()); }
  // Adds one point to series 0..channelCount-1; `values` holds channelCount values.
  void Add(double xValue, const double* values);
  // Puts the points in ascending x order; points of equal x keep the order
  // in which they were added (a point with a smaller x than points already
  // present goes before them).
  void SortByX();
};

struct AxisRange {
  double min = 0.0;
  double max = 0.0;
  bool operator==(const AxisRange&) const = default;
};

// Zoom by `percent` (110 in, 90 out, 95 after a load): the range shrinks by
// (percent - 100) % of its span at both ends (grows when negative).
AxisRange Zoomed(AxisRange range, double percent);
// The automatic range of values (min and max; 0..0 when empty).
AxisRange DataRange(const std::vector<double>& values);

// The 11-point smoothing, in place: points 5 .. n-6 in ascending order, each
// computed from its left neighbours as already smoothed in this pass. Series
// of 11 points or fewer stay as they are.
void Smooth(std::vector<double>& y);

struct SeriesStats {
  double minimum = 0.0;
  double maximum = 0.0;
  double mean = 0.0;
  double deviation = 0.0;  // population standard deviation
};
SeriesStats SeriesStatistics(const std::vector<double>& y);

// The lines of the statistics memo: every series 0..8, also those beyond
// the channel count.
QStringList StatisticsMemoLines(const ChartData& data, bool korean);

}  // namespace tessar
