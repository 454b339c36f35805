// The acquisition cycle of one board and the once-a-second tick that drives
// the four boards. The cycle converts the board's latest frame, refreshes its
// value boxes every time, and every `sampleInterval` ticks takes a record:
// a chart point, a memo line and an 80-byte record in the hour's file.
//
// The functions change only the plain state of BoardRunState and the files;
// what the window has to show comes back as a CycleOutcome that the window
// applies to its widgets.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "acquisition/board_state.h"
#include "acquisition/channel_health.h"
#include "acquisition/conversion.h"
#include "acquisition/recording_file.h"
#include "settings/board_settings.h"

namespace tessar {

constexpr int kMemoLineLimit = 250;      // a board memo is emptied on reaching it
constexpr int kNetworkLogLineLimit = 100;
constexpr int kHiddenSeriesRecords = 5;  // series without data are switched off in the first records
constexpr std::size_t kShortestFrame = 10;

// Activity indicator colours (RGB).
constexpr std::uint32_t kIndicatorRed = 0xFF0000;
constexpr std::uint32_t kIndicatorWhite = 0xFFFFFF;

// Inputs of a board's cycle besides its own state.
struct CycleInputs {
  int board = 0;                           // 0..3
  const BoardSettings* settings = nullptr; // the board's record
  LiveControls controls;                   // ChkOhm, ChbZero, ChbTref / EdTref
  bool scrollChart = false;                // the board's ChkScroll box
  bool elapsedAxis = false;                // ElapsedAxis (one for all boards)
  // Where records and events go: the data directory the run started with,
  // an absolute path.
  std::filesystem::path dataDirectory;
  // The viewer records every frame it receives: its pace is the pace of its
  // data requests, and the record countdown is the poll's.
  bool recordEveryFrame = false;
  AlarmInputs alarms;                      // interlock box, language of the messages
  HealthConfig health;                     // what the thermocouple health checks look for
};

struct ChartPoint {
  double x = 0.0;
  // Bottom axis: automatic from ChartOrigin to x, or the scrolling window.
  bool automaticAxis = true;
  double axisMin = 0.0;
  double axisMax = 0.0;
  std::array<double, kSlotCount> y{};  // ChannelValue, or NoDataValue where invalid
  // Series to switch off (and whose channel box to uncheck): no data during
  // the first records of a run.
  std::array<bool, kSlotCount> hideSeries{};
};

struct CycleOutcome {
  std::uint32_t indicatorColour = kIndicatorWhite;
  bool processed = false;                 // false: the frame was too short, nothing else happened
  AlarmOutcome alarm;                     // the alarm check of the converted values
  HealthOutcome health;                   // the health check of the channels
  std::optional<std::string> startLabel;  // a run started: the start label's new text
  std::array<std::string, kChannelCount> valueTexts;  // boxes 1..8
  bool checkNetworkLogs = false;          // empty MemoR / MemoS when they hold 100 lines or more
  bool recorded = false;                  // a record was taken: the fields below apply
  ChartPoint chartPoint;
  std::string memoLine;
  bool memoAppend = false;                // add memoLine to the memo (not paused); the
                                          // memo is then emptied once it holds 250 lines
  bool chartCleared = false;              // the point filled the chart, which is empty again
  RecordingRecord record{};               // the record as it was written (or tried)
  bool recordWritten = false;             // the record reached the file
  // The board's recording stopped reaching its file, or reaches it again:
  // one line for the status bar and the journal, at the change only.
  std::optional<std::string> recordingNotice;
  double now = 0.0;                       // the cycle's time
  std::array<double, kSlotCount> values{};  // ChannelValue after the conversion
};

// One cycle of board `inputs.board`. A record's chart point goes into
// state.chart (which the cycle empties at the limit) and into the outcome.
//  on `frameText` (read up to its NUL or
// kFrameTextSize characters) at time `now`.
CycleOutcome RunCycle(BoardRunState& state, const char* frameText, double now,
                      const CycleInputs& inputs);

// The acquisition tick: counts every board's record countdown down; unless
// AcquisitionHold is set, runs the cycle (reading Now() for each) of every
// board with a frame waiting, after copying the frame for the data server,
// and counts a missed tick for the others.
std::array<std::optional<CycleOutcome>, kBoardCount> AcquisitionTick(
    std::array<BoardRunState, kBoardCount>& boards,
    const std::array<CycleInputs, kBoardCount>& inputs);

// Restart of a board's run: the next cycle starts a new run and records at
// once. The chart model is emptied here; the window empties the board's memo
// and shows the message.
struct RestartMessage {
  std::string korean;
  std::string english;
};
RestartMessage RestartRun(BoardRunState& state, int board);

// The interval edit of a board (up-down position 1..1000).
void ApplySampleInterval(BoardSettings& settings, FrameState& frame, int position);

// Value box texts of a board: "%7.2f ", the board's last channel "%7.3f ",
// every box "%7.0f " on a type-A board.
std::array<std::string, kChannelCount> ValueBoxTexts(const ConversionState& state, int modelKind);

// Memo line of a record: "%6d %s " with the record number and the short
// date-time, then slots 0..n-1 "%7.2f " and slot n "%7.3f ".
std::string MemoLine(std::int32_t sampleCount, double now, const ConversionState& state,
                     int modelKind);

}  // namespace tessar
