// A board's live page operated as a user does: real page, real chart, real
// files; dialogs answered by the scripted seam.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtCharts/QLegendMarker>
#include <algorithm>
#include <functional>
#include <cmath>

#include "acquisition/axis_scale.h"
#include "acquisition/live_export.h"
#include "acquisition/program_state.h"
#include "acquisition/thermocouple.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/chart_panel.h"
#include "acquisition/ui/display_page.h"
#include "common/clock.h"
#include "chart_labels.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"
#include "scripted_dialogs.h"
#include "test_support.h"

namespace tessar {
namespace {

constexpr double kSecond = 1.0 / kSecondsPerDay;
const double kStart = EncodeDateTime({2026, 12, 8, 14, 5, 32});

class ChartPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FillBoardDefaults(state_.Settings.boards[0], 0, tmp_.path().toStdString());
    state_.UiReady = true;
    state_.KoreanUi = false;
    state_.CurrentDataDirectory = tmp_.path();
    page_.SetModel(&chart());
    panel_.SetErrorLog([this](const QString& sender, const QString& message) {
      errors_ << sender + QStringLiteral(": ") + message;
    });
    panel_.SetEventPump([this] {
      ++pumps_;
      if (onPump_) onPump_();
    });
  }

  ChartModel& chart() { return state_.Boards[0].chart; }
  RunState& run() { return state_.Boards[0].run; }
  BoardSettings& record() { return state_.Settings.boards[0]; }

  // `n` points a second apart from kStart, the axes over all of them.
  void Fill(int n) {
    std::array<double, kChartSlots> y{};
    for (int i = 0; i < n; ++i) {
      for (int s = 0; s < kChartSlots; ++s) y[s] = 10.0 * s + 5.0 * std::sin(i / 40.0 + s);
      chart().Append(kStart + i * kSecond, y);
    }
    run().StartTime = run().ChartOrigin = kStart;
    run().LastChartX = kStart + (n - 1) * kSecond;
    SetTimeAxisRange(page_.TimeAxis, kStart, run().LastChartX);
    FitValueAxis(page_);
  }

  QTemporaryDir tmp_;
  ProgramState state_;
  ChartPage page_{0};
  DisplayPage display_;
  test::ScriptedDialogs dialogs_;
  QStatusBar bar_;
  ChartPanel panel_{page_, display_, state_, dialogs_, &bar_};
  QStringList errors_;
  int pumps_ = 0;
  std::function<void()> onPump_;
  ManualClock clock_{kStart + 3600 * kSecond};
  ScopedClock scoped_{clock_};
};

TEST_F(ChartPanelTest, NamesAndTitlesAreCutAndStoredWithinTheirFields) {
  struct Case {
    QString typed;
    QString shown;  // series title / label
  };
  const QString korean12 = QString::fromUtf8("가나다라마바사아자차카타");
  const Case names[] = {
      {"T1", "T1        "},
      {"Outlet temperature", "Outlet tem"},
      {korean12, korean12.left(10)},  // 20 bytes: fits the 21-byte field
  };
  for (const Case& c : names) {
    run().HeaderDirty = false;
    display_.EdName[0][3]->setText(c.typed);
    EXPECT_EQ(page_.Series[3]->name(), c.shown);
    EXPECT_EQ(ReadField(record().channelName[3]), c.shown);
    EXPECT_TRUE(run().HeaderDirty);
  }
  // The job title shows 80 characters; the 81-byte field keeps what fits,
  // never half a character.
  const QString longTitle = QString(90, QChar(u'한'));
  display_.EditT[0]->setText(longTitle);
  EXPECT_EQ(page_.LblTitle->text(), longTitle.left(80));
  EXPECT_EQ(ReadField(record().jobTitle), longTitle.left(40));
  dialogs_.QueueInput(QString(100, QChar(u'x')) + QStringLiteral("%d"));
  panel_.YAxisTitle1Click();
  EXPECT_EQ(page_.ValueAxis->titleText(), QString(80, QChar(u'x')));
  EXPECT_EQ(ReadField(record().yAxisTitle), QString(80, QChar(u'x')));

  // Chart title: the answer, or the current title when cancelled; either way
  // the header is rewritten.
  dialogs_.QueueInput(QStringLiteral("Furnace 3"));
  panel_.ChartTitle1Click();
  EXPECT_EQ(page_.chart()->title(), "Furnace 3");
  EXPECT_EQ(ReadField(record().chartTitle), "Furnace 3");
  run().HeaderDirty = false;
  panel_.ChartTitle1Click();  // cancelled
  EXPECT_EQ(ReadField(record().chartTitle), "Furnace 3");
  EXPECT_TRUE(run().HeaderDirty);
  EXPECT_EQ(dialogs_.Captions(test::ScriptedDialogs::Kind::Input).back(), "Chart Title");

  // Before the window is filled the edits store nothing.
  state_.UiReady = false;
  display_.EdName[0][3]->setText("later");
  EXPECT_EQ(ReadField(record().channelName[3]), korean12.left(10));
}

TEST_F(ChartPanelTest, YRangeInputsAcceptRefuseAndLog) {
  page_.ValueAxis->setRange(0.0, 100.0);
  struct Case {
    bool maximum;
    QString answer;
    double min, max;      // the axis afterwards
    QString message;      // refusal shown, if any
    bool logged;
  };
  const Case cases[] = {
      {true, "0", 0.0, 100.0, "The value is lower than minimum value!", false},
      {true, "250.5", 0.0, 250.5, "", false},
      {false, "250.5", 0.0, 250.5, "The value is greater than maximum value!", false},
      {false, "-20", -20.0, 250.5, "", false},
      {true, "abc", -20.0, 250.5, "", true},
  };
  for (const Case& c : cases) {
    dialogs_.ClearCalls();
    errors_.clear();
    dialogs_.QueueInput(c.answer);
    c.maximum ? panel_.YMax1Click() : panel_.YMin1Click();
    EXPECT_EQ(page_.ValueAxis->min(), c.min) << c.answer.toStdString();
    EXPECT_EQ(page_.ValueAxis->max(), c.max) << c.answer.toStdString();
    const QStringList shown = dialogs_.Texts(test::ScriptedDialogs::Kind::Message);
    EXPECT_EQ(shown.value(0), c.message) << c.answer.toStdString();
    EXPECT_EQ(errors_.size(), c.logged ? 1 : 0);
  }
  EXPECT_FALSE(AxisAutomatic(page_.ValueAxis));
  dialogs_.ClearCalls();
  panel_.YMin1Click();
  EXPECT_EQ(dialogs_.Captions(test::ScriptedDialogs::Kind::Input).value(0), "Y-Range (250.5, -20)  ");
  EXPECT_EQ(dialogs_.Texts(test::ScriptedDialogs::Kind::Input).value(0), "Enter Y-Min ");
  EXPECT_TRUE(errors_.value(0).startsWith("QAction: 'abc'")) << errors_.value(0).toStdString();
}

TEST_F(ChartPanelTest, ZoomAutoScrollAndMarkers) {
  Fill(600);
  bar_.showMessage("old");
  const auto [t0, t1] = TimeAxisRange(page_.TimeAxis);
  const double v0 = page_.ValueAxis->min();
  const double v1 = page_.ValueAxis->max();
  panel_.BtZoomIn1Click();
  EXPECT_TRUE(bar_.currentMessage().isEmpty());
  auto [z0, z1] = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR((z1 - z0) * 1.1, t1 - t0, 0.002 * kSecond);
  EXPECT_NEAR(z0 + z1, t0 + t1, 0.002 * kSecond);  // about the centre
  EXPECT_NEAR((page_.ValueAxis->max() - page_.ValueAxis->min()) * 1.1, v1 - v0, 1e-9);
  panel_.BtZoomOut1Click();
  std::tie(z0, z1) = TimeAxisRange(page_.TimeAxis);
  EXPECT_NEAR((z1 - z0) * 1.1 * 0.9, t1 - t0, 0.002 * kSecond);
  EXPECT_FALSE(AxisAutomatic(page_.ValueAxis));
  panel_.BtA1Click();  // "A": the data again
  EXPECT_TRUE(AxisAutomatic(page_.ValueAxis));
  EXPECT_EQ(page_.ValueAxis->min(), v0);
  EXPECT_EQ(page_.ValueAxis->max(), v1);

  // Scroll off right after a start: from the origin to the last point, which
  // are the same; the axis keeps a span.
  run().LastChartX = run().ChartOrigin;
  page_.ChkScroll->setChecked(false);
  panel_.ChkScroll1Click();
  EXPECT_LT(page_.TimeAxis->min(), page_.TimeAxis->max());
  EXPECT_TRUE(AxisAutomatic(page_.TimeAxis));
  EXPECT_FALSE(page_.ChkViewP->isChecked());
  EXPECT_FALSE(page_.Chart->MarkersVisible());
  page_.ChkScroll->setChecked(true);
  panel_.ChkScroll1Click();
  EXPECT_FALSE(AxisAutomatic(page_.TimeAxis));
  EXPECT_TRUE(page_.Chart->MarkersVisible());

  // A channel box hides its series, stores it and refits the automatic axis.
  page_.Chk[8]->setChecked(false);
  panel_.Chk01Click(8);
  EXPECT_EQ(record().channelVisible[8], 0);
  EXPECT_FALSE(page_.Series[8]->isVisible());
  std::array<bool, kChartSlots> shown{};
  shown.fill(true);
  shown[8] = false;
  double low = 0, high = 0;
  ASSERT_TRUE(chart().ValueRange(shown, low, high));
  EXPECT_EQ(page_.ValueAxis->max(), AutomaticScale(low, high).max);
  EXPECT_FALSE(AcquisitionHold);
}

// Labelled ticks every 1, 2 or 5 times a power of ten, on its multiples, "0"
// never "-0"; automatic: the data inside both ends.
TEST_F(ChartPanelTest, ValueAxisLabelsAreRoundNumbers) {
  page_.resize(1000, 700);
  page_.show();
  Fill(600);
  const double low = page_.ValueAxis->property("tessarDataLow").toDouble();
  const double high = page_.ValueAxis->property("tessarDataHigh").toDouble();
  struct Case {
    const char* what;
    std::function<void()> act;
    bool automatic;
  };
  const Case cases[] = {
      {"automatic", [] {}, true},
      {"zoomed in", [this] { panel_.BtZoomIn1Click(); }, false},
      {"zoomed out twice", [this] { panel_.BtZoomOut1Click(); panel_.BtZoomOut1Click(); }, false},
      {"Y-Max typed", [this] { dialogs_.QueueInput(QStringLiteral("250.5")); panel_.YMax1Click(); }, false},
      {"A", [this] { panel_.BtA1Click(); }, true},
  };
  for (const Case& c : cases) {
    c.act();
    QCoreApplication::processEvents();
    const std::vector<double> labels = test::ValueAxisLabels(*page_.Chart);
    std::string why;
    ASSERT_TRUE(test::RoundLabels(labels, &why)) << c.what << ": " << why;
    const double step = labels[1] - labels[0];
    for (double label : labels) {
      EXPECT_GE(label, page_.ValueAxis->min() - step * 1e-6) << c.what;
      EXPECT_LE(label, page_.ValueAxis->max() + step * 1e-6) << c.what;
    }
    EXPECT_LE(labels.size(), static_cast<std::size_t>(kMaxTickIntervals + 1)) << c.what;
    if (c.automatic) {
      EXPECT_DOUBLE_EQ(labels.front(), page_.ValueAxis->min()) << c.what;  // the ends are labelled
      EXPECT_DOUBLE_EQ(labels.back(), page_.ValueAxis->max()) << c.what;
      EXPECT_LT(page_.ValueAxis->min(), low - 0.02 * (high - low)) << c.what;
      EXPECT_GT(page_.ValueAxis->max(), high + 0.02 * (high - low)) << c.what;
    }
  }
}

TEST_F(ChartPanelTest, LegendSquaresAreDrawnInTheSeriesColours) {
  for (int s = 0; s < kChartSlots; ++s) {
    const QList<QLegendMarker*> markers = page_.chart()->legend()->markers(page_.Series[s]);
    ASSERT_EQ(markers.size(), 1);
    const QColor colour(SeriesLooks()[s].colour);
    EXPECT_EQ(markers[0]->brush().color(), colour) << "slot " << s;
    EXPECT_EQ(markers[0]->pen().color(), colour) << "slot " << s;  // no dark outline
  }
}

TEST_F(ChartPanelTest, MouseReadOutInsideThePlotOnly) {
  page_.resize(1000, 700);
  page_.show();
  Fill(3);
  page_.ValueAxis->setRange(0.0, 10.0);
  state_.ElapsedAxis = true;
  SetTimeAxisRange(page_.TimeAxis, 1.0, 2.0);
  QCoreApplication::processEvents();
  const PlotMapping map = page_.Chart->Mapping();
  const QPointF middle(map.left + map.width / 2, map.top + map.height / 2);
  panel_.Chart1MouseMove(QPointF(map.left - 5, middle.y()));  // outside the plot
  EXPECT_EQ(page_.LblTime->text(), "hh:mm:ss");
  panel_.Chart1MouseMove(middle);
  EXPECT_EQ(page_.LblTime->text(), "1 Day  12:00:00");
  EXPECT_EQ(page_.LblY->text(), "5.00");
}

TEST_F(ChartPanelTest, MemoPausesOnDoubleClickAndTurnsBlackOnClick) {
  page_.SetMemoTextColor(Qt::red);
  panel_.Memo1DblClick();
  EXPECT_TRUE(run().MemoPaused);
  EXPECT_EQ(bar_.currentMessage(), "Memo Log paused. DblClick the memo to resume logging");
  panel_.Memo1DblClick();
  EXPECT_FALSE(run().MemoPaused);
  EXPECT_EQ(bar_.currentMessage(), "Memo Logging resumed.");
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(page_.Memo->viewport(), &press);
  EXPECT_EQ(page_.Memo->palette().color(QPalette::Text), QColor(Qt::black));
}

// The exports write what the chart held when they started, even when the
// chart is emptied while they let events through; a handler that runs
// meanwhile leaves the hold set; whatever happens, the buttons come back and
// the hold ends.
TEST_F(ChartPanelTest, ExportsWriteTheirSnapshotAndAlwaysEndTheHold) {
  Fill(700);
  WriteField(record().jobTitle, QStringLiteral("Run 5% over"));
  onPump_ = [this] {
    EXPECT_TRUE(AcquisitionHold);
    EXPECT_FALSE(page_.BtTxt->isEnabled());
    EXPECT_FALSE(page_.BtXLS->isEnabled());
    page_.Chk[1]->setChecked(false);
    panel_.Chk01Click(1);  // a channel box in between
    EXPECT_TRUE(AcquisitionHold);
    chart().Clear();  // the 3600-point clear, were ticks running
  };
  panel_.BtTxt1Click();
  const auto txt = LiveExportPath(tmp_.path().toStdString(), 0, clock_.Now(), ".TXT");
  const std::string text = test::FileText(txt);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 702);
  EXPECT_EQ(text.substr(0, 12), "Run 5% over#");
  EXPECT_EQ(bar_.currentMessage(),
            "The Chart is saved as " + QString::fromStdString(txt.string()) + " file");
  EXPECT_FALSE(AcquisitionHold);
  EXPECT_TRUE(page_.BtTxt->isEnabled());
  EXPECT_GE(pumps_, 2);

  onPump_ = nullptr;
  clock_.AdvanceSeconds(1);

  // Files that cannot be created: the text export says so, the others go to
  // the error log; the buttons and the acquisition come back.
  Fill(10);
  page_.Memo->appendPlainText("     1 line");
  test::WriteBytes(tmp_.filePath("blocked").toStdString(), "x", 1);
  state_.CurrentDataDirectory = tmp_.filePath("blocked");
  panel_.BtTxt1Click();
  EXPECT_EQ(bar_.currentMessage(), "There are some errors");
  bar_.clearMessage();
  panel_.BtXLS1Click();
  panel_.BtSaveM1Click();
  panel_.BtSaveBmp1Click();
  EXPECT_EQ(errors_.size(), 3);
  EXPECT_TRUE(errors_.value(0).startsWith("QPushButton: Cannot create file")) << errors_.value(0).toStdString();
  EXPECT_TRUE(bar_.currentMessage().isEmpty());
  EXPECT_FALSE(AcquisitionHold);
  for (QPushButton* b : {page_.BtTxt, page_.BtXLS, page_.BtSaveBmp}) EXPECT_TRUE(b->isEnabled());

  // The memo and the picture.
  state_.CurrentDataDirectory = tmp_.path();
  page_.resize(1000, 700);
  panel_.BtSaveM1Click();
  EXPECT_EQ(test::FileText(LiveExportPath(tmp_.path().toStdString(), 0, clock_.Now(), ".LOG")),
            "     1 line\r\n");
  panel_.BtSaveBmp1Click();
  const QImage picture(QString::fromStdString(
      LiveExportPath(tmp_.path().toStdString(), 0, clock_.Now(), ".BMP").string()));
  EXPECT_EQ(picture.size(), page_.Chart->size());
}

// The chart drawn after points were added is exactly the chart drawn afresh
// from the same data: nothing of an earlier picture stays behind.
TEST_F(ChartPanelTest, FullChartRepaintsLeaveNoStaleFragments) {
  page_.resize(1280, 700);
  page_.show();
  Fill(3590);
  QCoreApplication::processEvents();
  page_.Chart->grab();  // the earlier picture
  std::array<double, kChartSlots> y{};
  for (int i = 0; i < 10; ++i) {
    for (int s = 0; s < kChartSlots; ++s) y[s] = 80.0 - 9.0 * s;  // a jump at the end
    chart().Append(run().LastChartX + (i + 1) * kSecond, y);
  }
  run().LastChartX += 10 * kSecond;
  SetTimeAxisRange(page_.TimeAxis, kStart, run().LastChartX);
  page_.Redraw();
  QCoreApplication::processEvents();
  const QImage updated = page_.Chart->grab().toImage();

  ChartPage fresh(0);
  fresh.SetModel(&chart());
  fresh.resize(page_.size());
  fresh.show();
  SetTimeAxisRange(fresh.TimeAxis, kStart, run().LastChartX);
  FitValueAxis(fresh);
  QCoreApplication::processEvents();
  EXPECT_EQ(updated, fresh.Chart->grab().toImage());

}

TEST(ChartReadout, TimeFormsOfBothAxes) {
  EXPECT_EQ(FormatReadoutTime(1.5, true), "1 Day  12:00:00");
  EXPECT_EQ(FormatReadoutTime(0.25 + 61 * kSecond, true), "0 Day  06:01:01");
  EXPECT_EQ(FormatReadoutTime(kStart, false), "2026-12-08  14:05:32");
}

}  // namespace
}  // namespace tessar
