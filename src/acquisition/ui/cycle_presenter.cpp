#include "acquisition/ui/cycle_presenter.h"

#include <QColor>
#include <QDateTime>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <algorithm>
#include <limits>

#include "acquisition/ui/alarm_presenter.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/chart_page.h"

namespace tessar {
namespace {

// Paints the activity indicator, keeping the rest of the look the page gave
// it (border, shape).
void PaintIndicator(QFrame* shape, std::uint32_t rgb) {
  static constexpr char kLookProperty[] = "tessarIndicatorLook";
  QVariant look = shape->property(kLookProperty);
  if (!look.isValid()) {
    QString rest = shape->styleSheet();
    rest.remove(QRegularExpression(QStringLiteral("background(-color)?\\s*:[^;]*;?")));
    look = rest.trimmed();
    shape->setProperty(kLookProperty, look);
  }
  shape->setStyleSheet(QStringLiteral("background: %1; %2")
                           .arg(QColor(static_cast<QRgb>(rgb)).name(), look.toString()));
}

}  // namespace

int MemoLineCount(const QPlainTextEdit* memo) {
  return memo->document()->isEmpty() ? 0 : memo->document()->blockCount();
}

void ApplyChartPoint(ChartPage& page, const ChartPoint& point) {
  // Switch off the series without data first, so that they neither take the
  // point into the value range nor draw it.
  bool hidden = false;
  for (int i = 0; i < kSlotCount; ++i) {
    if (!point.hideSeries[i]) continue;
    if (page.Series[i]->isVisible()) {
      page.Series[i]->setVisible(false);
      hidden = true;
    }
    // A programmatic uncheck: the box handler, which stores the visibility,
    // must not see it.
    const QSignalBlocker block(page.Chk[i]);
    page.Chk[i]->setChecked(false);
  }

  // The cycle has put the point into the board's chart model already.
  const ChartModel* model = page.model();
  const bool fresh = model == nullptr || model->size() <= 1;
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (int i = 0; i < kSlotCount; ++i) {
    if (page.Series[i]->isVisible()) {
      low = std::min(low, point.y[i]);
      high = std::max(high, point.y[i]);
    }
  }
  if (AxisAutomatic(page.ValueAxis)) {
    if (hidden && !fresh) {
      FitValueAxis(page);  // a series' earlier points left the range
    } else {
      ExtendValueAxis(page.ValueAxis, low, high, fresh);
    }
  }
  SetAxisAutomatic(page.TimeAxis, point.automaticAxis);
  SetTimeAxisRange(page.TimeAxis, point.axisMin, point.axisMax);
  page.Redraw();
}

void ApplyCycleOutcome(ChartPage& page, const CycleOutcome& outcome) {
  PaintIndicator(page.Shape, outcome.indicatorColour);
  if (!outcome.processed) return;
  if (outcome.startLabel) page.LblStart->setText(QString::fromStdString(*outcome.startLabel));
  for (int k = 1; k <= kChannelCount; ++k) {
    page.EdValue[k]->setText(QString::fromLatin1(outcome.valueTexts[k - 1]));
  }
  ApplyAlarmDisplay(page, outcome.alarm);
  if (!outcome.recorded) return;

  ApplyChartPoint(page, outcome.chartPoint);
  if (outcome.memoAppend) {
    page.Memo->appendPlainText(QString::fromLatin1(outcome.memoLine));
    // The memo's own lines count, alarm lines included.
    if (MemoLineCount(page.Memo) >= kMemoLineLimit) page.Memo->clear();
  }
}

void CapNetworkLogs(const CycleOutcome& outcome, QPlainTextEdit* memoR, QPlainTextEdit* memoS) {
  if (!outcome.checkNetworkLogs) return;
  for (QPlainTextEdit* log : {memoR, memoS}) {
    if (log != nullptr && MemoLineCount(log) >= kNetworkLogLineLimit) log->clear();
  }
}

void ApplyTickOutcomes(const std::array<ChartPage*, kBoardCount>& pages,
                       const std::array<std::optional<CycleOutcome>, kBoardCount>& outcomes,
                       QPlainTextEdit* memoR, QPlainTextEdit* memoS) {
  for (int b = 0; b < kBoardCount; ++b) {
    if (!outcomes[b] || pages[b] == nullptr) continue;
    ApplyCycleOutcome(*pages[b], *outcomes[b]);
    CapNetworkLogs(*outcomes[b], memoR, memoS);
  }
}

QString ApplyRestart(ChartPage& page, const RestartMessage& message, bool koreanUi) {
  page.Memo->clear();
  page.Redraw();  // RestartRun emptied the chart model
  return QString::fromStdString(koreanUi ? message.korean : message.english);
}

}  // namespace tessar
