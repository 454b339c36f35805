#include "acquisition/thermocouple.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace tessar {
namespace {

struct TablePoint {
  double t;
  double mv;
};

// Values of the NIST ITS-90 1 degC tables (EMF rounded to 1 uV).
struct TypeTable {
  char letter;
  std::vector<TablePoint> points;
  double inverseTolerance;  // stated inverse error plus the 1 uV rounding of the table
  std::vector<double> noInverse;  // temperatures of the table outside the inverse's range
};

const std::vector<TypeTable>& Tables() {
  static const std::vector<TypeTable> tables = {
      {'K',
       {{-270, -6.458}, {-250, -6.404}, {-199, -5.876}, {-50, -1.889}, {0, 0.000}, {25, 1.000},
        {126, 5.165}, {200, 8.138}, {400, 16.397}, {500, 20.644}, {600, 24.905},
        {1000, 41.276}, {1300, 52.410}, {1372, 54.886}},
       0.07,
       {-270, -250}},
      {'J',
       {{-210, -8.095}, {-100, -4.633}, {-1, -0.050}, {1, 0.050}, {100, 5.269}, {300, 16.327},
        {500, 27.393}, {700, 39.132}, {760, 42.919}, {800, 45.494}, {1199, 69.496}},
       0.07,
       {}},
      {'R',
       {{-50, -0.226}, {-1, -0.005}, {1, 0.005}, {100, 0.647}, {250, 1.923}, {500, 4.471},
        {1063, 11.348}, {1065, 11.375}, {1200, 13.228}, {1600, 18.849}, {1665, 19.746},
        {1767, 21.089}},
       0.15,
       {}},
      {'S',
       {{-50, -0.236}, {-1, -0.005}, {1, 0.005}, {100, 0.646}, {250, 1.874}, {500, 4.233},
        {1063, 10.320}, {1065, 10.344}, {1200, 11.951}, {1600, 16.777}, {1665, 17.542},
        {1767, 18.682}},
       0.15,
       {-50}},  // -0.236 mV lies below the inverse's lower end -0.235
      {'T',
       {{-270, -6.258}, {-250, -6.180}, {-199, -5.587}, {-50, -1.819}, {0, 0.000}, {25, 0.992},
        {200, 9.288}, {399, 20.810}},
       0.07,
       {-270, -250}},
  };
  return tables;
}

bool Contains(const std::vector<double>& v, double x) {
  for (double e : v)
    if (e == x) return true;
  return false;
}

TEST(ThermocoupleTest, ForwardFunctionsMatchTheNistTablesToTheMicrovolt) {
  for (const TypeTable& table : Tables()) {
    for (const TablePoint& p : table.points) {
      EXPECT_NEAR(TemperatureToMv(table.letter, p.t), p.mv, 0.0005 + 1e-9)
          << table.letter << " at " << p.t << " degC";
    }
  }
}

TEST(ThermocoupleTest, InverseFunctionsAgreeWithinTheStatedError) {
  for (const TypeTable& table : Tables()) {
    for (const TablePoint& p : table.points) {
      const double t = MvToTemperature(table.letter, p.mv, 0.0);
      if (Contains(table.noInverse, p.t)) {
        EXPECT_EQ(t, OutOfRangeValue) << table.letter << " at " << p.mv << " mV";
      } else {
        EXPECT_NEAR(t, p.t, table.inverseTolerance) << table.letter << " at " << p.mv << " mV";
      }
    }
  }
}

TEST(ThermocoupleTest, InverseEvaluatesAtTheSumOfEmfAndColdJunctionEmf) {
  // A K channel reading 0 mV with its cold junction at 20 degC is at 20 degC.
  const double cj = TemperatureToMv('K', 20.0);
  EXPECT_NEAR(MvToTemperature('K', 0.0, cj), 20.0, 0.05);
  EXPECT_EQ(MvToTemperature('K', 10.0, 5.0), MvToTemperature('K', 15.0, 0.0));
  // EMF plus cold-junction EMF above 54.886 mV is out of range.
  EXPECT_NE(MvToTemperature('K', 54.0, cj), OutOfRangeValue);  // 54.798 mV
  EXPECT_EQ(MvToTemperature('K', 54.1, cj), OutOfRangeValue);  // 54.898 mV
}

TEST(ThermocoupleTest, RangeEndsAreInclusive) {
  EXPECT_NE(TemperatureToMv('K', -270.0), OutOfRangeValue);
  EXPECT_NE(TemperatureToMv('K', 1372.0), OutOfRangeValue);
  EXPECT_EQ(TemperatureToMv('K', -270.001), OutOfRangeValue);
  EXPECT_EQ(TemperatureToMv('K', 1372.001), OutOfRangeValue);
  EXPECT_EQ(TemperatureToMv('R', -50.01), OutOfRangeValue);
  EXPECT_NE(TemperatureToMv('R', 1768.1), OutOfRangeValue);
  EXPECT_EQ(TemperatureToMv('S', 1768.2), OutOfRangeValue);
  EXPECT_EQ(TemperatureToMv('J', 1200.1), OutOfRangeValue);
  EXPECT_EQ(TemperatureToMv('T', 400.1), OutOfRangeValue);

  EXPECT_NE(MvToTemperature('K', -5.891, 0.0), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('K', -5.892, 0.0), OutOfRangeValue);
  EXPECT_NE(MvToTemperature('J', 69.553, 0.0), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('J', 69.554, 0.0), OutOfRangeValue);
  EXPECT_NE(MvToTemperature('R', 21.103, 0.0), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('R', 21.104, 0.0), OutOfRangeValue);
  EXPECT_NE(MvToTemperature('S', -0.235, 0.0), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('S', 18.694, 0.0), OutOfRangeValue);
  EXPECT_NE(MvToTemperature('T', -5.603, 0.0), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('T', 20.873, 0.0), OutOfRangeValue);
}

TEST(ThermocoupleTest, AValueOnABreakpointTakesTheLowerBand) {
  // J's middle inverse band gives 760.043 degC at 42.919 mV, the upper band 759.976.
  EXPECT_NEAR(MvToTemperature('J', 42.919, 0.0), 760.0431040129, 1e-6);
  // J's lower forward band at 760 degC (the upper band gives 42.918641408).
  EXPECT_NEAR(TemperatureToMv('J', 760.0), 42.918641333417, 1e-10);
  // K has no exponential term at exactly 0 degC: the lower band's c0 is 0.
  EXPECT_EQ(TemperatureToMv('K', 0.0), 0.0);
  EXPECT_EQ(TemperatureToMv('T', 0.0), 0.0);
}

TEST(ThermocoupleTest, KExponentialTermAppliesAboveZero) {
  // Without the term K at 126 degC would read about 0.119 mV less than the table.
  EXPECT_NEAR(TemperatureToMv('K', 126.0), 5.165, 0.0005);
  // Just above 0 the upper band (c0 = -0.0176) and the term (about 0.0176) cancel.
  EXPECT_NEAR(TemperatureToMv('K', 1e-9), 0.0, 1e-6);
}

TEST(ThermocoupleTest, LettersWithoutATableAndNaNAreOutOfRange) {
  for (char letter : {'V', 'A', 'B', 'Z', 'k', '\0'}) {
    EXPECT_EQ(TemperatureToMv(letter, 20.0), OutOfRangeValue) << letter;
    EXPECT_EQ(MvToTemperature(letter, 1.0, 0.0), OutOfRangeValue) << letter;
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(TemperatureToMv('K', nan), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('K', nan, 0.0), OutOfRangeValue);
  EXPECT_EQ(MvToTemperature('K', 1.0, std::numeric_limits<double>::infinity()), OutOfRangeValue);
}

}  // namespace
}  // namespace tessar
