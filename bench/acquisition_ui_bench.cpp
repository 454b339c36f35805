// The window's share of an acquisition tick: four boards' cycle outcomes
// applied to four board pages whose charts already hold 3599 points per
// series (the next point is the last before the chart starts again).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstring>
#include <memory>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/cycle_presenter.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "acquisition/ui/chart_page.h"

namespace {

using namespace tessar;

constexpr char kFrame[] =
    "0A0000, 00F000, 00F100, 00F200, 00F300, 00F400, 00F500, 00F600, 00F700\r\n";

struct FourBoards {
  QTemporaryDir tmp;
  ManualClock clock{EncodeDateTime({2026, 12, 8, 14, 0, 0})};
  std::array<BoardRunState, kBoardCount> boards;
  std::array<CycleInputs, kBoardCount> inputs;
  BoardSettings settings[kBoardCount];
  std::array<std::unique_ptr<ChartPage>, kBoardCount> owned;
  std::array<ChartPage*, kBoardCount> pages{};
  QPlainTextEdit memoR;
  QPlainTextEdit memoS;

  explicit FourBoards(bool shown) {
    const ScopedClock scoped(clock);
    for (int b = 0; b < kBoardCount; ++b) {
      FillBoardDefaults(settings[b], b, tmp.path().toStdString());
      settings[b].boardSensorType = 1;  // K thermocouples
      for (int k = 0; k < kSlotCount; ++k) settings[b].channelSensorType[k] = 1;
      settings[b].refVoltage = 5.0;
      settings[b].sampleInterval = 1;
      inputs[b].board = b;
      inputs[b].settings = &settings[b];
      inputs[b].scrollChart = true;
      inputs[b].dataDirectory = tmp.path().toStdString();
      boards[b].frame.ModelKind = 2;
      ApplyConversionSettings(boards[b].conversion, settings[b], 2);
      std::strcpy(boards[b].frame.FrameText, kFrame);
      owned[b] = std::make_unique<ChartPage>(b);
      pages[b] = owned[b].get();
      pages[b]->resize(1200, 800);
      if (shown) pages[b]->show();
    }
    // A run's first tick (header and file), then 3599 earlier records'
    // points in every series.
    Tick();
    QList<QPointF> points;
    points.reserve(kChartPointLimit);
    const double start = clock.Now();
    for (int i = 0; i < kChartPointLimit - 1; ++i) {
      points.append(QPointF(ChartAxisValue(start + i / kSecondsPerDay), 20.0 + (i % 50) * 0.1));
    }
    clock.AdvanceSeconds(kChartPointLimit - 1);
    for (int b = 0; b < kBoardCount; ++b) {
      for (QLineSeries* series : pages[b]->Series) series->replace(points);
    }
    KeepBelowLimit();
    QCoreApplication::processEvents();
  }

  std::array<std::optional<CycleOutcome>, kBoardCount> Tick() {
    const ScopedClock scoped(clock);
    for (BoardRunState& b : boards) b.frame.FrameReady = true;
    auto outcomes = AcquisitionTick(boards, inputs);
    clock.AdvanceSeconds(1);
    return outcomes;
  }

  // The run's own count of chart points kept away from the limit, so that
  // every tick adds the 3600th point rather than emptying the charts.
  void KeepBelowLimit() {
    for (BoardRunState& b : boards) b.run.ChartPointCount = 1;
  }

  // Back to 3599 points per series.
  void DropLastPoint() {
    for (ChartPage* page : pages) {
      for (QLineSeries* series : page->Series) series->remove(series->count() - 1);
    }
    KeepBelowLimit();
  }
};

// One full tick (the four cycles with their records, then the four pages);
// `shown`: the pages are on screen; `paint`: the events of the tick (the
// repaint of the four charts) are processed too.
void BM_TickFourPages(benchmark::State& state) {
  const bool shown = state.range(0) != 0;
  const bool paint = state.range(1) != 0;
  FourBoards four(shown);
  for (auto _ : state) {
    auto outcomes = four.Tick();
    ApplyTickOutcomes(four.pages, outcomes, &four.memoR, &four.memoS);
    if (paint) QCoreApplication::processEvents();
    state.PauseTiming();
    four.DropLastPoint();
    if (paint) QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["points"] = four.pages[0]->Series[0]->count() + 1;
}
BENCHMARK(BM_TickFourPages)
    ->ArgNames({"shown", "paint"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

// The pages' part alone: one board's outcome applied to a page of 3599
// points, shown.
void BM_ApplyOutcome(benchmark::State& state) {
  FourBoards four(true);
  auto outcomes = four.Tick();
  four.DropLastPoint();
  for (auto _ : state) {
    ApplyCycleOutcome(*four.pages[0], *outcomes[0]);
    state.PauseTiming();
    for (QLineSeries* series : four.pages[0]->Series) series->remove(series->count() - 1);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ApplyOutcome)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
