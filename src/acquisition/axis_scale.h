// The value axis of a chart on round numbers: labelled ticks every `step`,
// a step of 1, 2 or 5 times a power of ten, at most kMaxTickIntervals of them
// across the axis.
//
// AutomaticScale is what an automatic value axis shows for data from low to
// high: both ends on ticks and the data a little inside them, so that the
// labels read 20, 40, 60 and no line is drawn on the frame. ScaleOfRange
// keeps a range chosen otherwise (zoomed, typed in) as it stands and only
// picks the ticks inside it. The live charts and the browser use both.
#pragma once

namespace tessar {

inline constexpr int kMaxTickIntervals = 10;

struct AxisScale {
  double min = 0.0;  // the range shown
  double max = 1.0;
  double step = 0.0;       // distance of the ticks; 0: no round step fits this range
  double firstTick = 0.0;  // the lowest tick, a multiple of step, >= min
  int tickCount = 0;       // ticks from firstTick on, inside [min, max]
  int decimals = 0;        // digits after the point that the tick labels need
  // For a chart that finds its ticks by adding `interval` to `anchor` while
  // the sum is <= max: the two within a few units in the last place of
  // firstTick and step, chosen so that the sums meet every tick, the last
  // one included, and reach zero as +0 rather than a hair below it (which
  // would be labelled "-0.0").
  double anchor = 0.0;
  double interval = 0.0;
};

// The automatic range of data from `low` to `high` (ends in either order).
// The data lies at least 3 % of its span inside both ends; a single level is
// shown with one unit either side. Ends that are not finite give -1 .. 1.
AxisScale AutomaticScale(double low, double high);

// The ticks of the range [min, max] kept as it is: the smallest round step
// with at most kMaxTickIntervals intervals inside it. An empty or infinite
// range, or one too narrow for its numbers to hold a round tick, has step 0.
AxisScale ScaleOfRange(double min, double max);

}  // namespace tessar
