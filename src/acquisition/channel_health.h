// The health of a board's thermocouple inputs, decided once per cycle for
// every channel the board's model has:
//
//   open   the device reports its open / over-range code (0x7FFFFF or
//          0x800000) on a thermocouple channel: a broken wire;
//   stuck  the raw count has not changed for `stuckMinutes` (a real input
//          always shows some noise): a frozen input;
//   jump   the value changed by more than `jumpLimit` from one record to
//          the next: a loose contact.
//
// Each condition starts only after it was seen in kHealthHysteresis cycles
// in a row and ends only after it was absent in as many, so a single bad
// frame is never a report. Jumps are seen at records, so their cycles are
// records. A channel shows one state: open before stuck before jump.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/conversion.h"
#include "settings/board_settings.h"

namespace tessar {

constexpr int kHealthHysteresis = 3;
// The most wall-clock time one cycle adds to a count's unchanged time (the
// longest pace of a viewer's polls): a clock step never makes an input stuck.
constexpr double kHealthLongestStepSeconds = 1000.0;

// What the checks look for; the defaults hold without a configuration file.
struct HealthConfig {
  bool open = true;
  double stuckMinutes = 10.0;    // 0: off
  double jumpLimit = 0.0;        // in the channel's unit; 0: off
  bool openTripsRelays = false;  // an open channel drives the interlock's relays
  bool operator==(const HealthConfig&) const = default;
};

enum class HealthState : std::uint8_t { Ok, Open, Stuck, Jump };

// "ok", "open", "stuck", "jump".
const char* HealthStateName(HealthState state);

// One condition with its hysteresis.
struct HealthTrack {
  bool active = false;
  int streak = 0;  // observations in a row that disagree with `active`
  // Takes one observation; true when the condition started or ended with it.
  bool Observe(bool seen);
};

struct ChannelHealth {
  HealthState state = HealthState::Ok;
  double since = 0.0;  // day count at which `state` began
  HealthTrack open, stuck, jump;
  bool haveCount = false;
  std::int64_t count = 0;         // the raw count of the last cycle
  double lastSeen = 0.0;          // time of the last cycle
  double unchangedSeconds = 0.0;  // how long `count` has been the same
  bool haveRecord = false;        // the last record had a value
  double recordValue = 0.0;       // and this was it
};

// The health of one board, kept with its run state.
struct BoardHealth {
  std::array<ChannelHealth, kSlotCount> channels{};  // 1..8; slot 0 unused
  std::array<bool, kSlotCount> checked{};            // channels of the board's model
  bool announced = false;                            // its state was told once
  double time = 0.0;                                 // time of the last change
};

struct HealthChange {
  int channel = 0;  // 1..8
  HealthState from = HealthState::Ok;
  HealthState to = HealthState::Ok;
};

struct HealthOutcome {
  std::vector<HealthChange> changes;  // the channels whose state changed, in order
  // The board's health is to be told to those who follow it: it changed,
  // or this is its first check.
  bool announce = false;
};

// A thermocouple channel: the board is not a voltage or type-A board and
// the channel's type has a thermocouple table (K, R, J, S, T).
bool IsThermocoupleChannel(const ConversionState& conversion, const BoardSettings& settings,
                           int channel);

// The check of one cycle at time `now` (a day count) on the frame's raw
// counts and the converted values; `record` says the cycle takes a record.
HealthOutcome CheckHealth(BoardHealth& health, const HealthConfig& config,
                          const std::array<std::int64_t, kSlotCount>& raw,
                          const ConversionState& conversion, const BoardSettings& settings,
                          int modelKind, double now, bool record);

// The channels that count as in alarm for the relay outputs: the open ones
// when the configuration says so.
std::array<bool, kSlotCount> RelayTrips(const BoardHealth& health, const HealthConfig& config);

// The status line of a change: "A CH5 thermocouple open", "A CH5 reading
// again", ... in the language of the run (UTF-8).
std::string HealthChangeLine(int board, const HealthChange& change, const HealthConfig& config,
                             bool koreanUi);
// The value box's tooltip of a channel: its state and since when; empty
// while it reads well.
std::string HealthToolTip(const ChannelHealth& channel, bool koreanUi);

// A board's health as those who follow it see it (the web read-out, the
// broker).
struct HealthReport {
  int board = 0;
  double time = 0.0;  // of the last change
  std::array<bool, kSlotCount> checked{};
  std::array<HealthState, kSlotCount> state{};
  std::array<double, kSlotCount> since{};
};
HealthReport HealthReportOf(int board, const BoardHealth& health);

// "health":[9] (null for a slot that is not checked, else the state's name).
std::string HealthArrayJson(const HealthReport& report);
// "board":"A","time":..,"health":[9],"since":[9 times, null while ok]
std::string HealthJsonFields(const HealthReport& report);

}  // namespace tessar
