// Acquisition core: one frame's conversion per model kind, one step of the
// longest median window, and one acquisition tick of four boards.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstring>
#include <random>
#include <string>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/conversion.h"
#include "acquisition/median_filter.h"
#include "common/clock.h"
#include "common/date_time.h"

namespace {

using namespace tessar;

const char* FrameOf(int kind) {
  switch (kind) {
    case 1: return "0A0000, 00F000, 00F100, 00F200, 00F300\r\n";
    case 2: return "0A0000, 00F000, 00F100, 00F200, 00F300, 00F400, 00F500, 00F600, 00F700\r\n";
    default: return "0B0000, 00F000, 00F100, 00F200, 00F300, 00F400, 00F500\r\n";
  }
}

BoardSettings KBoard(int board, int filterLength) {
  BoardSettings s;
  FillBoardDefaults(s, board, "/tmp");
  s.boardSensorType = 1;  // K: the thermocouple path with both NIST functions
  for (int k = 0; k < kSlotCount; ++k) s.channelSensorType[k] = 1;
  s.refVoltage = 5.0;
  s.filterLength = filterLength;
  return s;
}

void BM_ConvertFrame(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0));
  const BoardSettings s = KBoard(0, 0);
  ConversionState conversion;
  ApplyConversionSettings(conversion, s, kind);
  const LiveControls controls;
  const char* frame = FrameOf(kind);
  for (auto _ : state) {
    ConvertFrame(conversion, frame, kFrameTextSize, kind, s, controls, 5);
    benchmark::DoNotOptimize(conversion.ChannelValue);
  }
}
BENCHMARK(BM_ConvertFrame)->Arg(0)->Arg(1)->Arg(2);

void BM_MedianStep3600(benchmark::State& state) {
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> dist(-50.0, 1200.0);
  std::vector<double> values(1 << 16);
  for (double& v : values) v = dist(rng);
  RunningMedian median;
  for (int i = 0; i < 3600; ++i) median.Push(values[i], 3600);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(median.Push(values[i++ & 0xFFFF], 3600));
  }
}
BENCHMARK(BM_MedianStep3600);

// Four kind-2 K boards with full 3600-sample median windows. `record` = 1:
// every board takes a record on every tick (chart point, memo line, file
// append); 0: the display refresh between records.
void BM_TickFourBoards(benchmark::State& state) {
  const bool record = state.range(0) != 0;
  QTemporaryDir tmp;
  ManualClock clock(EncodeDateTime({2026, 12, 8, 14, 0, 0}));
  ScopedClock scoped(clock);
  std::array<BoardRunState, kBoardCount> boards;
  std::array<CycleInputs, kBoardCount> inputs;
  BoardSettings settings[kBoardCount];
  for (int b = 0; b < kBoardCount; ++b) {
    settings[b] = KBoard(b, 3600);
    settings[b].sampleInterval = record ? 1 : 1000000;
    inputs[b].board = b;
    inputs[b].settings = &settings[b];
    inputs[b].dataDirectory = tmp.path().toStdString();
    boards[b].frame.ModelKind = 2;
    ApplyConversionSettings(boards[b].conversion, settings[b], 2);
    std::strcpy(boards[b].frame.FrameText, FrameOf(2));
  }
  auto deliver = [&] {
    for (auto& b : boards) b.frame.FrameReady = true;
  };
  for (int i = 0; i < 3600; ++i) {  // fill the median windows
    deliver();
    AcquisitionTick(boards, inputs);
    clock.AdvanceSeconds(1);
  }
  for (auto _ : state) {
    deliver();
    auto outcomes = AcquisitionTick(boards, inputs);
    benchmark::DoNotOptimize(outcomes);
    if (record) clock.AdvanceSeconds(0.1);
  }
}
BENCHMARK(BM_TickFourBoards)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
