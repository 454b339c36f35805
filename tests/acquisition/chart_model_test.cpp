// The live chart's data and the arithmetic the page draws with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "acquisition/chart_model.h"
#include "common/date_time.h"

namespace tessar {
namespace {

// Per pixel column, the reduction must give the column's true lowest,
// highest, first and last value, for any data and any zoom (points left and
// right of the plot included), and lose no point.
TEST(ChartEnvelope, EveryColumnKeepsItsExtremesAndEnds) {
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 5.0);
  std::vector<double> xs(3600);
  std::vector<double> walk(3600);
  std::vector<double> spikes(3600);
  double level = 20.0;
  for (int i = 0; i < 3600; ++i) {
    xs[i] = 46000.0 + i / kSecondsPerDay;
    level += noise(random);
    walk[i] = level;
    spikes[i] = (i % 97 == 0) ? 500.0 : (i % 89 == 0 ? -500.0 : 1.0);
  }
  struct Case {
    const std::vector<double>* ys;
    double from, to;  // plot range, in points
    int columns;
  };
  const Case cases[] = {
      {&walk, 0, 3600, 850},  {&spikes, 0, 3600, 850}, {&walk, 0, 3600, 7},
      {&walk, 1000, 1100, 850},  // zoomed in: fewer points than columns
      {&spikes, 500, 3000, 333}, {&walk, -100, 5000, 1000},
  };
  for (const Case& c : cases) {
    const double x0 = xs[0] + c.from / kSecondsPerDay;
    const double x1 = xs[0] + c.to / kSecondsPerDay;
    const auto reduced = ReduceToColumns(xs, *c.ys, x0, x1, c.columns);
    int seen = 0;
    for (const EnvelopeColumn& col : reduced) {
      ASSERT_GE(col.column, -1);
      ASSERT_LE(col.column, c.columns);
      std::vector<double> in(c.ys->begin() + seen, c.ys->begin() + seen + col.count);
      for (int i = seen; i < seen + col.count; ++i) {
        const double at = (xs[i] - x0) / (x1 - x0) * c.columns;
        const int expected = at < 0 ? -1 : std::min(static_cast<int>(at), c.columns);
        ASSERT_EQ(expected, col.column) << "point " << i;
      }
      EXPECT_EQ(col.low, *std::min_element(in.begin(), in.end()));
      EXPECT_EQ(col.high, *std::max_element(in.begin(), in.end()));
      EXPECT_EQ(col.first, in.front());
      EXPECT_EQ(col.last, in.back());
      seen += col.count;
    }
    EXPECT_EQ(seen, 3600);
    // Columns follow each other without repeats (time runs forward).
    for (std::size_t i = 1; i < reduced.size(); ++i) {
      EXPECT_LT(reduced[i - 1].column, reduced[i].column);
    }
    if (c.to - c.from <= c.columns) {
      // zoomed in far enough: every point inside the plot stands alone
      for (const EnvelopeColumn& col : reduced) {
        if (col.column >= 0 && col.column < c.columns) {
          EXPECT_EQ(col.count, 1);
        }
      }
    } else {
      EXPECT_LE(reduced.size(), static_cast<std::size_t>(c.columns) + 2);
    }
  }
  EXPECT_TRUE(ReduceToColumns(xs, walk, 1.0, 1.0, 100).empty());  // no span, nothing drawn
}

TEST(ChartMarkers, ShownWhereTheyCanBeToldApart) {
  PlotMapping map;
  map.x0 = 0.0;
  map.x1 = 100.0;
  map.y0 = 0.0;
  map.y1 = 10.0;
  map.left = 50.0;
  map.width = 1000.0;  // 10 px per x unit
  map.height = 400.0;  // 40 px per y unit
  struct Case {
    double step;     // x between points
    bool zigzag;     // y alternates 2 / 8
    double spacing;  // px
    int fewest, most;
  };
  const Case cases[] = {
      {1.0, false, 7.0, 101, 101},  // 10 px apart: all of them
      {0.1, false, 7.0, 125, 143},  // 1 px apart: about every 7th
      {0.1, true, 7.0, 1001, 1001},  // far apart vertically: all of them
      {0.01, false, 7.0, 125, 143},
      {0.5, false, 5.0, 201, 201},  // exactly the spacing apart
  };
  for (const Case& c : cases) {
    std::vector<double> xs;
    std::vector<double> ys;
    for (int i = 0; c.step * i <= 100.0 + 1e-9; ++i) {
      xs.push_back(c.step * i);
      ys.push_back(c.zigzag && i % 2 ? 8.0 : 2.0);
    }
    xs.push_back(150.0);  // outside the plot: never marked
    ys.push_back(5.0);
    const auto marked = MarkerIndices(xs, ys, map, c.spacing);
    EXPECT_GE(static_cast<int>(marked.size()), c.fewest) << c.step;
    EXPECT_LE(static_cast<int>(marked.size()), c.most) << c.step;
    for (std::size_t i = 1; i < marked.size(); ++i) {
      const double dx = map.Px(xs[marked[i]]) - map.Px(xs[marked[i - 1]]);
      const double dy = map.Py(ys[marked[i]]) - map.Py(ys[marked[i - 1]]);
      EXPECT_GE(std::max(std::abs(dx), std::abs(dy)), c.spacing - 1e-6);
    }
    EXPECT_NE(marked.back(), static_cast<int>(xs.size()) - 1);
  }
}

TEST(ChartAxisArithmetic, ZoomScrollAndSpansThatNeverCollapse) {
  auto [lo, hi] = ZoomAbout(0.0, 110.0, 1.1);  // zoom in: 110 %
  EXPECT_NEAR(lo, 5.0, 1e-9);
  EXPECT_NEAR(hi, 105.0, 1e-9);
  std::tie(lo, hi) = ZoomAbout(10.0, 19.0, 0.9);  // zoom out: 90 %
  EXPECT_NEAR(lo, 9.5, 1e-9);
  EXPECT_NEAR(hi, 19.5, 1e-9);

  struct Span {
    double low, high, wantLow, wantHigh;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const Span& s : {Span{1.0, 2.0, 1.0, 2.0}, Span{2.0, 1.0, 1.0, 2.0},
                        Span{5.0, 5.0, 4.0, 6.0}, Span{nan, 3.0, -1.0, 1.0}}) {
    const auto [a, b] = UsableRange(s.low, s.high, 1.0);
    EXPECT_EQ(a, s.wantLow) << s.low << " " << s.high;
    EXPECT_EQ(b, s.wantHigh) << s.low << " " << s.high;
  }

  const double x = 46000.5;
  for (auto [interval, back, ahead] : {std::tuple{5, 175, 25}, {1, 35, 5}, {0, 35, 5}, {-3, 35, 5}}) {
    const auto [a, b] = ScrollWindow(x, interval);
    EXPECT_NEAR((x - a) * kSecondsPerDay, back, 1e-5) << interval;
    EXPECT_NEAR((b - x) * kSecondsPerDay, ahead, 1e-5) << interval;
  }
}

}  // namespace
}  // namespace tessar
