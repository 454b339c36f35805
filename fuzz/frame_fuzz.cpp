// Measurement frames as a device sends them: reception of each line, then the
// conversion of what was accepted, for every model kind and sensor letter.
//
// Input: byte 0 the model kind, byte 1 the sensor letter, byte 2 the window's
// switches (bit 0 ohm, bit 1 zero correction, bit 2 fixed cold junction, bit 3
// calibration values follow), byte 3 the median length; with bit 3, seven
// doubles (T1, T0, A1, A0, Ref, Min, Max); then the received text, one read
// per line.
#include <cmath>
#include <cstring>
#include <string_view>

#include "acquisition/conversion.h"
#include "device/frame_reception.h"
#include "fuzz_support.h"

using namespace tessar;
using tessar::fuzz::Require;

namespace {

constexpr const char* kModelOfKind[] = {"ORVA-2100", "ORVA-2200", "ORVA-2280"};

void RequireFinite(const ConversionState& state) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    Require(std::isfinite(state.ChannelValue[slot]), "no infinity or NaN is ever stored");
    Require(state.ChannelInvalid[slot] == 0 || state.ChannelInvalid[slot] == 1,
            "invalid flags are 0 or 1");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const int kind = data[0] % 3;
  const int type = data[1] % kSensorLetterCount;
  const std::uint8_t flags = data[2];
  const int filterLength = data[3];
  data += 4;
  size -= 4;

  BoardSettings settings;
  FillBoardDefaults(settings, 0, "/data");
  settings.boardSensorType = type;
  for (int& t : settings.channelSensorType) t = type;
  settings.filterLength = filterLength;
  if (flags & 8) {
    double values[7];
    if (size < sizeof values) return 0;
    std::memcpy(values, data, sizeof values);
    data += sizeof values;
    size -= sizeof values;
    for (int k = 1; k < kSlotCount; ++k) {
      settings.channelT1[k] = values[0];
      settings.channelT0[k] = values[1];
      settings.channelMin[k] = values[5];
      settings.channelMax[k] = values[6];
    }
    settings.voltA1 = values[2];
    settings.voltA0 = values[3];
    settings.refVoltage = values[4];
  }

  LiveControls controls;
  controls.ohmCorrection = flags & 1;
  controls.zeroCorrection = flags & 2;
  controls.useFixedColdJunction = flags & 4;
  controls.fixedColdJunction = "21.5";

  FrameState frame;
  Require(ApplyModelToFrameState(kModelOfKind[kind], frame), "the model is known");
  ConversionState conversion;
  ApplyConversionSettings(conversion, settings, kind);

  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::int32_t samples = 0;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
    const std::string_view read = text.substr(0, std::min<std::size_t>(length, kFrameReadLimit));
    text.remove_prefix(length);

    if (ReceiveFrame(frame, read) == FrameDecision::Accepted) {
      Require(std::strlen(frame.FrameText) < kFrameTextSize, "the frame text is terminated");
      ConvertFrame(conversion, frame.FrameText, kFrameTextSize, kind, settings, controls,
                   ++samples);
      frame.FrameReady = false;
    } else {
      // The conversion reads its text bounded, whatever lies in it.
      ConvertFrame(conversion, read.data(), read.size(), kind, settings, controls, ++samples);
    }
    RequireFinite(conversion);
  }
  return 0;
}
