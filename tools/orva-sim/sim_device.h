// One simulated ORVA device: its configuration, its channel signals, how it
// turns the signals into the counts of a frame and which faults it shows.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "device/device_replies.h"
#include "settings/board_settings.h"

namespace orva {

// What one slot reads, in the unit the logger shows for it: degC for a
// thermocouple channel and for the cold junction, mV for a voltage channel,
// the user's units for a type-A channel.
struct Signal {
  enum class Kind { Constant, Ramp, Sine, Noise, Open, Steps };
  Kind kind = Kind::Constant;
  double a = 0.0;  // constant value, ramp start, sine centre, noise centre
  double b = 0.0;  // ramp rate per second, sine amplitude, noise deviation
  double c = 0.0;  // sine period in seconds
  std::vector<double> steps;  // one value per frame, over and over

  // The value of frame number `frame` (0 = the first after "DK"), sent
  // `seconds` after the start; NaN for an open input.
  double ValueAt(double seconds, long frame, std::mt19937& rng) const;
};

// Parses "constant:V", "ramp:START:RATE", "sine:CENTRE:AMPL:PERIOD",
// "noise:CENTRE:SD", "open", "steps:V:V:...". False on anything else.
bool ParseSignal(const std::string& text, Signal& signal);

struct Fault {
  std::string name;  // split, straddle, double, wrong-length, embedded-lf, garbage
  int every = 1;     // applies to every N-th frame
};

// A fault of one channel's reading, from the first frame on for `frames`
// frames (-1: all along).
struct ChannelFault {
  enum class Kind { Open, Freeze, Jump };
  Kind kind = Kind::Open;
  int channel = 1;   // 1..8
  int frames = -1;
};

// The step of a jumping channel: 0, 1, 2 steps above its signal, frame after
// frame, so that any two frames in a row differ even when one is missed.
constexpr double kJumpStep = 50.0;

// What the channel faults keep between frames: the count each frozen
// channel holds.
struct ChannelFaultState {
  std::array<bool, tessar::kSlotCount> held{};
  std::array<std::int32_t, tessar::kSlotCount> count{};
};

struct DeviceSetup {
  int number = 1;                       // COMn
  tessar::DeviceConfig config;
  int periodMs = 1000;
  std::array<Signal, tessar::kSlotCount> signals;
  std::vector<Fault> frameFaults;
  std::vector<ChannelFault> channelFaults;
  int silentAfter = -1;                 // frames sent before falling silent; -1 never
  bool answerConfig = true;             // false: "DC" is ignored
  // As given on the command line, in the order of the dump (kind 0 from slot
  // 0, the others from channel 1); placed into `config` by CompleteSetup.
  std::vector<int> ranges;
  std::string letters;
  std::vector<double> t1, t0;
  bool typeS = false;
  bool refGiven = false;
};

// Fills the defaults that depend on the model (ranges, reference, signals).
void CompleteSetup(DeviceSetup& setup);

// The counts of one frame for the values of slots 0..8 (NaN = open input),
// computed through the inverse of the logger's conversion with the record the
// logger builds from this device's own configuration dump.
std::vector<std::int32_t> CountsFor(const tessar::BoardSettings& record, int modelKind,
                                    const std::array<double, tessar::kSlotCount>& values);

// Frame `index` (0 = the first) with the channel faults of `setup`: the open
// and jumping channels change `values` before the counts are computed, the
// frozen ones then change `counts`.
void ApplyValueFaults(const DeviceSetup& setup, long index,
                      std::array<double, tessar::kSlotCount>& values);
void ApplyCountFaults(const DeviceSetup& setup, long index, std::vector<std::int32_t>& counts,
                      ChannelFaultState& state);

// Splits a command-line value at every `separator`.
std::vector<std::string> Split(const std::string& text, char separator);

}  // namespace orva
