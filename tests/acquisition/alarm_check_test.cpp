#include "acquisition/alarm_check.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "common/date_time.h"
#include "i18n/text_codec.h"
#include "test_support.h"

namespace tessar {
namespace {

namespace fs = std::filesystem;

constexpr double kNoData = -0.0001112;
const double kNow = EncodeDateTime({2026, 12, 8, 9, 5, 7});

BoardSettings Board(int b) {
  BoardSettings s{};
  FillBoardDefaults(s, b, "/tmp");
  return s;
}

ConversionState Values(std::initializer_list<std::pair<int, double>> channels) {
  ConversionState c;
  for (auto [k, v] : channels) c.ChannelValue[k] = v;
  return c;
}

// The limits are strict, a switched-off channel never alarms, and a channel
// without data is compared with its sentinel value.
TEST(AlarmCheck, StrictLimitsOnEnabledChannels) {
  struct Case {
    double value, high, low;
    bool enabled;
    bool alarm;
  };
  const Case cases[] = {
      {100.0, 100.0, -20.0, true, false},      // equal to the high limit
      {100.0001, 100.0, -20.0, true, true},    // just above
      {-20.0, 100.0, -20.0, true, false},      // equal to the low limit
      {-20.0001, 100.0, -20.0, true, true},    // just below
      {500.0, 100.0, -20.0, false, false},     // switched off
      {kNoData, 100.0, 0.0, true, true},       // no sensor, low limit 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    BoardSettings s = Board(0);
    s.alarmHigh[3] = c.high;
    s.alarmLow[3] = c.low;
    s.alarmEnabled[3] = c.enabled;
    RelayState relays;
    // the same outcome on every cycle: no latching, no hysteresis
    for (int cycle = 0; cycle < 2; ++cycle) {
      const AlarmOutcome out = EvaluateAlarms(0, s, Values({{3, c.value}}), 2, {}, relays, kNow);
      EXPECT_EQ(out.inAlarm[3], c.alarm);
      EXPECT_EQ(out.AlarmCount, c.alarm ? 1 : 0);
    }
  }
}

TEST(AlarmCheck, MessagesInBothLanguages) {
  BoardSettings s = Board(2);
  s.alarmHigh[1] = 50.0;
  s.alarmLow[2] = -5.5;
  const ConversionState v = Values({{1, 51.23456}, {2, -7.0}});
  RelayState relays;
  AlarmOutcome en = EvaluateAlarms(2, s, v, 2, {false, false}, relays, kNow);
  EXPECT_EQ(en.AlarmText,
            "[3] 2026-12-08 09:05:07 CH1 High Alarm(51.235), Max is 50.000. \r\n"
            "[3] 2026-12-08 09:05:07 CH2 Low Alarm(-7.000), Min is -5.500. \r\n");
  EXPECT_EQ(en.statusText, "[3] 2026-12-08 09:05:07 CH2 Low Alarm(-7.000), Min is -5.500. ");
  AlarmOutcome ko = EvaluateAlarms(2, s, v, 2, {false, true}, relays, kNow);
  EXPECT_EQ(ko.AlarmText,
            "[3] 2026-12-08 09:05:07 CH1 상한 알람(51.235), 상한치: 50.000. \r\n"
            "[3] 2026-12-08 09:05:07 CH2 하한 알람(-7.000), 하한치: -5.500. \r\n");
}

// The relay word follows the alarms under the interlock and is sent on change only.
TEST(AlarmCheck, RelayCommandsOnChangeByModelKind) {
  struct Step {
    std::vector<int> alarmed;  // channels above their high limit
    const char* command;       // nullptr: nothing sent
  };
  struct Case {
    const char* name;
    int kind;
    bool interlock;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"kind 1, channels 2 and 5", 1, true,
       {{{2, 5}, "P12\r"}, {{2, 5}, nullptr}, {{5}, "P10\r"}, {{}, "P0\r"}, {{}, nullptr}}},
      {"kind 2, channel 6 has no bit", 2, true, {{{6}, nullptr}, {{4, 6}, "P8\r"}, {{6}, "P0\r"}}},
      {"kind 2, all four outputs", 2, true, {{{1, 2, 3, 4, 7, 8}, "PF\r"}}},
      {"kind 0, one output", 0, true,
       {{{3}, "D1\r"}, {{3, 6}, nullptr}, {{6}, nullptr}, {{}, "D0\r"}}},
      {"no interlock", 1, false, {{{1}, nullptr}, {{}, nullptr}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RelayState relays;
    for (const Step& step : c.steps) {
      BoardSettings s = Board(1);
      ConversionState v;
      for (int k : step.alarmed) v.ChannelValue[k] = 1000.0;
      const AlarmOutcome out = EvaluateAlarms(1, s, v, c.kind, {c.interlock, false}, relays, kNow);
      EXPECT_EQ(out.AlarmCount, static_cast<int>(step.alarmed.size()));
      EXPECT_EQ(out.relayCommand.value_or("none"), step.command ? step.command : "none");
    }
    if (!c.interlock) {
      EXPECT_EQ(relays.OutputMask, 0);
    }
  }
}

TEST(AlarmCheck, EventFileTakesOneWritePerCycleInCp949) {
  QTemporaryDir tmp;
  const fs::path data = fs::path(tmp.path().toStdString()) / "data";
  BoardSettings s = Board(2);
  const ConversionState v = Values({{1, 200.0}, {4, -30.0}, {8, 101.0}});
  RelayState relays;
  AlarmOutcome out = CheckAlarms(2, s, v, 2, {false, false}, relays, false, data, kNow);
  EXPECT_TRUE(out.memoAlarmLine);
  EXPECT_FALSE(out.eventFileFailure);
  const fs::path file = data / "20261208" / "20261208.eve";
  EXPECT_EQ(EventFilePath(data, kNow), file);
  std::string text = test::FileText(file);
  EXPECT_EQ(text, out.AlarmText);
  int lines = 0;
  for (std::size_t at = 0; at < text.size(); at = text.find("\r\n", at) + 2, ++lines)
    EXPECT_EQ(text.substr(at, 4), "[3] ");
  EXPECT_EQ(lines, 3);

  // appended by the next cycle, Korean in CP949; a paused memo takes no line
  out = CheckAlarms(2, s, Values({{2, 150.0}}), 2, {false, true}, relays, true, data, kNow);
  EXPECT_FALSE(out.memoAlarmLine);
  text = test::FileText(file);
  const std::string korean = ToCp949(QString::fromStdString(out.AlarmText)).toStdString();
  EXPECT_NE(korean, out.AlarmText);
  ASSERT_GT(text.size(), korean.size());
  EXPECT_EQ(text.substr(text.size() - korean.size()), korean);
  EXPECT_EQ(FromCp949(text).count("\r\n"), 4);

  // no alarm, no write; a day directory that cannot be made is reported
  CheckAlarms(2, s, Values({}), 2, {}, relays, false, data, kNow);
  EXPECT_EQ(test::FileText(file), text);
  test::WriteBytes((data / "blocked").string(), "x", 1);
  out = CheckAlarms(2, s, v, 2, {false, false}, relays, false, data / "blocked", kNow);
  const std::string failure = "Cannot open file " + (data / "blocked" / "20261208" / "20261208.eve").string();
  EXPECT_EQ(out.eventFileFailure.value_or(""), failure);
  EXPECT_EQ(out.statusText, failure);
}

TEST(AlarmLimits, EditsAreCheckedAgainstTheOtherLimit) {
  struct Case {
    bool high;
    int channel;
    const char* text;
    bool accepted;
    const char* status;
    const char* box;
    int focus;
  };
  const Case cases[] = {
      {true, 2, "", false, "", "", 0},  // nothing happens
      {true, 2, "85.5", true, "[2,2]HighAlarm = 85.500000", "", 3},
      {true, 7, "85", true, "[2,7]HighAlarm = 85.000000", "", 0},  // no focus move after 6
      {true, 2, "-20", false, "High alarm must be greater than low alarm.", "100.00", 0},
      {true, 2, "abc", false, "Invalid data", "100.00", 0},
      {false, 6, "-30", true, "[2,6]LowAlarm = -30.000000", "", 7},
      {false, 6, "100", false, "Low alarm must be less than high alarm.", "-20.00", 0},
      {false, 6, "1,5", false, "Invalid data", "-20.00", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    BoardSettings s = Board(1);
    const LimitEditOutcome out = c.high ? EditHighLimit(s, 1, c.channel, c.text, false)
                                        : EditLowLimit(s, 1, c.channel, c.text, false);
    EXPECT_EQ(out.handled, *c.text != '\0');
    EXPECT_EQ(out.accepted, c.accepted);
    EXPECT_EQ(out.statusText, c.status);
    EXPECT_EQ(out.boxText, c.box);
    EXPECT_EQ(out.focusChannel, c.focus);
    const double stored = c.high ? s.alarmHigh[c.channel] : s.alarmLow[c.channel];
    EXPECT_EQ(stored, c.accepted ? std::stod(c.text) : (c.high ? 100.0 : -20.0));
  }
  BoardSettings s = Board(0);
  EXPECT_EQ(EditHighLimit(s, 0, 1, "x", true).statusText, "상한치가 올바르지 않습니다.");
}

TEST(AlarmRelays, InterlockAndManualBoxes) {
  RelayState relays;
  // kind 2: manual outputs 1 and 3, the interlock locked out until both are off
  RelayBoxOutcome out = ManualRelayChanged(relays, 2, 0, true, false);
  EXPECT_EQ(out.command, "P1\r");
  EXPECT_EQ(out.interlockEnabled, false);
  EXPECT_EQ(ManualRelayChanged(relays, 2, 2, true, false).command, "P5\r");
  out = ManualRelayChanged(relays, 2, 0, false, false);
  EXPECT_EQ(out.command, "P4\r");
  EXPECT_FALSE(out.interlockEnabled.has_value());
  out = ManualRelayChanged(relays, 2, 2, false, false);
  EXPECT_EQ(out.command, "P0\r");
  EXPECT_EQ(out.interlockEnabled, true);
  // under the interlock a manual box does nothing
  EXPECT_FALSE(ManualRelayChanged(relays, 2, 1, true, true).command.has_value());
  EXPECT_EQ(relays.OutputMask, 0);

  // the interlock on disables the four boxes; off resets the word and sends it
  out = InterlockChanged(relays, 1, true);
  EXPECT_FALSE(out.command.has_value());
  for (const auto& e : out.manualEnabled) EXPECT_EQ(e, false);
  relays = {6, 6};
  out = InterlockChanged(relays, 1, false);
  EXPECT_EQ(out.command, "P0\r");
  EXPECT_EQ(relays.OutputMask, 0);
  EXPECT_EQ(relays.OutputMaskPrevious, 0);
  for (const auto& e : out.manualEnabled) EXPECT_EQ(e, true);

  // kind 0: one output, one box
  out = InterlockChanged(relays, 0, false);
  EXPECT_EQ(out.command, "D0\r");
  EXPECT_EQ(out.manualEnabled[0], true);
  EXPECT_FALSE(out.manualEnabled[1].has_value());
  out = ManualRelayChanged(relays, 0, 0, true, false);
  EXPECT_EQ(out.command, "D1\r");
  EXPECT_EQ(out.interlockEnabled, false);
  out = ManualRelayChanged(relays, 0, 0, false, false);
  EXPECT_EQ(out.command, "D0\r");
  EXPECT_EQ(out.interlockEnabled, true);
}

}  // namespace
}  // namespace tessar
