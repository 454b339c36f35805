#include "acquisition/conversion.h"


#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "acquisition/thermocouple.h"
#include "common/number_text.h"

namespace tessar {
namespace {

// Sensor characteristic of the first model kind's cold-junction channel.
constexpr double kColdJunctionSlope = 0.0444365446142908;
constexpr double kColdJunctionOffset = 61.1073586917881;
// Kinds 1 and 2 send the cold junction as a signed 24-bit field; shifted into
// the top of an int32 it counts 1/65536 of 1/100 degC.
constexpr double kColdJunctionUnit = 1.52587890625e-7;  // 2^-16 / 100
constexpr double kColdJunctionJump = 10.0;
constexpr double kCutOff = 5.0;
constexpr double kTypeASnap = 11.0;

int FieldCountOf(int modelKind) {
  switch (modelKind) {
    case 1: return 5;
    case 2: return 9;
    default: return 7;
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// One hexadecimal number after optional blanks, as a scan with "%X" reads it
// (kept to 32 bits). False when no digit is there.
bool ScanHex(const char*& p, const char* end, std::uint32_t& value) {
  while (p < end && IsBlank(*p)) ++p;
  std::uint32_t v = 0;
  bool any = false;
  for (; p < end; ++p) {
    const int d = HexDigit(*p);
    if (d < 0) break;
    v = (v << 4) | static_cast<std::uint32_t>(d);
    any = true;
  }
  if (any) value = v;
  return any;
}

bool IsFinite(double v) { return std::isfinite(v); }

}  // namespace

int LastChannelSlot(int modelKind) {
  switch (modelKind) {
    case 1: return 4;
    case 2: return 8;
    default: return 6;
  }
}

void ApplyConversionSettings(ConversionState& state, const BoardSettings& settings,
                             int modelKind) {
  if (settings.boardSensorType >= 0 && settings.boardSensorType < kSensorLetterCount) {
    state.BoardTypeLetter = kSensorLetters[settings.boardSensorType];
  }
  for (int k = 1; k < kSlotCount; ++k) {
    state.RangeScale[k] = settings.channelRangeMv[k] / kFullScaleCount;
  }
  state.RangeScale[0] = modelKind == 0 ? settings.channelRangeMv[0] / kFullScaleCount : 0.0;
}

ParsedFrame ParseFrame(const char* text, std::size_t maxLength, int modelKind) {
  ParsedFrame frame;
  frame.raw.fill(kMissingCount);
  const std::size_t length = text ? strnlen(text, maxLength) : 0;
  const char* p = text;
  const char* end = text + length;

  // Fields separated by ", "; the scan stops at the first field or separator
  // that does not match, leaving the rest at "missing".
  const int fields = FieldCountOf(modelKind);
  for (int i = 0; i < fields; ++i) {
    if (i > 0) {
      if (p >= end || *p != ',') break;
      ++p;
      while (p < end && IsBlank(*p)) ++p;
    }
    std::uint32_t value = 0;
    if (!ScanHex(p, end, value)) break;
    frame.raw[i] = value;
  }

  if (modelKind == 1 || modelKind == 2) {
    // The first six characters followed by "00": the 24-bit two's-complement
    // field lands in the top of a signed 32-bit number and gains its sign.
    char shifted[9] = {};
    const std::size_t head = length < 6 ? length : 6;
    if (head > 0) std::memcpy(shifted, text, head);
    shifted[head] = '0';
    shifted[head + 1] = '0';
    const char* q = shifted;
    std::uint32_t value = 0;
    ScanHex(q, shifted + head + 2, value);
    frame.coldJunction = static_cast<std::int32_t>(value) * kColdJunctionUnit;
  }
  return frame;
}

bool ParseFixedColdJunction(const std::string& text, double& value) {
  return ParseDecimal(text, value);
}

void ConvertFrame(ConversionState& state, const char* text, std::size_t maxLength,
                  int modelKind, const BoardSettings& s, const LiveControls& controls,
                  std::int32_t sampleCount) {
  const ParsedFrame frame = ParseFrame(text, maxLength, modelKind);
  const char letter = state.BoardTypeLetter;
  const bool voltageOrTypeA = letter == 'V' || letter == 'A';

  // ---- slot 0: cold junction ----
  double coldJunction;
  bool jumpFiltered = true;
  if (modelKind == 1 || modelKind == 2) {
    coldJunction = frame.coldJunction + s.refVoltage;
  } else if (voltageOrTypeA) {
    coldJunction = static_cast<double>(frame.raw[0]) * state.RangeScale[0];
    jumpFiltered = false;
  } else {
    // Scaled by the reference voltage; a board without one (0) has no
    // cold-junction reading at all.
    coldJunction = kColdJunctionSlope * (static_cast<double>(frame.raw[0]) * state.RangeScale[0]) *
                       5.0 / s.refVoltage -
                   kColdJunctionOffset;
  }
  bool coldJunctionValid = IsFinite(coldJunction);
  if (coldJunctionValid && jumpFiltered && sampleCount > 2 &&
      std::fabs(coldJunction - state.LastColdJunction) > kColdJunctionJump) {
    coldJunction = state.LastColdJunction;
  }
  if (coldJunctionValid) {
    state.ChannelValue[0] = coldJunction;
    state.ChannelInvalid[0] = 0;
  } else {
    state.ChannelValue[0] = NoDataValue;
    state.ChannelInvalid[0] = 1;
  }

  // The fixed cold-junction temperature, read once per cycle. A text that is
  // not a number gives the thermocouple channels no data.
  double fixedColdJunction = 0.0;
  bool fixedColdJunctionValid = false;
  const bool thermocouplePath = !voltageOrTypeA;
  if (thermocouplePath && controls.useFixedColdJunction) {
    fixedColdJunctionValid = ParseFixedColdJunction(controls.fixedColdJunction, fixedColdJunction);
  }

  // ---- channels 1..8 ----
  for (int k = 1; k < kSlotCount; ++k) {
    double& value = state.ChannelValue[k];
    std::int32_t& invalid = state.ChannelInvalid[k];
    double& ohmFactor = state.OhmFactor[k - 1];
    float& zeroOffset = state.ZeroOffset[k - 1];
    const double t1 = s.channelT1[k];
    const double t0 = s.channelT0[k];
    std::int64_t r = frame.raw[k];

    value = NoDataValue;
    invalid = 1;
    if (r == kOverrangeCount || r == kMissingCount || !(t1 > 0.0)) continue;
    if (r > kMissingCount) r -= 0xFFFFFF;  // two's complement of the 24-bit field
    const double x = s.voltA1 * state.RangeScale[k] * static_cast<double>(r) + s.voltA0;

    double result = NoDataValue;
    bool valid = false;
    if (letter == 'V') {
      const double m = t1 * x + t0;
      if (controls.ohmCorrection) {
        // Calibration pass: learn the factor that makes this reading 500.
        const double w = t1 * m + t0;
        result = m;
        if (std::trunc(w) < kCutOff) {
          result = 0.0;
          ohmFactor = 1.0;
        } else {
          ohmFactor = 500.0 / w;
        }
      } else {
        result = m * ohmFactor;
        if (std::trunc((t1 * result + t0) * ohmFactor) < kCutOff) result = 0.0;
      }
      valid = true;
    } else if (letter == 'A') {
      const double m = t1 * x + t0;
      const double w = t1 * m + t0;
      const double span = (s.channelMax[k] - s.channelMin[k]) * 0.0005;
      if (controls.ohmCorrection) {
        // A reading below the cut-off (0 included) teaches nothing.
        ohmFactor = std::trunc(w) < kCutOff ? 1.0 : 500.0 / w;
      }
      double cutOffQuantity;
      if (controls.zeroCorrection) {
        result = std::trunc((w * ohmFactor - 500.0) * span + s.channelMin[k]);
        const double offset = 500.0 - w * ohmFactor;
        // Kept in single precision; an offset beyond its range teaches nothing.
        zeroOffset = std::fabs(offset) <= std::numeric_limits<float>::max()
                         ? static_cast<float>(offset)
                         : 0.0f;
        cutOffQuantity = std::trunc(w);
      } else {
        result = std::trunc((m * ohmFactor - 500.0 + zeroOffset) * span + s.channelMin[k]);
        cutOffQuantity = std::trunc(m * ohmFactor);
      }
      if (result > s.channelMin[k] - kTypeASnap && result < s.channelMin[k] + kTypeASnap) {
        result = s.channelMin[k];
      }
      if (cutOffQuantity < kCutOff) result = 0.0;
      valid = true;
    } else {
      const double mv = t1 * x + t0;
      const int type = s.channelSensorType[k];
      if (type == 0 || type == 7) {
        result = mv;
        valid = true;
      } else if (type > 0 && type < kSensorLetterCount) {
        const char channelLetter = kSensorLetters[type];
        bool haveColdJunction;
        double cj;
        if (controls.useFixedColdJunction) {
          haveColdJunction = fixedColdJunctionValid;
          cj = fixedColdJunction;
        } else {
          haveColdJunction = coldJunctionValid;
          cj = coldJunction;
        }
        if (haveColdJunction) {
          const double cjMv = TemperatureToMv(channelLetter, cj);
          if (cjMv != OutOfRangeValue) {
            const double t = MvToTemperature(channelLetter, mv, cjMv);
            if (t != OutOfRangeValue) {
              result = t;
              valid = true;
            }
          }
        }
      }
    }
    if (valid && IsFinite(result)) {
      value = result;
      invalid = 0;
    }
    // A correction learnt from a non-finite reading would spoil every later one.
    if (!IsFinite(ohmFactor)) ohmFactor = 1.0;
    if (!std::isfinite(zeroOffset)) zeroOffset = 0.0f;
  }

  if (coldJunctionValid) state.LastColdJunction = coldJunction;

  // ---- running median ----
  int length = s.filterLength;
  if (length > kMaxFilterLength) length = kMaxFilterLength;
  if (length >= 2) {
    for (int i = 0; i < kSlotCount; ++i) {
      state.ChannelValue[i] = state.MedianWindow[i].Push(state.ChannelValue[i], length);
    }
  }
}

}  // namespace tessar
