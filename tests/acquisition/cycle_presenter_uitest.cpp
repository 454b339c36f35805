// Cycle outcomes of real acquisition cycles shown on a real board page.
#include <gtest/gtest.h>

#include <QImage>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTemporaryDir>
#include <cstring>
#include <string>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/axis_scale.h"
#include "acquisition/thermocouple.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/cycle_presenter.h"
#include "common/clock.h"
#include "common/date_time.h"
#include "acquisition/ui/chart_page.h"

namespace tessar {
namespace {

namespace fs = std::filesystem;

constexpr double kSecond = 1.0 / kSecondsPerDay;
// Channels 1..4 of a kind-1 mV board: 1, 2, 3 and 4 mV.
constexpr char kAllChannels[] = "000000, 000001, 000002, 000003, 000004\r\n";
// The same with channel 3 out of range (no data).
constexpr char kChannel3Fails[] = "000000, 000001, 000002, 800000, 000004\r\n";

// Board A as a kind-1 board whose counts are millivolts (slots 5..8 carry
// nothing), its page, and a settable clock.
class PresenterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillBoardDefaults(settings_, 0, tmp_.path().toStdString());
    for (int k = 0; k < kSlotCount; ++k) settings_.channelRangeMv[k] = kFullScaleCount;
    settings_.boardSensorType = 7;  // per-channel types, all mV
    settings_.sampleInterval = 1;
    inputs_.board = 0;
    inputs_.settings = &settings_;
    inputs_.dataDirectory = fs::path(tmp_.path().toStdString()) / "data";
    state_.frame.ModelKind = 1;
    ApplyConversionSettings(state_.conversion, settings_, 1);
    page_.SetModel(&state_.chart);
  }

  // One tick with a fresh frame: the cycle, then the page, then a second on.
  CycleOutcome Cycle(const char* frame = kAllChannels) {
    std::strncpy(state_.frame.FrameText, frame, kFrameTextSize - 1);
    state_.frame.FrameReady = true;
    --state_.frame.RecordCountdown;
    inputs_.scrollChart = page_.ChkScroll->isChecked();
    const CycleOutcome out = RunCycle(state_, state_.frame.FrameText, clock_.Now(), inputs_);
    ApplyCycleOutcome(page_, out);
    clock_.AdvanceSeconds(1);
    return out;
  }

  QRgb IndicatorPixel() {
    page_.Shape->ensurePolished();
    const QImage image = page_.Shape->grab().toImage();
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
  }

  double LastY(int slot) { return state_.chart.ys(slot).back(); }

  QTemporaryDir tmp_;
  BoardSettings settings_;
  CycleInputs inputs_;
  BoardRunState state_;
  const double start_ = EncodeDateTime({2026, 12, 8, 14, 5, 32});
  ManualClock clock_{start_};
  ScopedClock scoped_{clock_};
  ChartPage page_{0};
};

TEST_F(PresenterTest, FirstCycleShowsStartValuesPointAndMemoLine) {
  const CycleOutcome out = Cycle();
  ASSERT_TRUE(out.recorded);
  EXPECT_EQ(page_.LblStart->text(), QStringLiteral("2026-12-08 14:05:32"));
  EXPECT_EQ(page_.EdValue[1]->text(), QStringLiteral("   1.00 "));
  EXPECT_EQ(page_.EdValue[3]->text(), QStringLiteral("   3.00 "));
  EXPECT_EQ(page_.EdValue[4]->text(), QStringLiteral("  4.000 "));  // the board's last channel
  EXPECT_EQ(page_.EdValue[5]->text(), QStringLiteral("  -0.00 "));  // no data
  EXPECT_EQ(page_.Memo->toPlainText().toStdString(), out.memoLine);
  EXPECT_EQ(MemoLineCount(page_.Memo), 1);

  ASSERT_EQ(state_.chart.size(), 1);
  EXPECT_DOUBLE_EQ(LastY(2), 2.0);
  EXPECT_NEAR(state_.chart.x(0), start_, 0.001 * kSecond);
  // The start label is written once per run.
  page_.LblStart->setText(QStringLiteral("kept"));
  Cycle();
  EXPECT_EQ(page_.LblStart->text(), QStringLiteral("kept"));
}

TEST_F(PresenterTest, IndicatorBlinksOncePerFrameEvenOnShortFrames) {
  Cycle();
  EXPECT_EQ(IndicatorPixel(), 0xFF0000u);
  Cycle();
  EXPECT_EQ(IndicatorPixel(), 0xFFFFFFu);
  // A short frame blinks the indicator and changes nothing else.
  const QString before = page_.EdValue[1]->text();
  const CycleOutcome out = Cycle("12345");
  EXPECT_FALSE(out.processed);
  EXPECT_EQ(IndicatorPixel(), 0xFF0000u);
  EXPECT_EQ(page_.EdValue[1]->text(), before);
  EXPECT_EQ(state_.chart.size(), 2);
  // Only the colour changes: the page's own look of the indicator stays.
  const QString look = page_.Shape->styleSheet();
  EXPECT_TRUE(look.startsWith(QStringLiteral("background: #ff0000; "))) << look.toStdString();
  EXPECT_TRUE(look.contains(QStringLiteral("border"))) << look.toStdString();
  EXPECT_EQ(look.count(QStringLiteral("background")), 1) << look.toStdString();
}

TEST_F(PresenterTest, NoDataHidesSeriesInTheFirstFiveRecordsThenPlotsTheMarker) {
  // The channel box handler stores channelVisible: it must not hear these.
  int heard = 0;
  for (QCheckBox* box : page_.Chk) {
    QObject::connect(box, &QCheckBox::toggled, [&heard] { ++heard; });
    QObject::connect(box, &QCheckBox::clicked, [&heard] { ++heard; });
  }

  Cycle();  // record 1: slots 5..8 have no sensor
  for (int i : {5, 6, 7, 8}) {
    EXPECT_FALSE(page_.Series[i]->isVisible()) << i;
    EXPECT_FALSE(page_.Chk[i]->isChecked()) << i;
    EXPECT_DOUBLE_EQ(LastY(i), NoDataValue);
  }
  for (int i : {0, 1, 2, 3, 4}) {
    EXPECT_TRUE(page_.Series[i]->isVisible()) << i;
    EXPECT_TRUE(page_.Chk[i]->isChecked()) << i;
  }
  for (int r = 2; r <= 4; ++r) Cycle();
  Cycle(kChannel3Fails);  // record 5: still at the start of the run
  EXPECT_FALSE(page_.Series[3]->isVisible());
  EXPECT_FALSE(page_.Chk[3]->isChecked());
  EXPECT_EQ(heard, 0);

  // Later a failing channel stays on and is drawn at the no-data value.
  {
    const QSignalBlocker block(page_.Chk[3]);
    page_.Chk[3]->setChecked(true);
  }
  page_.Series[3]->setVisible(true);
  Cycle(kChannel3Fails);  // record 6
  EXPECT_TRUE(page_.Series[3]->isVisible());
  EXPECT_TRUE(page_.Chk[3]->isChecked());
  EXPECT_DOUBLE_EQ(LastY(3), NoDataValue);
  EXPECT_EQ(state_.chart.size(), 6);
  // The automatic value axis now takes in the marker, and only visible series.
  EXPECT_DOUBLE_EQ(page_.ValueAxis->min(), AutomaticScale(NoDataValue, 4.0).min);
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), AutomaticScale(NoDataValue, 4.0).max);
}

TEST_F(PresenterTest, ValueAxisFollowsTheVisibleSeriesOnly) {
  Cycle();
  // Slot 0 (cold junction 0) and channels 1..4; the hidden slots' marker not.
  EXPECT_DOUBLE_EQ(page_.ValueAxis->min(), AutomaticScale(0.0, 4.0).min);
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), AutomaticScale(0.0, 4.0).max);
  Cycle("000000, 000001, 000002, 000003, 000028\r\n");  // channel 4 at 40 mV
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), AutomaticScale(0.0, 40.0).max);
  // A value axis the user fixed keeps its range.
  SetAxisAutomatic(page_.ValueAxis, false);
  page_.ValueAxis->setRange(0.0, 10.0);
  Cycle("000000, 000001, 000002, 000003, 000064\r\n");
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), 10.0);
  SetAxisAutomatic(page_.ValueAxis, true);
  FitValueAxis(page_);
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), AutomaticScale(0.0, 100.0).max);
  EXPECT_DOUBLE_EQ(page_.ValueAxis->min(), AutomaticScale(0.0, 100.0).min);
}

TEST_F(PresenterTest, ScrollingWindowAndAutomaticAxis) {
  settings_.sampleInterval = 5;
  ASSERT_TRUE(page_.ChkScroll->isChecked());
  Cycle();
  double x = start_;
  auto [low, high] = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR(low, x - 175 * kSecond, 0.001 * kSecond);   // 35 intervals back
  EXPECT_NEAR(high, x + 25 * kSecond, 0.001 * kSecond);   // 5 intervals ahead
  EXPECT_FALSE(AxisAutomatic(page_.TimeAxis));
  EXPECT_EQ(page_.TimeAxis->max(), FromDayCount(x + 25 * kSecond));

  // Scroll off: the axis spans the run from its start.
  page_.ChkScroll->setChecked(false);
  for (int t = 0; t < 5; ++t) Cycle();  // the next record comes 5 s later
  x = start_ + 5 * kSecond;
  std::tie(low, high) = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR(low, start_, 0.001 * kSecond);
  EXPECT_NEAR(high, x, 0.001 * kSecond);
  EXPECT_TRUE(AxisAutomatic(page_.TimeAxis));
  EXPECT_EQ(state_.chart.size(), 2);
  EXPECT_NEAR(state_.chart.x(1), x, 0.001 * kSecond);
}

TEST_F(PresenterTest, ElapsedAxisCountsDaysSinceTheStart) {
  inputs_.elapsedAxis = true;
  page_.ChkScroll->setChecked(false);
  clock_.Set(start_);
  Cycle();
  clock_.Set(start_ + 1.5);  // a day and a half later
  Cycle();
  EXPECT_NEAR(state_.chart.x(0), 0.0, 0.001 * kSecond);
  EXPECT_NEAR(state_.chart.x(1), 1.5, 0.001 * kSecond);
  const auto [low, high] = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR(low, 0.0, 0.001 * kSecond);
  EXPECT_NEAR(high, 1.5, 0.001 * kSecond);
  // The "hh:mm:ss" labels read the time into the run.
  EXPECT_EQ(page_.TimeAxis->max().toString(QStringLiteral("hh:mm:ss")), QStringLiteral("12:00:00"));
}

TEST_F(PresenterTest, ElapsedScrollingWindowStartsBeforeTheRun) {
  inputs_.elapsedAxis = true;
  settings_.sampleInterval = 1;
  page_.ChkScroll->setChecked(true);
  clock_.Set(start_);
  Cycle();
  clock_.Set(start_ + 8 * kSecond);
  Cycle();
  // 35 s back from 8 s into the run: the window starts 27 s before it
  const auto [low, high] = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR(low, -27 * kSecond, 0.001 * kSecond);
  EXPECT_NEAR(high, 13 * kSecond, 0.001 * kSecond);
  EXPECT_LT(page_.TimeAxis->min(), page_.TimeAxis->max());
  EXPECT_NEAR(page_.TimeAxis->max().toMSecsSinceEpoch() - page_.TimeAxis->min().toMSecsSinceEpoch(),
              40000.0, 1.0);
  EXPECT_EQ(page_.TimeAxis->min().toString(QStringLiteral("hh:mm:ss")), QStringLiteral("23:59:33"));
  EXPECT_EQ(page_.TimeAxis->max().toString(QStringLiteral("hh:mm:ss")), QStringLiteral("00:00:13"));
  // both points inside the window
  for (int i = 0; i < 2; ++i) {
    const double x = ChartAxisValue(state_.chart.x(i));
    EXPECT_GE(x, static_cast<double>(page_.TimeAxis->min().toMSecsSinceEpoch()));
    EXPECT_LE(x, static_cast<double>(page_.TimeAxis->max().toMSecsSinceEpoch()));
  }
}

TEST_F(PresenterTest, ChartStartsAgainEmptyAfter3600Points) {
  page_.ChkScroll->setChecked(false);
  Cycle("000000, 000001, 000002, 000003, 000028\r\n");  // 40 mV once
  for (int r = 2; r < kChartPointLimit; ++r) Cycle();
  EXPECT_EQ(state_.chart.size(), kChartPointLimit - 1);
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), AutomaticScale(0.0, 40.0).max);
  const double last = clock_.Now();
  const CycleOutcome out = Cycle();  // the 3600th point
  EXPECT_TRUE(out.chartCleared);
  EXPECT_TRUE(state_.chart.empty());
  Cycle();
  EXPECT_EQ(state_.chart.size(), 1);
  const auto [low, high] = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR(low, last, 0.001 * kSecond);  // the left end at the last point of the full chart
  EXPECT_NEAR(high, last + kSecond, 0.001 * kSecond);
  EXPECT_DOUBLE_EQ(page_.ValueAxis->max(), AutomaticScale(0.0, 4.0).max);  // the value range starts afresh
}

TEST_F(PresenterTest, MemoIsEmptiedAt250LinesAndTakesNoLinesWhilePaused) {
  for (int r = 1; r < kMemoLineLimit; ++r) Cycle();
  EXPECT_EQ(MemoLineCount(page_.Memo), kMemoLineLimit - 1);
  Cycle();
  EXPECT_EQ(MemoLineCount(page_.Memo), 0);
  const CycleOutcome next = Cycle();
  EXPECT_EQ(page_.Memo->toPlainText().toStdString(), next.memoLine);

  state_.run.MemoPaused = true;
  Cycle();
  Cycle();
  EXPECT_EQ(MemoLineCount(page_.Memo), 1);
  EXPECT_EQ(state_.chart.size(), kMemoLineLimit + 3);  // the chart goes on
  state_.run.MemoPaused = false;
  const CycleOutcome resumed = Cycle();
  EXPECT_EQ(MemoLineCount(page_.Memo), 2);
  EXPECT_EQ(page_.Memo->document()->lastBlock().text().toStdString(), resumed.memoLine);
  EXPECT_EQ(resumed.memoLine.substr(0, 6), "   254");
}

TEST_F(PresenterTest, RestartEmptiesMemoAndChartAndStartsANewRun) {
  for (int r = 0; r < 7; ++r) Cycle();
  EXPECT_EQ(ApplyRestart(page_, RestartRun(state_, 0), false),
            QStringLiteral("Chart 1 recording re-started."));
  EXPECT_EQ(MemoLineCount(page_.Memo), 0);
  EXPECT_TRUE(state_.chart.empty());
  EXPECT_EQ(ApplyRestart(page_, RestartRun(state_, 3), true),
            QString::fromUtf8("차트 4 기록 재시작되었습니다."));

  // The next frame starts a run: a new start label, and a failing channel is
  // hidden again at its start.
  const double restart = clock_.Now();
  Cycle(kChannel3Fails);
  EXPECT_EQ(page_.LblStart->text().toStdString(), FormatDateTime(restart));
  EXPECT_EQ(state_.chart.size(), 1);
  EXPECT_FALSE(page_.Series[3]->isVisible());
  EXPECT_EQ(page_.Memo->toPlainText().left(6), QStringLiteral("     1"));
}

// The drawn chart, not only the series model: a point whose record moves
// neither axis is drawn too.
TEST_F(PresenterTest, APointThatMovesNoAxisIsStillDrawn) {
  page_.resize(1000, 700);
  page_.show();
  SetAxisAutomatic(page_.ValueAxis, false);
  page_.ValueAxis->setRange(0.0, 100.0);
  Cycle();  // channel 1 at 1 mV
  clock_.Set(start_);  // the same time again: the scrolling window stays put
  Cycle("000000, 000050, 000002, 000003, 000004\r\n");  // channel 1 at 80 mV
  ASSERT_EQ(state_.chart.size(), 2);

  const QImage image = page_.Chart->grab().toImage();
  const QRectF plot = page_.chart()->plotArea();
  int upperRed = 0;  // series 1 (#ED1C24) in the upper half of the plot
  for (int y = static_cast<int>(plot.top()); y < static_cast<int>(plot.center().y()); ++y) {
    for (int x = static_cast<int>(plot.left()); x < static_cast<int>(plot.right()); ++x) {
      upperRed += (image.pixel(x, y) & 0xFFFFFF) == 0xED1C24;
    }
  }
  EXPECT_GT(upperRed, 10);
}

TEST(NetworkLogs, EmptiedAtOneHundredLinesWhenTheCycleAsks) {
  QPlainTextEdit received;
  QPlainTextEdit sent;
  EXPECT_EQ(MemoLineCount(&received), 0);
  for (int i = 0; i < 99; ++i) received.appendPlainText(QStringLiteral("r"));
  for (int i = 0; i < 100; ++i) sent.appendPlainText(QStringLiteral("s"));
  EXPECT_EQ(MemoLineCount(&received), 99);

  CycleOutcome shortFrame;  // a frame too short asks nothing
  CapNetworkLogs(shortFrame, &received, &sent);
  EXPECT_EQ(MemoLineCount(&sent), 100);

  CycleOutcome processed;
  processed.checkNetworkLogs = true;
  CapNetworkLogs(processed, &received, &sent);
  EXPECT_EQ(MemoLineCount(&received), 99);
  EXPECT_EQ(MemoLineCount(&sent), 0);
  CapNetworkLogs(processed, nullptr, nullptr);  // the client has no logs to cap
}

TEST(ChartAxes, DayCountsRoundTripAndOrderedRanges) {
  for (double day : {-0.25, -kSecond, 0.0, 0.25, 1.5, 46364.587175925926, 46364.999988425926}) {
    EXPECT_NEAR(DayCountOfAxisValue(ChartAxisValue(day)), day, 0.0005 / kSecondsPerDay) << day;
  }
  // Later times lie further right.
  const double t = EncodeDateTime({2026, 12, 8, 23, 59, 59});
  EXPECT_NEAR(ChartAxisValue(t + kSecond) - ChartAxisValue(t), 1000.0, 0.5);

  QDateTimeAxis axis;
  SetTimeAxisRange(&axis, t + kSecond, t);  // given the wrong way round
  EXPECT_EQ(axis.min(), FromDayCount(t));
  EXPECT_EQ(axis.max(), FromDayCount(t + kSecond));
  SetTimeAxisRange(&axis, t, t);  // an empty span keeps a scale
  EXPECT_LT(axis.min(), axis.max());
}

}  // namespace
}  // namespace tessar
