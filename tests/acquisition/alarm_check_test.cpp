#include "acquisition/alarm_check.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <vector>

#include "common/date_time.h"
#include "i18n/text_codec.h"
#include "test_support.h"

namespace tessar {
namespace {

const double kNow = EncodeDateTime({2026, 12, 8, 9, 5, 7});

int Tri(const std::optional<bool>& enabled) { return enabled ? int{*enabled} : -1; }

BoardSettings Board(int b) {
  BoardSettings s{};
  FillBoardDefaults(s, b, "/tmp");
  return s;
}

// Strict limits, switched-off channels never alarm, a channel without data
// is compared with its sentinel; the same outcome every cycle (no latching).
TEST(AlarmCheck, StrictLimitsOnEnabledChannels) {
  struct Case { double value, low; bool enabled, alarm; };
  const Case cases[] = {{100.0, -20, true, false},  {100.0001, -20, true, true},
                        {-20.0, -20, true, false},  {-20.0001, -20, true, true},
                        {500.0, -20, false, false}, {-0.0001112, 0, true, true}};
  for (const Case& c : cases) {
    BoardSettings s = Board(0);
    s.alarmLow[3] = c.low;
    s.alarmEnabled[3] = c.enabled;
    ConversionState v;
    v.ChannelValue[3] = c.value;
    RelayState relays;
    for (int cycle = 0; cycle < 2; ++cycle) {
      const AlarmOutcome out = EvaluateAlarms(0, s, v, 2, {}, relays, kNow);
      EXPECT_EQ(out.inAlarm[3], c.alarm) << c.value;
      EXPECT_EQ(out.AlarmCount, c.alarm ? 1 : 0) << c.value;
    }
  }
}

// The relay word follows the alarms under the interlock and is sent on change only.
TEST(AlarmCheck, RelayCommandsOnChangeByModelKind) {
  struct Step { std::vector<int> alarmed; const char* command; };
  struct Case { int kind; bool interlock; std::vector<Step> steps; };
  const Case cases[] = {
      {1, true, {{{2, 5}, "P12\r"}, {{2, 5}, ""}, {{5}, "P10\r"}, {{}, "P0\r"}, {{}, ""}}},
      {2, true, {{{6}, ""}, {{4, 6}, "P8\r"}, {{1, 2, 3, 4, 7, 8}, "PF\r"}, {{6}, "P0\r"}}},
      {0, true, {{{3}, "D1\r"}, {{3, 6}, ""}, {{6}, ""}, {{}, "D0\r"}}},
      {1, false, {{{1}, ""}, {{}, ""}}},
  };
  for (const Case& c : cases) {
    RelayState relays;
    for (const Step& step : c.steps) {
      ConversionState v;
      for (int k : step.alarmed) v.ChannelValue[k] = 1000.0;
      const AlarmOutcome out = EvaluateAlarms(1, Board(1), v, c.kind, {c.interlock}, relays, kNow);
      EXPECT_EQ(out.relayCommand.value_or(""), step.command) << "kind " << c.kind;
    }
    EXPECT_EQ(relays.OutputMask, 0) << "kind " << c.kind;
  }
}

TEST(AlarmCheck, EventFileTakesOneWritePerCycleInCp949) {
  QTemporaryDir tmp;
  const std::filesystem::path data = tmp.path().toStdString() + "/data";
  const std::filesystem::path file = data / "20261208" / "20261208.eve";
  ConversionState v;
  v.ChannelValue = {0, 200.0, 0, 0, -30.0, 0, 0, 0, 101.0};
  RelayState relays;
  AlarmOutcome out = CheckAlarms(2, Board(2), v, 2, {false, false}, relays, false, data, kNow);
  EXPECT_TRUE(out.memoAlarmLine);
  const std::string english = test::FileText(file);
  EXPECT_EQ(english, out.AlarmText);
  EXPECT_EQ(english.substr(0, english.find("\r\n") + 2),
            "[3] 2026-12-08 09:05:07 CH1 High Alarm(200.000), Max is 100.000. \r\n");
  EXPECT_EQ(out.statusText, "[3] 2026-12-08 09:05:07 CH8 High Alarm(101.000), Max is 100.000. ");
  const QStringList lines = QString::fromStdString(english).split("\r\n", Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  for (const QString& line : lines) EXPECT_TRUE(line.startsWith("[3] "));

  // Korean appended in CP949; a paused memo takes no line; no alarm, no write
  out = CheckAlarms(2, Board(2), v, 2, {false, true}, relays, true, data, kNow);
  EXPECT_FALSE(out.memoAlarmLine);
  EXPECT_EQ(test::FileText(file),
            english + ToCp949(QString::fromStdString(out.AlarmText)).toStdString());
  EXPECT_TRUE(out.AlarmText.find("CH4 하한 알람(-30.000), 하한치: -20.000. \r\n") != std::string::npos);
  CheckAlarms(2, Board(2), ConversionState{}, 2, {}, relays, false, data, kNow);
  EXPECT_EQ(FromCp949(test::FileText(file)).count("\r\n"), 6);

  // a day directory that cannot be made is reported with the file's path
  test::WriteBytes((data / "blocked").string(), "x", 1);
  out = CheckAlarms(2, Board(2), v, 2, {false, false}, relays, false, data / "blocked", kNow);
  const std::string failure =
      "Cannot open file " + (data / "blocked" / "20261208" / "20261208.eve").string();
  EXPECT_EQ(out.eventFileFailure.value_or(""), failure);
  EXPECT_EQ(out.statusText, failure);
}

TEST(AlarmLimits, EditsAreCheckedAgainstTheOtherLimit) {
  struct Case { bool high; int channel; const char* text, *status, *box; int focus; };
  const Case cases[] = {
      {true, 2, "", "", "", 0},
      {true, 2, "85.5", "[2,2]HighAlarm = 85.500000", "", 3},
      {true, 7, "85", "[2,7]HighAlarm = 85.000000", "", 0},  // no focus move after 6
      {true, 2, "-20", "High alarm must be greater than low alarm.", "100.00", 0},
      {true, 2, "abc", "Invalid data", "100.00", 0},
      {false, 6, "-30", "[2,6]LowAlarm = -30.000000", "", 7},
      {false, 6, "100", "Low alarm must be less than high alarm.", "-20.00", 0},
      {false, 6, "1,5", "Invalid data", "-20.00", 0},
  };
  for (const Case& c : cases) {
    BoardSettings s = Board(1);
    const LimitEditOutcome out = c.high ? EditHighLimit(s, 1, c.channel, c.text, false)
                                        : EditLowLimit(s, 1, c.channel, c.text, false);
    const bool accepted = *c.text != '\0' && *c.box == '\0';
    EXPECT_EQ(out.accepted, accepted) << c.text;
    EXPECT_EQ(out.statusText, c.status);
    EXPECT_EQ(out.boxText, c.box);
    EXPECT_EQ(out.focusChannel, c.focus) << c.text;
    EXPECT_EQ(c.high ? s.alarmHigh[c.channel] : s.alarmLow[c.channel],
              accepted ? std::stod(c.text) : (c.high ? 100.0 : -20.0));
  }
  BoardSettings s = Board(0);
  EXPECT_EQ(EditHighLimit(s, 0, 1, "x", true).statusText, "상한치가 올바르지 않습니다.");
}

// Steps of the interlock (box -1) and the manual boxes 0..3 with what each
// sends and which boxes it enables (1) or disables (0); -1: left alone.
TEST(AlarmRelays, InterlockAndManualBoxes) {
  struct Step { int kind, box; bool checked; const char* command; int interlock; int manual[4]; };
  const Step steps[] = {
      {2, 0, true, "P1\r", 0, {-1, -1, -1, -1}},  {2, 2, true, "P5\r", 0, {-1, -1, -1, -1}},
      {2, 0, false, "P4\r", -1, {-1, -1, -1, -1}}, {2, 2, false, "P0\r", 1, {-1, -1, -1, -1}},
      {2, -1, true, "", -1, {0, 0, 0, 0}},         {2, 1, true, "", -1, {-1, -1, -1, -1}},
      {1, -1, false, "P0\r", -1, {1, 1, 1, 1}},    {0, -1, false, "D0\r", -1, {1, -1, -1, -1}},
      {0, 0, true, "D1\r", 0, {-1, -1, -1, -1}},   {0, 0, false, "D0\r", 1, {-1, -1, -1, -1}},
  };
  RelayState relays;
  bool interlock = false;
  for (const Step& st : steps) {
    SCOPED_TRACE(testing::Message() << "kind " << st.kind << " box " << st.box << " " << st.checked);
    if (st.box < 0) interlock = st.checked;
    const RelayBoxOutcome out = st.box < 0
        ? InterlockChanged(relays, st.kind, st.checked)
        : ManualRelayChanged(relays, st.kind, st.box, st.checked, interlock);
    EXPECT_EQ(out.command.value_or(""), st.command);
    EXPECT_EQ(Tri(out.interlockEnabled), st.interlock);
    for (int o = 0; o < 4; ++o) EXPECT_EQ(Tri(out.manualEnabled[o]), st.manual[o]) << o;
    if (st.box < 0 && !st.checked) {
      EXPECT_EQ(relays.OutputMask, 0);
      EXPECT_EQ(relays.OutputMaskPrevious, 0);
    }
  }
}

}  // namespace
}  // namespace tessar
