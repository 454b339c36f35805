// Round value axes: the automatic range of the charts and the ticks of any
// range they show.
#include "acquisition/axis_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace tessar {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

std::string Label(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

// The labels a chart shows that adds the interval up from the anchor while
// the sum is within the range.
std::vector<std::string> ChartLabels(const AxisScale& s) {
  std::vector<std::string> labels;
  for (double v = s.anchor; v <= s.max && labels.size() < 100; v += s.interval) labels.push_back(Label(v, s.decimals));
  return labels;
}

// The round labels the scale stands for.
std::vector<std::string> RoundLabels(const AxisScale& s) {
  std::vector<std::string> labels;
  for (int i = 0; i < s.tickCount; ++i) {
    const double k = std::round(s.firstTick / s.step) + i;
    labels.push_back(Label(k == 0 ? 0.0 : k * s.step, s.decimals));
  }
  return labels;
}

bool RoundStep(double step) {
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (std::fabs(mantissa - m) < 1e-9) return true;
  return false;
}

struct Expected {
  double min, max, step;
  int ticks, decimals;
};

void ExpectScale(const AxisScale& s, const Expected& e, const std::string& what) {
  EXPECT_DOUBLE_EQ(s.min, e.min) << what;
  EXPECT_DOUBLE_EQ(s.max, e.max) << what;
  EXPECT_DOUBLE_EQ(s.step, e.step) << what;
  EXPECT_EQ(s.tickCount, e.ticks) << what;
  EXPECT_EQ(s.decimals, e.decimals) << what;
}

TEST(AxisScale, AutomaticRangeEndsOnRoundTicksWithTheDataInside) {
  struct Case {
    double low, high;
    Expected scale;
  };
  const Case cases[] = {
      {23.4, 105.3, {20, 110, 10, 10, 0}},               // a kiln's day: 20, 30 .. 110
      {0.0, 100.0, {-20, 120, 20, 8, 0}},                // data on round values stays off the frame
      {100.0, 0.0, {-20, 120, 20, 8, 0}},                // ends either way round
      {25.0, 25.0, {24, 26, 0.2, 11, 1}},                // a single level: one unit either side
      {-0.0001112, 4.0, {-0.5, 4.5, 0.5, 11, 1}},        // the no-data marker with small values
      {-12.3, -2.1, {-14, 0, 2, 8, 0}},                  // below zero
      {105.3, 105.31, {105.298, 105.312, 0.002, 8, 3}},  // a narrow band
      {1e6, 1e6 + 0.001, {999999.8, 1000000.2, 0.2, 3, 1}},  // no finer than the numbers show
      {-1.3, -0.1, {-1.4, 0, 0.2, 8, 1}},                // zero at the top reads "0.0"
      {std::nan(""), 5.0, {-1, 1, 0.2, 11, 1}},          // not a number
      {-1e308, 1e308, {-1e308, 1e308, 0, 0, 0}},         // no span that can be padded
      {1e-15, 2e-15, {0, 1e-12, 1e-12, 2, 12}},          // at most 12 decimals
  };
  for (const Case& c : cases) {
    const std::string what = Label(c.low, 4) + " .. " + Label(c.high, 4);
    const AxisScale s = AutomaticScale(c.low, c.high);
    ExpectScale(s, c.scale, what);
    if (s.step > 0) {
      EXPECT_EQ(ChartLabels(s), RoundLabels(s)) << what;
    }
  }

  // Over many ranges: round step, ends on ticks, at most ten intervals, the
  // data 3 % of its span inside, and a chart adding up the interval meets
  // every tick ("0.0", never "-0.0"; the top one too).
  for (int i = 0; i < 4000; ++i) {
    const double centre = std::sin(i * 0.37) * std::pow(10.0, i % 9 - 3);
    const double span = std::pow(10.0, (i * 7) % 11 - 5) * (1.0 + (i % 13) / 3.0);
    const double low = centre - span / 2, high = centre + span / 2;
    const AxisScale s = AutomaticScale(low, high);
    const std::string what = Label(low, 9) + " .. " + Label(high, 9);
    ASSERT_GT(s.step, 0) << what;
    EXPECT_TRUE(RoundStep(s.step)) << what;
    EXPECT_LE(s.tickCount - 1, kMaxTickIntervals) << what;
    EXPECT_EQ(s.firstTick, s.min) << what;
    EXPECT_NEAR(s.min + (s.tickCount - 1) * s.step, s.max, std::fabs(s.max) * 1e-14 + s.step * 1e-9) << what;
    EXPECT_LE(s.min, low - 0.029 * (high - low)) << what;
    EXPECT_GE(s.max, high + 0.029 * (high - low)) << what;
    EXPECT_EQ(ChartLabels(s), RoundLabels(s)) << what;
  }
}

TEST(AxisScale, AKeptRangeGetsTheRoundTicksInsideIt) {
  struct Case {
    double min, max;
    Expected scale;
    double firstTick;
  };
  const Case cases[] = {
      {-27.0, 127.0, {-27, 127, 20, 8, 0}, -20},            // -20 .. 120 widened by 5 %
      {-13.636, 113.636, {-13.636, 113.636, 20, 6, 0}, 0},  // zoomed in
      {0.0, 250.5, {0, 250.5, 50, 6, 0}, 0},                // typed in
      {0.0, 1.0, {0, 1, 0.1, 11, 1}, 0},
      {-0.35, 0.35, {-0.35, 0.35, 0.1, 7, 1}, -0.3},
      {5.0, 5.0, {5, 5, 0, 0, 0}, 5},                        // empty
      {-kInf, 1.0, {-kInf, 1, 0, 0, 0}, -kInf},              // infinite
      {1e6 + 0.01, 1e6 + 0.02, {1e6 + 0.01, 1e6 + 0.02, 0, 0, 0}, 1e6 + 0.01},  // too narrow
  };
  for (const Case& c : cases) {
    const std::string what = Label(c.min, 4) + " .. " + Label(c.max, 4);
    const AxisScale s = ScaleOfRange(c.min, c.max);
    ExpectScale(s, c.scale, what);
    EXPECT_DOUBLE_EQ(s.firstTick, c.firstTick) << what;
    if (s.step > 0) {
      EXPECT_EQ(ChartLabels(s), RoundLabels(s)) << what;
    }
  }

  for (int i = 0; i < 4000; ++i) {
    const double min = std::sin(i * 0.61) * std::pow(10.0, i % 7 - 2);
    const double max = min + std::pow(10.0, (i * 5) % 9 - 4) * (1.0 + (i % 11) / 2.0);
    const AxisScale s = ScaleOfRange(min, max);
    const std::string what = Label(min, 9) + " .. " + Label(max, 9);
    EXPECT_EQ(s.min, min) << what;
    EXPECT_EQ(s.max, max) << what;
    if (s.step == 0) continue;
    EXPECT_TRUE(RoundStep(s.step)) << what;
    EXPECT_GE(s.firstTick, min) << what;
    EXPECT_LT(s.firstTick - s.step, min) << what;
    EXPECT_LE(s.tickCount - 1, kMaxTickIntervals) << what;
    EXPECT_GT(s.firstTick + s.tickCount * s.step, max) << what;
    EXPECT_EQ(ChartLabels(s), RoundLabels(s)) << what;
  }
}

}  // namespace
}  // namespace tessar
