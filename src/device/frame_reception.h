// Reception of measurement frames and the frame part of the acquisition tick.
//
// A frame is one line of N six-digit hexadecimal fields separated by ", " and
// ended by CR LF: 8 * N bytes, its only LF being its last byte.
#pragma once

#include <functional>
#include <span>
#include <string_view>

#include "device/frame_state.h"

namespace tessar {

// Frame length of a model kind: 56 (kind 0, 7 fields), 40 (kind 1, 5 fields),
// 72 (kind 2, 9 fields); 0 for anything else.
int FrameLengthOfKind(int modelKind);
int FrameFieldCountOfKind(int modelKind);

// Sets ModelKind and FrameLength from a model name; a name outside the model
// table leaves both unchanged. Returns whether the name was known.
bool ApplyModelToFrameState(std::string_view modelName, FrameState& state);

// Longest text one frame event reads.
inline constexpr int kFrameReadLimit = 500;

enum class FrameDecision {
  Accepted,
  Discarded,  // the caller clears both buffers of the port
};

// The frame event of one board, given what was read: accepted when the text
// is exactly FrameLength long, its first LF is its last character and no
// operation holds acquisition; the text (up to a NUL it may contain) then goes
// into FrameText and FrameReady is set.
FrameDecision ReceiveFrame(FrameState& state, std::string_view received);

// The acquisition cycle of one board, run by the tick on FrameText.
using AcquisitionCycle = std::function<void(int board, FrameState& state)>;

// The frame part of the acquisition tick: every RecordCountdown decreases;
// unless acquisition is held, each board with a frame waiting has its first
// 80 bytes copied to ServedFrame and its cycle run, and each board without one
// counts a missed tick.
void AcquisitionTick(std::span<FrameState> boards, const AcquisitionCycle& cycle);
// The same for frame states kept inside larger per-board records.
void AcquisitionTick(int boardCount, const std::function<FrameState&(int board)>& frameOf,
                     const AcquisitionCycle& cycle);

}  // namespace tessar
