// The data of a board's live chart, held once per board: one x value (the
// chart x of a record: a date-time, or the days since the run's start with
// the elapsed-time axis) and nine y values per point, at most
// kChartPointLimit points. The page draws from it and the exports read it;
// neither keeps a copy of its own.
//
// Also here, free of any widget: the reduction of a series to what a plot
// `columns` pixels wide can show (per pixel column its first, lowest,
// highest and last value), the choice of the markers that can be told apart,
// and the axis arithmetic of the chart panel (zoom, scrolling window, spans
// that never collapse).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tessar {

constexpr int kChartSlots = 9;
constexpr int kChartPointLimit = 3600;  // points per series; then the chart starts again empty

class ChartModel {
 public:
  ChartModel();

  int size() const { return static_cast<int>(x_.size()); }
  bool empty() const { return x_.empty(); }
  // Reached the limit: the cycle empties the chart after this record.
  bool Full() const { return size() >= kChartPointLimit; }

  std::span<const double> xs() const { return x_; }
  std::span<const double> ys(int slot) const { return y_[slot]; }
  double x(int i) const { return x_[i]; }
  double y(int slot, int i) const { return y_[slot][i]; }

  // Adds a point to every slot. A chart already at the limit drops nothing:
  // the caller empties it (Clear) once the record is complete.
  void Append(double x, const std::array<double, kChartSlots>& y);
  void Clear();

  // Lowest and highest y of the slots marked in `slots`; false (and the
  // arguments untouched) when there is no such value.
  bool ValueRange(const std::array<bool, kChartSlots>& slots, double& low, double& high) const;

 private:
  std::vector<double> x_;
  std::array<std::vector<double>, kChartSlots> y_;
};

// A run of consecutive points that fall into one pixel column: the column,
// the values of its first, lowest, highest and last point, and how many
// points it stands for. Drawing these reproduces every vertical extent a
// full polyline would cover in the column.
struct EnvelopeColumn {
  int column = 0;
  double firstX = 0.0;  // x of the first and of the last point
  double lastX = 0.0;
  double first = 0.0;
  double low = 0.0;
  double high = 0.0;
  double last = 0.0;
  int count = 0;
};

// Points (xs[i], ys[i]) in their order, on a plot whose x range [x0, x1]
// spans `columns` pixel columns. Points left of the plot are gathered into
// column -1 and points right of it into column `columns`, so the lines that
// enter and leave the plot keep their true neighbours.
std::vector<EnvelopeColumn> ReduceToColumns(std::span<const double> xs,
                                            std::span<const double> ys, double x0, double x1,
                                            int columns);

// A linear map from chart values to pixels: x0..x1 onto left..left+width,
// y0..y1 onto top+height..top (larger values higher up).
struct PlotMapping {
  double x0 = 0.0, x1 = 1.0, y0 = 0.0, y1 = 1.0;
  double left = 0.0, top = 0.0, width = 1.0, height = 1.0;
  double Px(double x) const { return left + (x - x0) / (x1 - x0) * width; }
  double Py(double y) const { return top + height - (y - y0) / (y1 - y0) * height; }
  double X(double px) const { return x0 + (px - left) / width * (x1 - x0); }
  double Y(double py) const { return y0 + (top + height - py) / height * (y1 - y0); }
};

// Indices of the points that get a marker: walking the points inside the
// plot in order, a point is marked when it lies at least `spacing` pixels
// (horizontally or vertically) from the last marked one. Points that far
// apart all get one.
std::vector<int> MarkerIndices(std::span<const double> xs, std::span<const double> ys,
                               const PlotMapping& map, double spacing);

// An axis range [low, high] scaled about its centre: factor 1.1 shows 110 %
// (the span shrinks to 1/1.1), 0.9 shows 90 %.
std::pair<double, double> ZoomAbout(double low, double high, double factor);

// A range that can be drawn: ends in order and a span above zero (an empty
// span is widened by `margin` either side; ends that are not finite give
// [-margin, margin]).
std::pair<double, double> UsableRange(double low, double high, double margin);

// The scrolling window of the time axis around the last point x:
// 35 sample intervals back, 5 ahead; an interval below 1 s counts as 1 s.
std::pair<double, double> ScrollWindow(double x, std::int64_t sampleIntervalSeconds);

// The mouse read-out of a chart x: with the elapsed-time axis whole days and
// the time of day of the fraction, "%d Day  %02d:%02d:%02d"; otherwise the
// date-time, "%d-%02d-%02d  %02d:%02d:%02d".
std::string FormatReadoutTime(double x, bool elapsedAxis);

}  // namespace tessar
