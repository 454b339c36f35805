// What an ORVA device sends: measurement frames and the configuration dump.
// Used by the device simulator and to build replies byte for byte in tests.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "settings/board_settings.h"

namespace tessar {

// Six upper-case hexadecimal digits of a 24-bit count; negative counts in
// two's complement ("-1" -> "FFFFFF").
std::string FormatCount(std::int32_t count);

// One frame: the fields joined by ", " and ended by CR LF.
std::string FormatFrame(std::span<const std::int32_t> counts);

// A number of the configuration dump: plain decimal notation, never an
// exponent (an "E" would end the reply), always with a decimal point.
std::string FormatDumpNumber(double value);

// The configuration a device reports.
struct DeviceConfig {
  std::string model = "ORVA-2280";
  std::string serialNumber = "A00001";
  // Range index and sensor letter by slot: kind 0 uses slots 0..6, kinds 1
  // and 2 slots 1..4 / 1..8.
  std::array<int, kSlotCount> rangeIndex{};
  std::array<char, kSlotCount> letter{};
  double a1 = 1.0;
  double a0 = 0.0;
  double ref = 2.5;
  std::array<double, kSlotCount> t1{};  // channels 1..8
  std::array<double, kSlotCount> t0{};
  // Kind 0 only: whether the T1/T0 lines are sent at all (without them the
  // calibration ends after Ref).
  bool channelCalibration = true;

  DeviceConfig() {
    rangeIndex.fill(0);
    letter.fill('K');
    t1.fill(1.0);
    t0.fill(0.0);
  }
};

// "S", CR, model, CR, settings block, "M", CR, calibration block, "E" for the
// model kind of config.model (kind 2 layout for an unknown model).
std::string FormatConfigReply(const DeviceConfig& config);

}  // namespace tessar
