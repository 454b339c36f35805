#include "acquisition/channel_health.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/health_config.h"
#include "acquisition/thermocouple.h"
#include "common/clock.h"
#include "common/date_time.h"

namespace tessar {
namespace {

constexpr double kSecond = 1.0 / kSecondsPerDay;
const double kStart = EncodeDateTime({2026, 12, 8, 14, 0, 0});

char Mark(HealthState state) {
  switch (state) {
    case HealthState::Ok: return '.';
    case HealthState::Open: return 'O';
    case HealthState::Stuck: return 'S';
    case HealthState::Jump: return 'J';
  }
  return '?';
}

// A kind-2 board of type K whose channel 1 is driven frame by frame; the
// others read changing counts.
struct Board {
  BoardSettings settings{};
  ConversionState conversion;
  BoardHealth health;
  std::array<std::int64_t, kSlotCount> raw{};
  double now = kStart;
  int modelKind = 2;

  Board(char letter = 'K', int channelType = 1) {
    settings.boardSensorType = static_cast<int>(std::strchr(kSensorLetters, letter) - kSensorLetters);
    for (int k = 0; k < kSlotCount; ++k) settings.channelSensorType[k] = channelType;
    conversion.BoardTypeLetter = letter;
    conversion.ChannelValue.fill(20.0);
  }
  // One cycle, `seconds` after the last; the state of channel 1 after it.
  char Cycle(const HealthConfig& config, double seconds = 1.0, bool record = true) {
    now += seconds * kSecond;
    for (int k = 2; k < kSlotCount; ++k) raw[k] += 7;  // noise elsewhere
    const HealthOutcome out =
        CheckHealth(health, config, raw, conversion, settings, modelKind, now, record);
    for (const HealthChange& c : out.changes) changes.push_back(c);
    return Mark(health.channels[1].state);
  }
  std::vector<HealthChange> changes;
};

// 'o' the open code 0x7FFFFF, 'O' the over-range code 0x800000, 'n' a reading.
TEST(ChannelHealth, OpenStartsAndEndsAfterThreeFramesOnThermocoupleChannelsOnly) {
  HealthConfig off;
  off.open = false;
  const struct {
    const char* what;
    char letter;
    int channelType;
    HealthConfig config;
    const char* counts;
    const char* states;
  } cases[] = {
      {"three frames start it", 'K', 1, {}, "ooo", "..O"},
      {"the over-range code too", 'K', 1, {}, "OoO", "..O"},
      {"a reading between starts again", 'K', 1, {}, "oonoooo", ".....OO"},
      {"three readings end it", 'K', 1, {}, "ooonnnn", "..OOO.."},
      {"a code among readings does not end it", 'K', 1, {}, "ooonononnn", "..OOOOOOO."},
      {"per-channel board, type J", 'B', 3, {}, "ooo", "..O"},
      {"a mV channel is not a thermocouple", 'B', 0, {}, "oooo", "...."},
      {"nor a Z channel", 'K', 7, {}, "oooo", "...."},
      {"nor a voltage board", 'V', 1, {}, "oooo", "...."},
      {"nor a type-A board", 'A', 1, {}, "oooo", "...."},
      {"switched off", 'K', 1, off, "oooo", "...."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Board board(c.letter, c.channelType);
    std::string states;
    std::int64_t reading = 1000;
    for (const char* p = c.counts; *p; ++p) {
      board.raw[1] = *p == 'o' ? 0x7FFFFF : *p == 'O' ? 0x800000 : (reading += 3);
      states += board.Cycle(c.config);
    }
    EXPECT_EQ(states, c.states);
  }
}

// 's' the same count a second later, 'n' a new count, 'F' the same count
// after the clock stepped an hour forward, 'B' an hour back, 'o' the open code.
TEST(ChannelHealth, StuckIsACountUnchangedForTheConfiguredTime) {
  HealthConfig shortTime;
  shortTime.stuckMinutes = 0.04;  // 2.4 s
  shortTime.open = false;
  HealthConfig twentyMinutes;
  twentyMinutes.stuckMinutes = 20;
  HealthConfig off;
  off.stuckMinutes = 0;
  const struct {
    const char* what;
    HealthConfig config;
    const char* counts;
    const char* states;
  } cases[] = {
      // unchanged long enough at the fourth frame, then three frames of hysteresis
      {"unchanged for 2.4 s", shortTime, "nsssssss", ".....SSS"},
      {"a change restarts the time", shortTime, "nssnssnss", "........."},
      {"a change ends it three frames later", shortTime, "nssssssnsss", ".....SSSS.."},
      {"a clock step forward is not an hour unchanged", twentyMinutes, "nsFsss", "......"},
      {"a clock step back counts nothing", shortTime, "nssBsssss", "......SSS"},
      {"the open code standing still is not stuck", shortTime, "oooooooo", "........"},
      {"switched off", off, "nsssssss", "........"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Board board;
    std::string states;
    for (const char* p = c.counts; *p; ++p) {
      double seconds = 1.0;
      if (*p == 'n') board.raw[1] += 5;
      if (*p == 'o') board.raw[1] = 0x7FFFFF;
      if (*p == 'F') seconds = 3600.0;
      if (*p == 'B') seconds = -3600.0;
      states += board.Cycle(c.config, seconds);
    }
    EXPECT_EQ(states, c.states);
  }
}

// Values of channel 1 at its records ('-' no data), `every` cycles a record.
TEST(ChannelHealth, JumpIsAChangeBeyondTheLimitBetweenRecords) {
  HealthConfig limit;
  limit.jumpLimit = 10.0;
  const HealthConfig off;  // jump_limit 0
  const struct {
    const char* what;
    HealthConfig config;
    std::vector<double> values;
    int every;
    const char* states;
  } cases[] = {
      {"three jumps start it, three quiet records end it", limit,
       {20, 40, 20, 40, 20, 20, 20, 20}, 1, "...JJJJ."},
      {"a change equal to the limit is none", limit, {20, 30, 20, 30, 20, 30}, 1, "......"},
      {"no data between readings is no jump", limit,
       {20, NoDataValue, 40, NoDataValue, 20, NoDataValue, 40}, 1, "......."},
      // the cycles between records see the values too, and count nothing
      {"only records count", limit, {20, 40, 20, 40, 20, 40, 20, 40}, 2, "........"},
      {"switched off", off, {20, 40, 20, 40, 20, 40}, 1, "......"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Board board;
    std::string states;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      board.conversion.ChannelValue[1] = c.values[i];
      board.raw[1] += 5;
      states += board.Cycle(c.config, 1.0, (i + 1) % c.every == 0);
    }
    EXPECT_EQ(states, c.states);
  }
}

// Open before stuck before jump; one change each time the shown state moves,
// with its line and the value box's tooltip; the first check is announced.
TEST(ChannelHealth, OneStatePerChannelWithItsLineAndSince) {
  HealthConfig config;
  config.stuckMinutes = 0.04;
  config.jumpLimit = 10.0;
  Board board;
  board.conversion.ChannelValue[1] = 20.0;
  const HealthOutcome first =
      CheckHealth(board.health, config, board.raw, board.conversion, board.settings, 2, kStart, true);
  EXPECT_TRUE(first.announce) << "the first check is told";
  EXPECT_TRUE(first.changes.empty());
  EXPECT_EQ(HealthReportOf(0, board.health).checked,
            (std::array<bool, kSlotCount>{false, true, true, true, true, true, true, true, true}));
  board.modelKind = 1;  // channels 5..8 are gone: told once more
  EXPECT_TRUE(CheckHealth(board.health, config, board.raw, board.conversion, board.settings, 1,
                          kStart, false).announce);
  EXPECT_FALSE(board.health.checked[5]);

  // jumping and frozen together shows stuck; the open code then shows open
  for (int i = 0; i < 8; ++i) {
    board.conversion.ChannelValue[1] = i % 2 ? 40.0 : 20.0;
    board.Cycle(config);
  }
  EXPECT_EQ(board.health.channels[1].state, HealthState::Stuck);
  board.raw[1] = 0x7FFFFF;
  board.conversion.ChannelValue[1] = NoDataValue;
  for (int i = 0; i < 3; ++i) board.Cycle(config);
  EXPECT_EQ(board.health.channels[1].state, HealthState::Open);
  const double openedAt = board.now;
  EXPECT_EQ(board.health.channels[1].since, openedAt);
  for (int i = 0; i < 3; ++i) board.Cycle(config);  // nothing more to tell
  board.raw[1] = 1234;
  board.conversion.ChannelValue[1] = 21.0;
  for (int i = 0; i < 3; ++i) board.Cycle(config);

  std::vector<std::string> lines;
  for (const HealthChange& c : board.changes) lines.push_back(HealthChangeLine(0, c, config, false));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "A CH1 reading jumps (more than 10 between records)",
                       "A CH1 reading stuck (count unchanged for 0.04 min)",
                       "A CH1 thermocouple open",
                       "A CH1 reading again",
                   }));
  EXPECT_EQ(HealthChangeLine(3, {5, HealthState::Open, HealthState::Ok}, config, true),
            "D CH5 다시 측정 중");

  ChannelHealth open;
  open.state = HealthState::Open;
  open.since = EncodeDateTime({2026, 12, 8, 14, 5, 32});
  EXPECT_EQ(HealthToolTip(open, false), "Thermocouple open since 2026-12-08 14:05:32");
  EXPECT_EQ(HealthToolTip(open, true), "열전대 단선: 2026-12-08 14:05:32부터");
  EXPECT_EQ(HealthToolTip(ChannelHealth{}, false), "");
}

// With open_trips_relays an open channel drives the interlock's relay as an
// alarm would, without an alarm's message; the cycle hands it over.
TEST(ChannelHealth, OpenChannelsTripTheInterlockRelaysWhenConfigured) {
  const struct {
    const char* what;
    int modelKind;
    bool tripsRelays;
    int openChannel;
    const char* command;  // after the third open frame; "" none
  } cases[] = {
      {"kind 1, channel 2", 1, true, 2, "P2\r"},
      {"kind 0: its one output", 0, true, 3, "D1\r"},
      {"kind 2, channel 6 has no output", 2, true, 6, ""},
      {"off by default", 1, false, 2, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QTemporaryDir dir;
    BoardSettings settings{};
    FillBoardDefaults(settings, 0, dir.path().toStdString());
    settings.boardSensorType = 1;
    for (int k = 0; k < kSlotCount; ++k) {
      settings.channelSensorType[k] = 1;
      settings.alarmEnabled[k] = 1;
      settings.alarmLow[k] = -1000.0;  // an open channel reads no data: never a low alarm
      settings.channelRangeMv[k] = 78.125;
    }
    BoardRunState board;
    board.frame.ModelKind = c.modelKind;
    ApplyConversionSettings(board.conversion, settings, c.modelKind);
    CycleInputs inputs;
    inputs.settings = &settings;
    inputs.dataDirectory = dir.path().toStdString();
    inputs.alarms.interlock = true;
    inputs.health.openTripsRelays = c.tripsRelays;
    const int channels = LastChannelSlot(c.modelKind);
    std::vector<std::int32_t> counts(channels + 1, 0x000100);
    counts[c.openChannel] = 0x7FFFFF;
    ManualClock clock(kStart);
    ScopedClock scoped(clock);
    std::string command;
    std::string text;
    for (int frame = 0; frame < 3; ++frame) {
      std::string line;
      for (int i = 0; i <= channels; ++i) {
        char field[8];
        std::snprintf(field, sizeof field, "%06X", counts[i]);
        line += (i ? ", " : "") + std::string(field);
      }
      line += "\r\n";
      clock.AdvanceSeconds(1);
      const CycleOutcome out = RunCycle(board, line.c_str(), clock.Now(), inputs);
      text += out.alarm.AlarmText;
      if (frame < 2) {
        EXPECT_FALSE(out.alarm.relayCommand) << "before the third frame";
      }
      if (out.alarm.relayCommand) command = *out.alarm.relayCommand;
    }
    EXPECT_EQ(command, c.command);
    EXPECT_EQ(text, "") << "no alarm message, event line or sound";
  }
}

TEST(HealthConfigFile, DefaultsKeysAndRefusals) {
  const struct {
    const char* text;
    HealthConfig config;
    const char* error;  // a part of the refusal; "" read
  } cases[] = {
      {"", {}, ""},
      {"[health]\nopen=0\nstuck_minutes=0.5\njump_limit=12.5 ; degC\nopen_trips_relays=1\n",
       {false, 0.5, 12.5, true}, ""},
      {"[health]\nstuck_minutes=0\n", {true, 0.0, 0.0, false}, ""},
      {"[health]\nopen=yes\n", {}, "line 2: open must be 0 or 1, not \"yes\""},
      {"[health]\nopen=1\nstuck_minutes=-1\n", {}, "line 3: stuck_minutes must be a number from 0 to 10080"},
      {"[health]\nstuck_minutes=20000\n", {}, "stuck_minutes must be a number"},
      {"[health]\njump_limit=nan\n", {}, "line 2: jump_limit must be a number"},
      {"[health]\nopen_trips_relay=1\n", {}, "line 2: unknown key \"open_trips_relay\""},
      {"[relays]\nopen_trips_relays=1\n", {}, "unknown key"},
      {"open=1\n", {}, "line 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const HealthConfigResult r = ParseHealthConfig(ParseIni(c.text));
    EXPECT_EQ(r.config, c.config) << "a refused file leaves the defaults";
    if (*c.error == '\0') {
      EXPECT_EQ(r.error, "");
    } else {
      EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
  }
  EXPECT_EQ(HealthConfigPathFor("/opt/lab/tessar.SET"), "/opt/lab/tessar.health");
  QTemporaryDir dir;
  EXPECT_FALSE(ReadHealthConfig(dir.path().toStdString() + "/tessar.health").has_value());
}

}  // namespace
}  // namespace tessar
