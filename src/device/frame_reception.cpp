#include "device/frame_reception.h"

#include <algorithm>
#include <cstring>

namespace tessar {

int FrameFieldCountOfKind(int modelKind) {
  switch (modelKind) {
    case 0: return 7;
    case 1: return 5;
    case 2: return 9;
    default: return 0;
  }
}

int FrameLengthOfKind(int modelKind) { return 8 * FrameFieldCountOfKind(modelKind); }

bool ApplyModelToFrameState(std::string_view modelName, FrameState& state) {
  int kind = -1;
  if (modelName == "ORVA-2000" || modelName == "ORVA-2100") kind = 0;
  else if (modelName == "ORVA-2200") kind = 1;
  else if (modelName == "ORVA-2280") kind = 2;
  if (kind < 0) return false;
  state.ModelKind = kind;
  state.FrameLength = FrameLengthOfKind(kind);
  return true;
}

FrameDecision ReceiveFrame(FrameState& state, std::string_view received) {
  if (AcquisitionHold || state.FrameLength <= 0 ||
      received.size() != static_cast<std::size_t>(state.FrameLength)) {
    return FrameDecision::Discarded;
  }
  if (received.find('\n') != received.size() - 1) return FrameDecision::Discarded;
  // The frame is shorter than the buffer, so its terminator always fits.
  static_assert(kFrameTextSize > 72);
  const std::size_t textLength = std::min(received.find('\0'), received.size());
  std::memcpy(state.FrameText, received.data(), textLength);
  state.FrameText[textLength] = '\0';
  state.FrameReady = true;
  return FrameDecision::Accepted;
}

void AcquisitionTick(int boardCount, const std::function<FrameState&(int board)>& frameOf,
                     const AcquisitionCycle& cycle) {
  for (int b = 0; b < boardCount; ++b) --frameOf(b).RecordCountdown;
  if (AcquisitionHold) return;
  for (int b = 0; b < boardCount; ++b) {
    FrameState& state = frameOf(b);
    if (state.FrameReady) {
      std::memcpy(state.ServedFrame, state.FrameText, kServedFrameBytes);
      if (cycle) cycle(b, state);
    } else {
      ++state.MissedTicks;
    }
  }
}

void AcquisitionTick(std::span<FrameState> boards, const AcquisitionCycle& cycle) {
  AcquisitionTick(static_cast<int>(boards.size()),
                  [boards](int b) -> FrameState& { return boards[static_cast<std::size_t>(b)]; }, cycle);
}

}  // namespace tessar
