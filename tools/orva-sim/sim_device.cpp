#include "sim_device.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <sstream>

#include "acquisition/thermocouple.h"
#include "common/number_text.h"

namespace orva {

namespace {

constexpr double kFullScale = 8388607.0;
constexpr std::int32_t kOpenCount = 0x7FFFFF;
constexpr std::int32_t kLargestCount = 0x7FFFFE;
// Kind-0 cold-junction sensor: degC = kCjSlope * mV * 5 / Ref - kCjOffset.
constexpr double kCjSlope = 0.0444365446142908;
constexpr double kCjOffset = 61.1073586917881;

constexpr std::int32_t kSmallestCount = -0x800000;

// A channel count as the frame carries it: a 24-bit two's complement field,
// as a device sends it (-1 is FFFFFF, the negative end of the scale 800000).
std::int32_t ChannelCount(double count) {
  if (!std::isfinite(count)) return kOpenCount;
  const long long rounded =
      std::llround(std::clamp(count, double(kSmallestCount), double(kLargestCount)));
  return static_cast<std::int32_t>(rounded & 0xFFFFFF);
}

}  // namespace

// "a:b:c" -> {"a", "b", "c"}.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

double Signal::ValueAt(double seconds, long frame, std::mt19937& rng) const {
  switch (kind) {
    case Kind::Steps: return steps[static_cast<std::size_t>(frame) % steps.size()];
    case Kind::Constant: return a;
    case Kind::Ramp: return a + b * seconds;
    case Kind::Sine: return c > 0 ? a + b * std::sin(2 * std::numbers::pi * seconds / c) : a;
    case Kind::Noise: {
      std::normal_distribution<double> noise(a, b > 0 ? b : 0.0);
      return b > 0 ? noise(rng) : a;
    }
    case Kind::Open: return std::numeric_limits<double>::quiet_NaN();
  }
  return a;
}

bool ParseSignal(const std::string& text, Signal& signal) {
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.empty()) return false;
  const std::string& name = parts[0];
  std::vector<double> numbers;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    double value;
    if (!tessar::ParseDecimal(parts[i], value)) return false;
    numbers.push_back(value);
  }
  Signal s;
  if (name == "constant" && numbers.size() == 1) {
    s.kind = Signal::Kind::Constant;
  } else if (name == "ramp" && numbers.size() == 2) {
    s.kind = Signal::Kind::Ramp;
  } else if (name == "sine" && numbers.size() == 3 && numbers[2] > 0) {
    s.kind = Signal::Kind::Sine;
  } else if (name == "noise" && numbers.size() == 2 && numbers[1] >= 0) {
    s.kind = Signal::Kind::Noise;
  } else if (name == "open" && numbers.empty()) {
    s.kind = Signal::Kind::Open;
  } else if (name == "steps" && !numbers.empty()) {
    s.kind = Signal::Kind::Steps;
    s.steps = numbers;
  } else {
    return false;
  }
  if (numbers.size() > 0) s.a = numbers[0];
  if (numbers.size() > 1) s.b = numbers[1];
  if (numbers.size() > 2) s.c = numbers[2];
  signal = s;
  return true;
}

namespace {
bool FaultOn(const ChannelFault& fault, long index) {
  return fault.frames < 0 || index < fault.frames;
}
}  // namespace

void ApplyValueFaults(const DeviceSetup& setup, long index,
                      std::array<double, tessar::kSlotCount>& values) {
  for (const ChannelFault& fault : setup.channelFaults) {
    if (!FaultOn(fault, index)) continue;
    double& value = values[fault.channel];
    if (fault.kind == ChannelFault::Kind::Open) {
      value = std::numeric_limits<double>::quiet_NaN();
    } else if (fault.kind == ChannelFault::Kind::Jump) {
      value += kJumpStep * static_cast<double>(index % 3);
    }
  }
}

void ApplyCountFaults(const DeviceSetup& setup, long index, std::vector<std::int32_t>& counts,
                      ChannelFaultState& state) {
  for (const ChannelFault& fault : setup.channelFaults) {
    if (fault.kind != ChannelFault::Kind::Freeze || !FaultOn(fault, index)) continue;
    const auto channel = static_cast<std::size_t>(fault.channel);
    if (channel >= counts.size()) continue;
    if (!state.held[channel]) {
      state.held[channel] = true;
      state.count[channel] = counts[channel];
    }
    counts[channel] = state.count[channel];
  }
}

void CompleteSetup(DeviceSetup& setup) {
  tessar::DeviceConfig& config = setup.config;
  const int kind = tessar::ModelKindOf(config.model.c_str(), config.model.size() + 1);
  const int firstSlot = kind == 0 ? 0 : 1;
  // Kind 0: the cold junction on 1250 mV, channels on 78.125 mV; kinds 1
  // and 2: 78.125 mV.
  config.rangeIndex.fill(kind == 0 ? 5 : 6);
  if (kind == 0) config.rangeIndex[0] = 1;
  for (std::size_t k = 0; k < setup.ranges.size() && firstSlot + k < tessar::kSlotCount; ++k) {
    config.rangeIndex[firstSlot + k] = setup.ranges[k];
  }
  config.letter.fill('K');
  for (std::size_t k = 0; k < setup.letters.size() && firstSlot + k < tessar::kSlotCount; ++k) {
    config.letter[firstSlot + k] = setup.letters[k];
  }
  if (setup.typeS) config.letter[1] = 'S';
  for (std::size_t k = 0; k < setup.t1.size(); ++k) config.t1[k + 1] = setup.t1[k];
  for (std::size_t k = 0; k < setup.t0.size(); ++k) config.t0[k + 1] = setup.t0[k];
  if (!setup.refGiven) config.ref = kind == 0 ? 2.5 : 0.0;
}

std::vector<std::int32_t> CountsFor(const tessar::BoardSettings& record, int modelKind,
                                    const std::array<double, tessar::kSlotCount>& values) {
  const int channels = modelKind == 0 ? 6 : modelKind == 1 ? 4 : 8;
  std::vector<std::int32_t> counts(channels + 1, kOpenCount);
  const int boardType = record.boardSensorType;
  const char boardLetter =
      boardType >= 0 && boardType < tessar::kSensorLetterCount ? tessar::kSensorLetters[boardType] : 'K';
  const bool plainBoard = boardLetter == 'V' || boardLetter == 'A';

  // Slot 0 and the cold-junction temperature the logger will derive from it.
  double coldJunction = 20.0;
  const double cj = std::isfinite(values[0]) ? values[0] : 25.0;
  if (modelKind == 0) {
    const double scale0 = record.channelRangeMv[0] / kFullScale;
    double count = 0;
    if (plainBoard) {
      count = scale0 > 0 ? cj / scale0 : 0;
    } else if (record.refVoltage > 0 && scale0 > 0) {
      count = (cj + kCjOffset) * record.refVoltage / (kCjSlope * 5.0) / scale0;
    }
    const long long raw = std::llround(std::clamp(count, 0.0, double(kLargestCount)));
    counts[0] = static_cast<std::int32_t>(raw);
    if (record.refVoltage > 0) {
      coldJunction = kCjSlope * (raw * scale0) * 5.0 / record.refVoltage - kCjOffset;
    }
  } else {
    const long long raw = std::llround(
        std::clamp((cj - record.refVoltage) * 25600.0, double(kSmallestCount), double(kLargestCount)));
    counts[0] = static_cast<std::int32_t>(raw & 0xFFFFFF);
    coldJunction = raw / 25600.0 + record.refVoltage;
  }

  for (int ch = 1; ch <= channels; ++ch) {
    const double value = values[ch];
    const double t1 = record.channelT1[ch];
    const double t0 = record.channelT0[ch];
    const double scale = record.voltA1 * record.channelRangeMv[ch] / kFullScale;
    if (!std::isfinite(value) || t1 <= 0.0 || scale == 0.0) continue;  // stays open
    double mv;  // what T1 * x + T0 must give
    if (boardLetter == 'V') {
      mv = value;
    } else if (boardLetter == 'A') {
      const double span = (record.channelMax[ch] - record.channelMin[ch]) * 0.0005;
      if (span == 0) continue;
      // Half a unit above, so that the logger's truncation lands on the value.
      mv = (value + 0.5 - record.channelMin[ch]) / span + 500.0;
    } else {
      const int type = record.channelSensorType[ch];
      if (type == 0 || type == 7) {
        mv = value;
      } else {
        if (type < 0 || type >= tessar::kSensorLetterCount) continue;
        const char letter = tessar::kSensorLetters[type];
        const double cjMv = tessar::TemperatureToMv(letter, coldJunction);
        const double total = tessar::TemperatureToMv(letter, value);
        if (cjMv == tessar::OutOfRangeValue || total == tessar::OutOfRangeValue) continue;
        mv = total - cjMv;
        // The inverse function is not the exact inverse of the reference
        // function: correct until the logger's reading matches.
        for (int i = 0; i < 4; ++i) {
          const double read = tessar::MvToTemperature(letter, mv, cjMv);
          if (read == tessar::OutOfRangeValue) break;
          const double up = tessar::TemperatureToMv(letter, value + 0.05);
          const double down = tessar::TemperatureToMv(letter, value - 0.05);
          if (up == tessar::OutOfRangeValue || down == tessar::OutOfRangeValue) break;
          mv += (value - read) * (up - down) / 0.1;
        }
      }
    }
    const double x = (mv - t0) / t1;
    counts[ch] = ChannelCount((x - record.voltA0) / scale);
  }
  return counts;
}

}  // namespace orva
