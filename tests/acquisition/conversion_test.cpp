#include "acquisition/conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "acquisition/thermocouple.h"

namespace tessar {
namespace {

std::string Frame(const std::vector<unsigned>& fields) {
  std::string text;
  char field[16];
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::snprintf(field, sizeof field, "%06X", fields[i] & 0xFFFFFFu);
    if (i > 0) text += ", ";
    text += field;
  }
  return text + "\r\n";
}

// A board whose counts are millivolts one to one (range = full-scale count).
BoardSettings UnitBoard(int sensorType, int kind) {
  BoardSettings s;
  FillBoardDefaults(s, 0, "/tmp");
  s.boardSensorType = sensorType;
  for (int k = 0; k < kSlotCount; ++k) {
    s.channelSensorType[k] = sensorType;
    s.channelRangeMv[k] = kFullScaleCount;
  }
  (void)kind;
  return s;
}

// Counts for a value in mV on a board of UnitBoard (two's complement below 0).
unsigned Count(double mv) {
  const long c = std::lround(mv);
  return static_cast<unsigned>(c < 0 ? c + 0xFFFFFF : c);
}

struct Converter {
  ConversionState state;
  BoardSettings settings;
  int kind;
  LiveControls controls;

  Converter(const BoardSettings& s, int k) : settings(s), kind(k) {
    ApplyConversionSettings(state, settings, kind);
  }
  void Run(const std::string& frame, int sampleCount = 0) {
    ConvertFrame(state, frame.c_str(), frame.size() + 1, kind, settings, controls, sampleCount);
  }
  double v(int slot) const { return state.ChannelValue[slot]; }
  bool invalid(int slot) const { return state.ChannelInvalid[slot] != 0; }
};

TEST(ParseFrameTest, FieldsByModelKindAndMissingOnesStayMissing) {
  const ParsedFrame f0 = ParseFrame(Frame({1, 2, 3, 4, 5, 6, 7}).c_str(), 180, 0);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(f0.raw[i], i + 1);
  EXPECT_EQ(f0.raw[7], kMissingCount);
  EXPECT_EQ(f0.raw[8], kMissingCount);

  const ParsedFrame f1 = ParseFrame(Frame({0x0A0000, 0xabcdef, 2, 3, 4}).c_str(), 180, 1);
  EXPECT_EQ(f1.raw[1], 0xABCDEF);
  EXPECT_EQ(f1.raw[5], kMissingCount);
  // "0A0000" + "00" = 0x0A000000 counts 1/65536 of 1/100 degC: 25.6 degC
  EXPECT_DOUBLE_EQ(f1.coldJunction, 25.6);
  // The sign of the 24-bit field carries into the 32-bit number.
  const ParsedFrame neg = ParseFrame(Frame({0xFF0000, 0, 0, 0, 0, 0, 0, 0, 0}).c_str(), 180, 2);
  EXPECT_DOUBLE_EQ(neg.coldJunction, -2.56);

  // A malformed field ends the scan; the channels after it stay missing.
  const ParsedFrame bad = ParseFrame("000001, 000002; 000003, 000004\r\n", 180, 1);
  EXPECT_EQ(bad.raw[1], 2);
  EXPECT_EQ(bad.raw[2], kMissingCount);
  const ParsedFrame partial = ParseFrame("000001, 00G002, 000003\r\n", 180, 0);
  EXPECT_EQ(partial.raw[1], 0);
  EXPECT_EQ(partial.raw[2], kMissingCount);
  // Reading stops at maxLength even without a terminator.
  const std::string longFrame = Frame({1, 2, 3, 4, 5, 6, 7});
  const ParsedFrame cut = ParseFrame(longFrame.c_str(), 14, 0);
  EXPECT_EQ(cut.raw[1], 2);
  EXPECT_EQ(cut.raw[2], kMissingCount);
}

TEST(ConversionTest, ApplySettingsTakesLetterAndScales) {
  BoardSettings s = UnitBoard(6, 0);
  s.channelRangeMv[0] = 2500.0;
  s.channelRangeMv[3] = 78.125;
  ConversionState state;
  EXPECT_EQ(state.BoardTypeLetter, 'K');
  ApplyConversionSettings(state, s, 0);
  EXPECT_EQ(state.BoardTypeLetter, 'A');
  EXPECT_NEAR(state.RangeScale[0], 2.98023259e-4, 1e-12);  // mV per count of 2500 mV
  EXPECT_NEAR(state.RangeScale[3], 9.31322686e-6, 1e-14);  // of 78.125 mV
  ApplyConversionSettings(state, s, 1);
  EXPECT_EQ(state.RangeScale[0], 0.0);  // kinds 1 and 2 do not scale slot 0
  s.boardSensorType = 7;
  ApplyConversionSettings(state, s, 1);
  EXPECT_EQ(state.BoardTypeLetter, 'B');
  s.boardSensorType = 42;  // outside the table: the letter stays
  ApplyConversionSettings(state, s, 1);
  EXPECT_EQ(state.BoardTypeLetter, 'B');
}

TEST(ConversionTest, SignRuleNoDataCountsAndT1) {
  Converter c(UnitBoard(7, 1), 1);  // per-channel types, all "mV" (index 0)
  for (int k = 0; k < kSlotCount; ++k) c.settings.channelSensorType[k] = 0;
  c.settings.channelT1[4] = 0.0;
  c.Run(Frame({0, 0xFFFFFF, 0x800001, 0x800000, 0x000123}));
  EXPECT_EQ(c.v(1), 0.0);  // 0xFFFFFF - 0xFFFFFF
  EXPECT_FALSE(c.invalid(1));
  EXPECT_EQ(c.v(2), -8388606.0);
  EXPECT_EQ(c.v(3), NoDataValue);  // 0x800000
  EXPECT_TRUE(c.invalid(3));
  EXPECT_EQ(c.v(4), NoDataValue);  // channelT1 = 0
  EXPECT_TRUE(c.invalid(4));
  for (int k = 5; k <= 8; ++k) {  // not in a kind-1 frame
    EXPECT_EQ(c.v(k), NoDataValue);
    EXPECT_TRUE(c.invalid(k));
  }
  EXPECT_FALSE(c.invalid(0));
}

TEST(ConversionTest, VoltageCorrectionAndT1T0) {
  BoardSettings s = UnitBoard(7, 1);
  for (int k = 0; k < kSlotCount; ++k) s.channelSensorType[k] = 0;
  s.voltA1 = 2.0;
  s.voltA0 = 1.0;
  s.channelT1[1] = 0.5;
  s.channelT0[1] = 3.0;
  Converter c(s, 1);
  c.Run(Frame({0, 10, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(c.v(1), 13.5);  // 0.5 x (2 x 10 + 1) + 3
}

TEST(ConversionTest, ThermocoupleChannelsUseTheColdJunction) {
  BoardSettings s = UnitBoard(1, 1);  // K
  s.refVoltage = 20.0;                // kinds 1/2: offset added to the decoded value
  s.channelRangeMv[3] = kFullScaleCount / 1000.0;  // 1 uV per count
  Converter c(s, 1);
  // The first six characters 000000 decode to 0; slot 0 = 0 + 20.
  c.Run(Frame({0, Count(0.0), 0xFFFFFF, 54100, 0x7FFFFF}));
  EXPECT_DOUBLE_EQ(c.v(0), 20.0);
  EXPECT_NEAR(c.v(1), 20.0, 0.05);  // 0 mV at a 20 degC cold junction
  EXPECT_NEAR(c.v(2), 20.0, 0.05);
  // 54.1 mV + 0.798 mV exceeds K's 54.886 mV: no data; 54.0 mV does not.
  EXPECT_EQ(c.v(3), NoDataValue);
  EXPECT_TRUE(c.invalid(3));
  c.Run(Frame({0, 0, 0, 54000, 0}));
  EXPECT_NEAR(c.v(3), 1369.4, 0.1);
  EXPECT_EQ(c.state.LastColdJunction, 20.0);

  // A fixed cold-junction temperature replaces slot 0 for the channels only.
  c.controls.useFixedColdJunction = true;
  c.controls.fixedColdJunction = " 25.5 ";
  c.Run(Frame({0, Count(1.0), 0, 0, 0}));
  EXPECT_DOUBLE_EQ(c.v(0), 20.0);
  EXPECT_NEAR(c.v(1), 49.97, 0.01);  // 1 mV + E(25.5) = 2.021 mV
  EXPECT_NEAR(c.v(1), MvToTemperature('K', 1.0, TemperatureToMv('K', 25.5)), 1e-12);

  // A text that is not a number leaves the thermocouple channels without data;
  // the cycle and the other slots go on.
  c.controls.fixedColdJunction = "2O";
  c.settings.channelSensorType[2] = 0;  // mV
  c.Run(Frame({0, Count(1.0), Count(3.0), 0, 0}));
  EXPECT_EQ(c.v(1), NoDataValue);
  EXPECT_TRUE(c.invalid(1));
  EXPECT_DOUBLE_EQ(c.v(2), 3.0);
  EXPECT_FALSE(c.invalid(0));
}

TEST(ConversionTest, ChannelTypesWithoutATable) {
  BoardSettings s = UnitBoard(7, 2);  // per-channel mode, letter 'B'
  s.channelSensorType[1] = 6;         // "A": no table
  s.channelSensorType[2] = 7;         // "Z": millivolts
  s.channelSensorType[3] = 3;         // J
  s.channelSensorType[4] = 99;        // damaged: no letter
  Converter c(s, 2);
  c.Run(Frame({0, Count(2.0), Count(2.0), Count(2.0), Count(2.0), 0, 0, 0, 0}));
  EXPECT_EQ(c.v(1), NoDataValue);
  EXPECT_DOUBLE_EQ(c.v(2), 2.0);
  EXPECT_NEAR(c.v(3), 38.85, 0.01);  // J at 2 mV, cold junction 0
  EXPECT_EQ(c.v(4), NoDataValue);
}

TEST(ParseFixedColdJunctionTest, PlainDecimalNumbersOnly) {
  double v = -1;
  EXPECT_TRUE(ParseFixedColdJunction("0", v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(ParseFixedColdJunction("  -12.25\t", v));
  EXPECT_EQ(v, -12.25);
  EXPECT_TRUE(ParseFixedColdJunction("+3", v));
  EXPECT_EQ(v, 3.0);
  for (const char* bad : {"", "  ", "12,5", "1.2.3", "abc", "inf", "nan", "1e999", "- 3"}) {
    EXPECT_FALSE(ParseFixedColdJunction(bad, v)) << bad;
  }
}

TEST(ConversionTest, VoltageBoardCutOffAndOhmCorrection) {
  Converter c(UnitBoard(0, 1), 1);  // 'V'
  c.Run(Frame({0, 4, Count(-3), 12, 5}));
  EXPECT_EQ(c.v(1), 0.0);
  EXPECT_EQ(c.v(2), 0.0);
  EXPECT_DOUBLE_EQ(c.v(3), 12.0);
  EXPECT_DOUBLE_EQ(c.v(4), 5.0);
  EXPECT_FALSE(c.invalid(1));

  // 4.9 mV through a finer scale still reads 0.
  BoardSettings fine = UnitBoard(0, 1);
  fine.channelRangeMv[1] = kFullScaleCount / 10.0;  // 0.1 mV per count
  Converter f(fine, 1);
  f.Run(Frame({0, 49, 0, 0, 0}));
  EXPECT_EQ(f.v(1), 0.0);
  f.Run(Frame({0, 51, 0, 0, 0}));
  EXPECT_NEAR(f.v(1), 5.1, 1e-12);

  // Calibration pass on 250 mV: factor 2; afterwards 250 reads 500.
  c.controls.ohmCorrection = true;
  c.Run(Frame({0, 250, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(c.v(1), 250.0);
  EXPECT_DOUBLE_EQ(c.state.OhmFactor[0], 2.0);
  // A zero reading during calibration keeps the factor finite (1.0).
  EXPECT_DOUBLE_EQ(c.state.OhmFactor[1], 1.0);
  c.controls.ohmCorrection = false;
  c.Run(Frame({0, 250, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(c.v(1), 500.0);
}

TEST(ConversionTest, TypeABoardScalesSnapsAndCutsOff) {
  BoardSettings s = UnitBoard(6, 1);  // 'A': 500..2500 mV onto min..max
  for (int k = 1; k <= 4; ++k) {
    s.channelMin[k] = 100.0;
    s.channelMax[k] = 10100.0;  // 5 units per mV
  }
  Converter c(s, 1);
  c.Run(Frame({0, 1500, 502, 3, 2500}));
  EXPECT_EQ(c.v(1), 5100.0);
  EXPECT_EQ(c.v(2), 100.0);  // 110 lies within 11 of the minimum: snapped
  EXPECT_EQ(c.v(3), 0.0);    // below the cut-off
  EXPECT_EQ(c.v(4), 10100.0);
  c.Run(Frame({0, 1500, 503, 0, 0}));
  EXPECT_EQ(c.v(2), 115.0);  // just outside the snap

  // Ohm calibration on 0 mV keeps the factor 1 instead of dividing by zero;
  // on 250 mV it learns 2.
  c.controls.ohmCorrection = true;
  c.Run(Frame({0, 250, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(c.state.OhmFactor[0], 2.0);
  EXPECT_DOUBLE_EQ(c.state.OhmFactor[1], 1.0);
  c.controls.ohmCorrection = false;
  c.state.OhmFactor[0] = 1.0;

  // Zero calibration at 510 mV learns -10; then 510 mV reads the minimum.
  c.controls.zeroCorrection = true;
  c.Run(Frame({0, 510, 0, 0, 0}));
  EXPECT_FLOAT_EQ(c.state.ZeroOffset[0], -10.0f);
  c.controls.zeroCorrection = false;
  c.Run(Frame({0, 1510, 0, 0, 0}));
  EXPECT_EQ(c.v(1), 5100.0);
}

TEST(ConversionTest, ColdJunctionJumpFilterOnceThreeRecordsExist) {
  BoardSettings s = UnitBoard(1, 1);
  Converter c(s, 1);
  // 0x0A0000 -> 25.6 degC; LastColdJunction starts at 20.
  c.Run(Frame({0x0A0000, 0, 0, 0, 0}), 3);
  EXPECT_DOUBLE_EQ(c.v(0), 25.6);  // within 10 degC
  c.Run(Frame({0x100000, 0, 0, 0, 0}), 3);  // 40.96: jump of 15.36
  EXPECT_DOUBLE_EQ(c.v(0), 25.6);
  c.Run(Frame({0x100000, 0, 0, 0, 0}), 2);  // before the third record: taken
  EXPECT_DOUBLE_EQ(c.v(0), 40.96);
  EXPECT_DOUBLE_EQ(c.state.LastColdJunction, 40.96);
}

TEST(ConversionTest, KindZeroColdJunction) {
  BoardSettings s = UnitBoard(1, 0);
  s.channelRangeMv[0] = kFullScaleCount / 100.0;  // 0.01 mV per count
  s.refVoltage = 5.0;
  Converter c(s, 0);
  // 1825.24 mV on the reference channel is 20 degC.
  const unsigned raw = 182524;
  c.Run(Frame({raw, 0xFFFFFF, 0, 0, 0, 0, 0}));
  EXPECT_NEAR(c.v(0), 20.0, 0.01);
  EXPECT_NEAR(c.v(1), c.v(0), 0.05);

  // Without a reference voltage there is no cold junction and no temperature,
  // but never an infinity.
  c.settings.refVoltage = 0.0;
  c.settings.channelSensorType[2] = 0;  // an mV channel still reads
  c.Run(Frame({raw, 0xFFFFFF, 7, 0, 0, 0, 0}), 5);
  EXPECT_EQ(c.v(0), NoDataValue);
  EXPECT_TRUE(c.invalid(0));
  EXPECT_EQ(c.v(1), NoDataValue);
  EXPECT_DOUBLE_EQ(c.v(2), 7.0);
  EXPECT_NEAR(c.state.LastColdJunction, 20.0, 0.01);  // kept

  // A voltage board of kind 0 shows channel 0 in mV.
  BoardSettings v = UnitBoard(0, 0);
  Converter cv(v, 0);
  cv.Run(Frame({1234, 0, 0, 0, 0, 0, 0}));
  EXPECT_DOUBLE_EQ(cv.v(0), 1234.0);
}

TEST(ConversionTest, MedianRunsOnEverySlotIncludingNoData) {
  BoardSettings s = UnitBoard(7, 1);
  for (int k = 0; k < kSlotCount; ++k) s.channelSensorType[k] = 0;
  s.filterLength = 4;
  Converter c(s, 1);
  const unsigned values[] = {40, 10, 30, 20};
  for (int i = 0; i < 3; ++i) {
    c.Run(Frame({0, values[i], 0, 0, 0}));
    EXPECT_DOUBLE_EQ(c.v(1), values[i]);  // unfiltered
  }
  c.Run(Frame({0, values[3], 0, 0, 0}));
  EXPECT_DOUBLE_EQ(c.v(1), 20.0);  // 3rd largest of 40, 10, 30, 20
  EXPECT_EQ(c.v(5), NoDataValue);
  EXPECT_EQ(c.state.MedianWindow[5].size(), 3u);
  EXPECT_EQ(c.state.MedianWindow[0].size(), 3u);
}

TEST(ConversionTest, NeverProducesInfinityOrNaN) {
  std::mt19937_64 rng(11);
  const double specials[] = {0.0, -0.0, 1.0, -1.0, 1e300, -1e300, 1e-310, 5.0, 500.0};
  for (int round = 0; round < 3000; ++round) {
    BoardSettings s;
    FillBoardDefaults(s, 0, "/tmp");
    s.boardSensorType = static_cast<int>(rng() % 9);
    for (int k = 0; k < kSlotCount; ++k) {
      s.channelSensorType[k] = static_cast<int>(rng() % 10);
      s.channelRangeMv[k] = specials[rng() % 9];
      s.channelT1[k] = specials[rng() % 9];
      s.channelT0[k] = specials[rng() % 9];
      s.channelMin[k] = specials[rng() % 9];
      s.channelMax[k] = specials[rng() % 9];
    }
    s.refVoltage = specials[rng() % 9];
    s.voltA1 = specials[rng() % 9];
    s.voltA0 = specials[rng() % 9];
    s.filterLength = static_cast<int>(rng() % 4);
    const int kind = static_cast<int>(rng() % 3);
    Converter c(s, kind);
    c.controls.ohmCorrection = rng() % 2;
    c.controls.zeroCorrection = rng() % 2;
    c.controls.useFixedColdJunction = rng() % 2;
    for (int i = 0; i < 4; ++i) {
      std::vector<unsigned> fields;
      for (int f = 0; f < 9; ++f) fields.push_back(static_cast<unsigned>(rng() & 0xFFFFFF));
      c.Run(Frame(fields), static_cast<int>(rng() % 5));
      for (int k = 0; k < kSlotCount; ++k) {
        ASSERT_TRUE(std::isfinite(c.v(k))) << "round " << round << " slot " << k;
      }
      for (int k = 0; k < kChannelCount; ++k) {
        ASSERT_TRUE(std::isfinite(c.state.OhmFactor[k]));
        ASSERT_TRUE(std::isfinite(c.state.ZeroOffset[k]));
      }
    }
  }
}

}  // namespace
}  // namespace tessar
