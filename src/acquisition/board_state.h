// Everything the acquisition keeps per board: the frame buffers shared with
// reception and the network, the conversion state and the state of the run.
#pragma once

#include <cstdint>
#include <filesystem>

#include "acquisition/chart_model.h"
#include "acquisition/alarm_check.h"
#include "acquisition/channel_health.h"
#include "acquisition/conversion.h"
#include "device/frame_state.h"

namespace tessar {

// The state of a board's recording run.
struct RunState {
  std::int32_t SampleCount = 0;   // records since the run started; 0 = the next cycle starts one
  double StartTime = 0.0;         // time of the run's first record
  double ChartOrigin = 0.0;       // left end of the non-scrolling time axis
  double LastChartX = 0.0;        // x of the last chart point
  std::filesystem::path RecordFileName;  // current recording file
  std::int16_t RecordFileHour = 0;       // hour at which it was named
  std::int32_t RecordFileDate = 0;       // and its day, as yyyymmdd
  // Time of the last record written to the current file; a record not after
  // it (the clock went back) starts a new file. -1: none yet.
  double LastRecordTime = -1.0;
  bool RecordingFailing = false;  // the last record could not be written
  bool HeaderDirty = false;       // titles or channel names changed: rewrite the header
  bool MemoPaused = false;        // the memo takes no lines while set
  bool IndicatorOn = false;       // activity indicator: painted red (true) or white
};

static_assert(kChartSlots == kSlotCount);

struct BoardRunState {
  FrameState frame;
  ConversionState conversion;
  RunState run;
  ChartModel chart;  // the live chart's points since it was last emptied
  RelayState relays;
  BoardHealth health;  // the thermocouple health of its channels
};

}  // namespace tessar
