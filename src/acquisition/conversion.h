// Turning one measurement frame of a board into its nine engineering values:
// slot 0 the cold junction (or channel 0 in mV on the first model kind's
// voltage and type-A boards), slots 1..8 the channels in degC, mV or the
// user's units; then the running median of each slot.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "acquisition/median_filter.h"
#include "settings/board_settings.h"

namespace tessar {

constexpr double kFullScaleCount = 8388607.0;  // 2^23 - 1
constexpr std::int64_t kMissingCount = 0x7FFFFF;
constexpr std::int64_t kOverrangeCount = 0x800000;

// Conversion state of one board. Zero-initialised as the program starts,
// except where an initial value is given.
struct ConversionState {
  char BoardTypeLetter = 'K';
  std::array<double, kSlotCount> RangeScale{};  // mV per count
  double LastColdJunction = 20.0;
  // Ohm and zero corrections of channels 1..8 (index k - 1), learnt while the
  // calibration switches are on; never stored.
  std::array<double, kChannelCount> OhmFactor{1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
  std::array<float, kChannelCount> ZeroOffset{};
  std::array<double, kSlotCount> ChannelValue{};
  std::array<std::int32_t, kSlotCount> ChannelInvalid{1, 1, 1, 1, 1, 1, 1, 1, 1};
  std::array<RunningMedian, kSlotCount> MedianWindow;
};

// The switches of the window that the conversion reads on every cycle.
struct LiveControls {
  bool ohmCorrection = false;         // ChkOhm, "Ohm Correction"
  bool zeroCorrection = false;        // ChbZero, "Zero Correction"
  bool useFixedColdJunction = false;  // ChbTref, "Use"
  std::string fixedColdJunction = "0";  // EdTref text
};

// Takes the board's letter and per-slot scales from its settings (when the
// settings are shown in the window). A sensor type index outside the letter
// table keeps the previous letter.
void ApplyConversionSettings(ConversionState& state, const BoardSettings& settings, int modelKind);

// The nine raw counts of a frame (slots the frame does not carry stay
// kMissingCount) and, on kinds 1 and 2, the decoded cold-junction value.
struct ParsedFrame {
  std::array<std::int64_t, kSlotCount> raw;
  double coldJunction = 0.0;
};
// `text` is read up to its NUL or `maxLength` characters.
ParsedFrame ParseFrame(const char* text, std::size_t maxLength, int modelKind);

// The number typed into EdTref: a plain decimal number in the C locale,
// blanks around it allowed. False when the text is not a finite number.
bool ParseFixedColdJunction(const std::string& text, double& value);

// Converts one frame into ChannelValue / ChannelInvalid, updates the cold
// junction memory and the learnt corrections, then runs the median filter.
// `sampleCount` is the number of records of the current run.
//
// Whatever the inputs, no infinity or NaN is ever stored: a value that cannot
// be computed reads NoDataValue with its invalid flag set.
void ConvertFrame(ConversionState& state, const char* text, std::size_t maxLength,
                  int modelKind, const BoardSettings& settings, const LiveControls& controls,
                  std::int32_t sampleCount);

// The slot of a board's last channel: 6, 4 or 8 by model kind.
int LastChannelSlot(int modelKind);

}  // namespace tessar
