#include "browser/chart_data.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/date_time.h"

namespace tessar {
namespace {

TEST(AxisValues, ElapsedSecondsAndTheThreeTexts) {
  const double day = 1.0, second = 1.0 / 86400.0;
  struct Case {
    AxisMode mode;
    double x;
    const char* text;     // untrimmed
    const char* trimmed;
  };
  const Case cases[] = {
      {AxisMode::RecordTime, EncodeDateTime({2026, 12, 8, 14, 5, 32}), "2026-12-08 14:05:32",
       "2026-12-08 14:05:32"},
      {AxisMode::ElapsedTime, day + (2 * 3600 + 3 * 60 + 4) * second, "     1 02:03:04", "1 02:03:04"},
      {AxisMode::ElapsedTime, 0.0, "     0 00:00:00", "0 00:00:00"},
      {AxisMode::ElapsedSeconds, 86405.0, "       86405.0    ", "86405.0"},
      {AxisMode::ElapsedSeconds, -3.25, "          -3.2    ", "-3.2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatAxisValue(c.mode, c.x), c.text);
    EXPECT_EQ(TrimmedAxisValue(c.mode, c.x), c.trimmed);
  }
  struct Span {
    double days;
    double seconds;
  };
  const Span spans[] = {
      {day + 5 * second, 86405.0},  // 1 day 0:00:05
      {0.0, 0.0},
      {1.5 * second, 1.5},
      {2 * day + 3599.999 * second, 2 * 86400 + 3599.999},
      {-(day + 5 * second), -86405.0},  // a record before the start stays below zero
  };
  for (const Span& s : spans) EXPECT_DOUBLE_EQ(ElapsedSeconds(s.days), s.seconds) << s.days;
  EXPECT_EQ(ElapsedSeconds(day + 5 * second), 86405.0);
  const double start = EncodeDateTime({2026, 12, 8, 23, 59, 55});
  const double t = start + day + 5 * second;
  EXPECT_EQ(AxisX(AxisMode::ElapsedSeconds, t, start), 86405.0);
  EXPECT_EQ(AxisX(AxisMode::ElapsedTime, t, start), t - start);
  EXPECT_EQ(AxisX(AxisMode::RecordTime, t, start), t);
}

TEST(ChartOperations, SmoothingInPlaceWithSmoothedLeftNeighbours) {
  auto ramp = [](int n) {
    std::vector<double> y;
    for (int i = 0; i < n; ++i) y.push_back(i * i % 7);
    return y;
  };
  // 11 points: nothing changes.
  std::vector<double> y11 = ramp(11);
  Smooth(y11);
  EXPECT_EQ(y11, ramp(11));
  // 12 points: only 5 and 6, and 6 already sees the new 5.
  const std::vector<double> before = ramp(12);
  std::vector<double> y12 = before;
  Smooth(y12);
  const double w[5] = {0.27972, 0.13986, -0.02331, -0.104895, 0.041958};
  std::vector<double> expected = before;
  for (int j : {5, 6}) {
    double v = 0.333334 * expected[j];
    for (int k = 1; k <= 5; ++k) v += w[k - 1] * (expected[j - k] + expected[j + k]);
    expected[j] = v;
  }
  EXPECT_EQ(y12, expected);
  for (int j : {0, 1, 2, 3, 4, 7, 8, 9, 10, 11}) EXPECT_EQ(y12[j], before[j]) << j;
  EXPECT_NE(y12[5], before[5]);
  // A constant series stays constant (the weights sum to 1).
  std::vector<double> flat(40, 21.5);
  Smooth(flat);
  for (double v : flat) EXPECT_NEAR(v, 21.5, 1e-12);
}

TEST(ChartOperations, StatisticsInPopulationForm) {
  struct Case {
    std::vector<double> y;
    SeriesStats s;
  };
  const Case cases[] = {
      {{}, {0, 0, 0, 0}},
      {{7.5}, {7.5, 7.5, 7.5, 0}},
      {{1, 2}, {1, 2, 1.5, 0.5}},
      {{1, 2, 3}, {1, 3, 2, std::sqrt(2.0 / 3.0)}},
      {{-0.0001112, 5}, {-0.0001112, 5, (5 - 0.0001112) / 2, (5 + 0.0001112) / 2}},
  };
  for (const Case& c : cases) {
    const SeriesStats s = SeriesStatistics(c.y);
    EXPECT_DOUBLE_EQ(s.minimum, c.s.minimum);
    EXPECT_DOUBLE_EQ(s.maximum, c.s.maximum);
    EXPECT_DOUBLE_EQ(s.mean, c.s.mean);
    EXPECT_NEAR(s.deviation, c.s.deviation, 1e-9);
  }
}

TEST(ChartOperations, ZoomByPercent) {
  struct Case {
    AxisRange in;
    double percent;
    AxisRange out;
  };
  const Case cases[] = {
      {{0, 100}, 110, {10, 90}},
      {{0, 100}, 90, {-10, 110}},
      {{0, 100}, 95, {-5, 105}},
      {{10, 90}, 90, {2, 98}},  // in then out: 96 % of the first range, not all of it
  };
  for (const Case& c : cases) {
    const AxisRange r = Zoomed(c.in, c.percent);
    EXPECT_DOUBLE_EQ(r.min, c.out.min);
    EXPECT_DOUBLE_EQ(r.max, c.out.max);
  }
}

TEST(ChartOperations, MemoListsEverySeries) {
  ChartData d;
  d.channelCount = 7;
  const double v[7] = {1, 2, 3, 4, 5, 6, -0.0001112};
  d.Add(0.0, v);
  const double w[7] = {3, 2, 3, 4, 5, 6, 7};
  d.Add(1.0, w);
  const QStringList lines = StatisticsMemoLines(d, false);
  ASSERT_EQ(lines.size(), 13);
  EXPECT_EQ(lines[0], QStringLiteral("Basic Statistic Properties"));
  EXPECT_EQ(lines[1], QString(38, QLatin1Char('-')));
  EXPECT_EQ(lines[2], QStringLiteral("CH0: Count=2,  Average=2.00, Max=3.00, Min=1.00"));
  EXPECT_EQ(lines[8], QStringLiteral("CH6: Count=2,  Average=3.50, Max=7.00, Min=-0.00"));
  EXPECT_EQ(lines[10], QStringLiteral("CH8: Count=0,  Average=0.00, Max=0.00, Min=0.00"));
  EXPECT_EQ(lines[12], QStringLiteral("Doubleclick on the memo to close it."));
  EXPECT_EQ(StatisticsMemoLines(d, true)[0], QStringLiteral("기초 통계량"));
}

}  // namespace
}  // namespace tessar
