// The live charts at full history.
//
//  - BM_TickFourPages: one acquisition tick of four boards whose charts hold
//    3598 points per slot (the tick adds the 3599th), with the outcomes
//    applied to the four pages: all hidden; one page shown (as in the
//    window, where one page is on screen at a time) or all four, with and
//    without the repaint that follows.
//  - BM_Repaint*: one repaint of a shown 1000 x 450 chart of 9 x 3600 points
//    with markers: the page's own drawing, the same chart drawn by Qt Charts
//    from the reduced points (each slot's per-column extremes as a line, the
//    markers as a scatter series), and the reference: a bare QPainter
//    polyline through all points with the same pens.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtCharts/QScatterSeries>
#include <cmath>
#include <cstring>
#include <memory>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/cycle_presenter.h"
#include "common/clock.h"
#include "common/date_time.h"

namespace {

using namespace tessar;

constexpr char kFrame[] =
    "0A0000, 00F000, 00F100, 00F200, 00F300, 00F400, 00F500, 00F600, 00F700\r\n";
constexpr double kStart = 46364.5;  // 2026-12-08 12:00

// `count` points a second apart from kStart: nine slow waves with noise.
ChartModel FilledModel(int count) {
  ChartModel model;
  std::array<double, kChartSlots> y{};
  for (int i = 0; i < count; ++i) {
    for (int s = 0; s < kChartSlots; ++s) {
      y[s] = 20.0 + 8.0 * s + 5.0 * std::sin(i / (60.0 + 10.0 * s)) + ((i * 7919 + s) % 13) * 0.1;
    }
    model.Append(kStart + i / kSecondsPerDay, y);
  }
  return model;
}

struct FourBoards {
  QTemporaryDir tmp;
  ManualClock clock{kStart};
  std::array<BoardRunState, kBoardCount> boards;
  std::array<CycleInputs, kBoardCount> inputs;
  BoardSettings settings[kBoardCount];
  std::array<std::unique_ptr<ChartPage>, kBoardCount> owned;
  std::array<ChartPage*, kBoardCount> pages{};
  QPlainTextEdit memoR;
  QPlainTextEdit memoS;
  ChartModel history = FilledModel(kChartPointLimit - 2);

  explicit FourBoards(int shown) {
    for (int b = 0; b < kBoardCount; ++b) {
      FillBoardDefaults(settings[b], b, tmp.path().toStdString());
      settings[b].boardSensorType = 1;  // K thermocouples
      for (int k = 0; k < kSlotCount; ++k) settings[b].channelSensorType[k] = 1;
      settings[b].refVoltage = 5.0;
      settings[b].sampleInterval = 1;
      inputs[b].board = b;
      inputs[b].settings = &settings[b];
      inputs[b].scrollChart = false;  // the whole history in view
      inputs[b].dataDirectory = tmp.path().toStdString();
      boards[b].frame.ModelKind = 2;
      ApplyConversionSettings(boards[b].conversion, settings[b], 2);
      std::strcpy(boards[b].frame.FrameText, kFrame);
      owned[b] = std::make_unique<ChartPage>(b);
      pages[b] = owned[b].get();
      pages[b]->SetModel(&boards[b].chart);
      pages[b]->resize(1000, 700);
      if (b < shown) pages[b]->show();
    }
    Tick();  // a run's first tick: header and file
    clock.Set(kStart + (kChartPointLimit - 2) / kSecondsPerDay);
    Refill();
    QCoreApplication::processEvents();
  }

  std::array<std::optional<CycleOutcome>, kBoardCount> Tick() {
    const ScopedClock scoped(clock);
    for (BoardRunState& b : boards) b.frame.FrameReady = true;
    auto outcomes = AcquisitionTick(boards, inputs);
    clock.AdvanceSeconds(1);
    return outcomes;
  }

  void Refill() {
    for (BoardRunState& b : boards) {
      b.chart = history;
      b.run.ChartOrigin = kStart;
    }
  }
};

void BM_TickFourPages(benchmark::State& state) {
  const int shown = static_cast<int>(state.range(0));
  const bool paint = state.range(1) != 0;
  FourBoards four(shown);
  for (auto _ : state) {
    auto outcomes = four.Tick();
    ApplyTickOutcomes(four.pages, outcomes, &four.memoR, &four.memoS);
    if (paint) QCoreApplication::processEvents();
    state.PauseTiming();
    four.Refill();
    four.clock.AdvanceSeconds(-1);
    state.ResumeTiming();
  }
  state.counters["points"] = four.boards[0].chart.size();
}
BENCHMARK(BM_TickFourPages)
    ->ArgNames({"shown", "paint"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({4, 1})
    ->Unit(benchmark::kMillisecond);

// A chart view of 1000 x 450 showing the full model, markers on.
struct FullChart {
  ChartModel model = FilledModel(kChartPointLimit);
  ChartPage page{0};
  QImage image{1000, 450, QImage::Format_ARGB32_Premultiplied};

  FullChart() {
    page.SetModel(&model);
    page.resize(1300, 700);
    page.show();
    page.Chart->setFixedSize(1000, 450);
    SetTimeAxisRange(page.TimeAxis, model.x(0), model.x(model.size() - 1));
    FitValueAxis(page);
    QCoreApplication::processEvents();
  }
};

void BM_RepaintOwnDrawing(benchmark::State& state) {
  FullChart chart;
  for (auto _ : state) {
    QPainter painter(&chart.image);
    chart.page.Chart->render(&painter);
  }
}
BENCHMARK(BM_RepaintOwnDrawing)->Unit(benchmark::kMillisecond);

// Qt Charts fed with the same reduction: per pixel column the first, lowest,
// highest and last point of each slot as a line series, and the markers that
// can be told apart as a scatter series.
void BM_RepaintQtChartsReduced(benchmark::State& state) {
  FullChart chart;
  const PlotMapping map = chart.page.Chart->Mapping();
  const int columns = static_cast<int>(map.width);
  chart.page.Chart->SetModel(nullptr);
  for (int s = 0; s < kChartSlots; ++s) {
    QList<QPointF> line;
    for (const EnvelopeColumn& c :
         ReduceToColumns(chart.model.xs(), chart.model.ys(s), map.x0, map.x1, columns)) {
      const double x = ChartAxisValue(c.firstX);
      const double x2 = ChartAxisValue(c.lastX);
      line << QPointF(x, c.first) << QPointF(x, c.low) << QPointF(x, c.high) << QPointF(x2, c.last);
    }
    chart.page.Series[s]->replace(line);
    auto* markers = new QScatterSeries(chart.page.chart());
    markers->setMarkerSize(ChartView::kMarkerSize);
    markers->setColor(QColor(SeriesLooks()[s].colour));
    QList<QPointF> marked;
    for (int i : MarkerIndices(chart.model.xs(), chart.model.ys(s), map, ChartView::kMarkerSpacing)) {
      marked << QPointF(ChartAxisValue(chart.model.x(i)), chart.model.y(s, i));
    }
    markers->replace(marked);
    chart.page.chart()->addSeries(markers);
    markers->attachAxis(chart.page.TimeAxis);
    markers->attachAxis(chart.page.ValueAxis);
  }
  QCoreApplication::processEvents();
  for (auto _ : state) {
    QPainter painter(&chart.image);
    chart.page.Chart->render(&painter);
  }
}
BENCHMARK(BM_RepaintQtChartsReduced)->Unit(benchmark::kMillisecond);

// The reference: every point of every slot as one antialiased polyline.
void BM_RepaintBarePolyline(benchmark::State& state) {
  FullChart chart;
  const PlotMapping map = chart.page.Chart->Mapping();
  std::array<QPolygonF, kChartSlots> lines;
  for (int s = 0; s < kChartSlots; ++s) {
    for (int i = 0; i < chart.model.size(); ++i) {
      lines[s] << QPointF(map.Px(chart.model.x(i)), map.Py(chart.model.y(s, i)));
    }
  }
  for (auto _ : state) {
    chart.image.fill(Qt::white);
    QPainter painter(&chart.image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int s = 0; s < kChartSlots; ++s) {
      painter.setPen(QPen(QColor(SeriesLooks()[s].colour), SeriesLooks()[s].width));
      painter.drawPolyline(lines[s]);
    }
  }
}
BENCHMARK(BM_RepaintBarePolyline)->Unit(benchmark::kMillisecond);

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
