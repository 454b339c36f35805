#include "acquisition/acquisition_cycle.h"

#include <cstdio>
#include <cstring>
#include <system_error>
#include <tuple>

#include "common/number_text.h"
#include "acquisition/recording_file.h"
#include "acquisition/thermocouple.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "device/frame_reception.h"
#include "i18n/messages.h"

namespace tessar {
namespace {

ChartPoint MakeChartPoint(RunState& run, const ConversionState& conversion, double now,
                          const CycleInputs& inputs) {
  ChartPoint point;
  point.x = inputs.elapsedAxis ? now - run.StartTime : now;
  run.LastChartX = point.x;
  if (inputs.scrollChart) {
    point.automaticAxis = false;
    std::tie(point.axisMin, point.axisMax) = ScrollWindow(point.x, inputs.settings->sampleInterval);
  } else {
    point.automaticAxis = true;
    point.axisMin = run.ChartOrigin;
    point.axisMax = point.x;
  }
  for (int i = 0; i < kSlotCount; ++i) {
    if (conversion.ChannelInvalid[i] == 0) {
      point.y[i] = conversion.ChannelValue[i];
    } else {
      point.y[i] = NoDataValue;
      point.hideSeries[i] = run.SampleCount < kHiddenSeriesRecords;
    }
  }
  return point;
}

std::int32_t DateKey(const CalendarTime& t) { return t.year * 10000 + t.month * 100 + t.day; }

// Names a new recording file for the time `now` and writes its header. A
// header that fails is written by the first record that gets through.
void StartRecordingFile(RunState& run, const BoardSettings& settings, double now,
                        const CycleInputs& inputs) {
  run.RecordFileName =
      NewRecordingFileName(inputs.dataDirectory, inputs.board, now, run.RecordFileHour);
  run.RecordFileDate = DateKey(DecodeDateTime(now));
  run.LastRecordTime = -1.0;
  WriteRecordingHeader(run.RecordFileName, BuildRecordingHeader(settings, run.StartTime));
}

// The line of a change between writing and failing to write the board's records.
std::optional<std::string> RecordingNotice(RunState& run, int board, bool written,
                                           const std::error_code& error) {
  if (written == !run.RecordingFailing) return std::nullopt;
  run.RecordingFailing = !written;
  const std::string head = std::string("Board ") + static_cast<char>('A' + board) + ": ";
  if (written) return head + "recording again in " + run.RecordFileName.string();
  return head + "cannot write " + run.RecordFileName.string() + " (" + error.message() +
         "); records are lost until it can";
}

}  // namespace

std::array<std::string, kChannelCount> ValueBoxTexts(const ConversionState& state,
                                                     int modelKind) {
  std::array<std::string, kChannelCount> texts;
  const int last = LastChannelSlot(modelKind);
  const bool typeA = state.BoardTypeLetter == 'A';
  for (int k = 1; k <= kChannelCount; ++k) {
    const int precision = typeA ? 0 : (k == last ? 3 : 2);
    texts[k - 1] = FormatColumn(state.ChannelValue[k], precision);
  }
  return texts;
}

std::string MemoLine(std::int32_t sampleCount, double now, const ConversionState& state,
                     int modelKind) {
  char head[64];
  std::snprintf(head, sizeof head, "%6d %s ", static_cast<int>(sampleCount),
                FormatShortDateTime(now).c_str());
  std::string line = head;
  const int last = LastChannelSlot(modelKind);
  for (int i = 0; i <= last; ++i) {
    line += FormatColumn(state.ChannelValue[i], i == last ? 3 : 2);
  }
  return line;
}

CycleOutcome RunCycle(BoardRunState& state, const char* frameText, double now,
                      const CycleInputs& inputs) {
  CycleOutcome out;
  FrameState& frame = state.frame;
  RunState& run = state.run;
  ConversionState& conversion = state.conversion;
  const BoardSettings& settings = *inputs.settings;

  // 1. The indicator blinks once per processed frame.
  run.IndicatorOn = !run.IndicatorOn;
  out.indicatorColour = run.IndicatorOn ? kIndicatorRed : kIndicatorWhite;

  // 2. Too short to be a frame.
  const std::size_t length = frameText ? strnlen(frameText, kFrameTextSize) : 0;
  if (length < kShortestFrame) return out;
  out.processed = true;

  // 3. Start of a run.
  if (run.SampleCount < 1) {
    run.StartTime = now;
    run.ChartOrigin = inputs.elapsedAxis ? 0.0 : run.StartTime;
    out.startLabel = FormatDateTime(run.StartTime);
    StartRecordingFile(run, settings, now, inputs);
  }

  // 4.
  frame.MissedTicks = -2;

  // 5. Conversion and median filter.
  ConvertFrame(conversion, frameText, kFrameTextSize, frame.ModelKind, settings, inputs.controls,
               run.SampleCount);

  out.now = now;
  for (int i = 0; i < kSlotCount; ++i) out.values[i] = conversion.ChannelValue[i];

  // The health of the channels, on the frame's counts and the values; the
  // cycle takes a record when step 9 lets it through.
  const bool recording =
      inputs.recordEveryFrame || run.SampleCount <= 0 || frame.RecordCountdown <= 0;
  out.health = CheckHealth(state.health, inputs.health,
                           ParseFrame(frameText, kFrameTextSize, frame.ModelKind).raw, conversion,
                           settings, frame.ModelKind, now, recording);
  AlarmInputs alarms = inputs.alarms;
  alarms.relayTrips = RelayTrips(state.health, inputs.health);

  // 6. Alarm check of the converted values.
  out.alarm = CheckAlarms(inputs.board, settings, conversion, frame.ModelKind, alarms,
                          state.relays, run.MemoPaused, inputs.dataDirectory, now);

  // 7. Value boxes.
  out.valueTexts = ValueBoxTexts(conversion, frame.ModelKind);

  // 8. The shared network logs are kept short.
  out.checkNetworkLogs = true;

  // 9. Record only when the countdown has run out, or for a run's first record.
  if (!inputs.recordEveryFrame && run.SampleCount > 0 && frame.RecordCountdown > 0) return out;
  out.recorded = true;

  // 10.
  if (!inputs.recordEveryFrame) frame.RecordCountdown = settings.sampleInterval;
  frame.FrameReady = false;

  // 11. Chart point.
  out.chartPoint = MakeChartPoint(run, conversion, now, inputs);
  state.chart.Append(out.chartPoint.x, out.chartPoint.y);

  // 12.
  ++run.SampleCount;

  // 13. Memo line.
  out.memoLine = MemoLine(run.SampleCount, now, conversion, frame.ModelKind);
  out.memoAppend = !run.MemoPaused;

  // 14. A new file for each clock hour of each day: a board silent from
  // 10:15 until 10:20 the next day must not resume in yesterday's file. A
  // clock set back (by hand, or at the end of daylight-saving time) starts a
  // new file too, so that time never runs backwards inside a file.
  const CalendarTime when = DecodeDateTime(now);
  if (when.hour != run.RecordFileHour || DateKey(when) != run.RecordFileDate ||
      now <= run.LastRecordTime) {
    StartRecordingFile(run, settings, now, inputs);
  }

  // 15. Titles or channel names changed since the header was written.
  const RecordingHeader header = BuildRecordingHeader(settings, run.StartTime);
  if (run.HeaderDirty) {
    WriteRecordingHeader(run.RecordFileName, header);
    run.HeaderDirty = false;
  }

  // 16. The record. A file that is gone (its directory could not be created
  // when it was named, or it was removed since) is followed by a new one
  // named now, in a directory made again.
  std::error_code missing;
  if (!std::filesystem::exists(run.RecordFileName, missing)) {
    StartRecordingFile(run, settings, now, inputs);
  }
  RecordingRecord& record = out.record;
  record.time = now;
  for (int i = 0; i < kSlotCount; ++i) record.values[i] = conversion.ChannelValue[i];
  std::error_code failure;
  out.recordWritten = AppendRecordingRecord(run.RecordFileName, header, record, &failure);
  if (out.recordWritten) run.LastRecordTime = now;
  out.recordingNotice = RecordingNotice(run, inputs.board, out.recordWritten, failure);

  // 17. Chart limit: start again empty, the left end at the last point.
  if (state.chart.Full()) {
    out.chartCleared = true;
    state.chart.Clear();
    run.ChartOrigin = run.LastChartX;
  }
  return out;
}

std::array<std::optional<CycleOutcome>, kBoardCount> AcquisitionTick(
    std::array<BoardRunState, kBoardCount>& boards,
    const std::array<CycleInputs, kBoardCount>& inputs) {
  std::array<std::optional<CycleOutcome>, kBoardCount> outcomes;
  // The frame part (countdowns, hold, ServedFrame, missed ticks) is the
  // device link's; each board with a frame waiting runs its cycle here.
  AcquisitionTick(
      kBoardCount, [&boards](int b) -> FrameState& { return boards[b].frame; },
      [&](int b, FrameState& frame) {
        outcomes[b] = RunCycle(boards[b], frame.FrameText, Now(), inputs[b]);
      });
  return outcomes;
}

RestartMessage RestartRun(BoardRunState& state, int board) {
  state.run.SampleCount = 0;
  state.chart.Clear();
  for (int i = 0; i < kSlotCount; ++i) {
    state.conversion.MedianWindow[i].Clear();
    state.conversion.ChannelValue[i] = NoDataValue;
  }
  state.frame.RecordCountdown = 0;
  state.frame.FrameReady = false;
  // The pair's one field is the board's number (1..4).
  const MessagePair& pair = MessagePairOf(Msg::ChartRestarted);
  auto format = [board](const char* pattern) {
    std::string text(pattern);
    const std::size_t field = text.find("%d");
    if (field != std::string::npos) text.replace(field, 2, std::to_string(board + 1));
    return text;
  };
  return {format(pair.korean), format(pair.english)};
}

void ApplySampleInterval(BoardSettings& settings, FrameState& frame, int position) {
  settings.sampleInterval = position;
  frame.RecordCountdown = position;
}

}  // namespace tessar
