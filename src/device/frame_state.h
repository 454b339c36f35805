// Per-board frame buffers shared by frame reception, the acquisition cycle,
// the data server and the data client, and the global hold flag.
#pragma once

#include <cstdint>

namespace tessar {

constexpr int kFrameTextSize = 180;
constexpr int kServedFrameBytes = 80;

struct FrameState {
  char FrameText[kFrameTextSize] = {};     // latest accepted frame, line end included, NUL-terminated
  bool FrameReady = false;                 // FrameText holds a frame not yet recorded
  std::int32_t FrameLength = 0;            // expected length: 56, 40 or 72; 0 = accept nothing
  std::int32_t ModelKind = 0;              // 0, 1 or 2
  char ServedFrame[kFrameTextSize] = {};   // first 80 bytes of FrameText, what the server sends
  std::int32_t MissedTicks = -1;           // ticks since the cycle last had a frame
  std::int32_t RecordCountdown = 3;        // ticks until the next record
};

// Set by chart, export and browser operations while they run: frames are
// discarded and acquisition ticks only count down.
inline bool AcquisitionHold = false;

// Sets AcquisitionHold for the lifetime of a scope and restores what it was.
class ScopedAcquisitionHold {
 public:
  ScopedAcquisitionHold() : previous_(AcquisitionHold) { AcquisitionHold = true; }
  ~ScopedAcquisitionHold() { AcquisitionHold = previous_; }
  ScopedAcquisitionHold(const ScopedAcquisitionHold&) = delete;
  ScopedAcquisitionHold& operator=(const ScopedAcquisitionHold&) = delete;

 private:
  bool previous_;
};

}  // namespace tessar
