#include "acquisition/ui/chart_panel.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTextBlock>

#include "acquisition/live_export.h"
#include "acquisition/program_state.h"
#include "acquisition/ui/chart_axes.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/cycle_presenter.h"
#include "acquisition/ui/display_page.h"
#include "common/clock.h"
#include "common/dialogs.h"
#include "common/number_text.h"
#include "i18n/messages.h"
#include "i18n/text_codec.h"

namespace tessar {
namespace {

constexpr int kChannelNameLength = 10;
constexpr int kTitleLength = 80;
constexpr double kZoomIn = 1.1;
constexpr double kZoomOut = 0.9;

// A number as the input boxes show it: the shortest form that reads back.
QString NumberText(double value) { return QString::number(value, 'g', 15); }

std::filesystem::path FilePath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}
QString PathText(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// The three chart export buttons stay disabled while an export runs, and are
// enabled again however it ends.
class ExportButtonsDisabled {
 public:
  explicit ExportButtonsDisabled(ChartPage& page) : page_(page) { Enable(false); }
  ~ExportButtonsDisabled() { Enable(true); }

 private:
  void Enable(bool on) {
    page_.BtTxt->setEnabled(on);
    page_.BtXLS->setEnabled(on);
    page_.BtSaveBmp->setEnabled(on);
  }
  ChartPage& page_;
};

}  // namespace

ChartPanel::ChartPanel(ChartPage& page, DisplayPage& display, ProgramState& state,
                       Dialogs& dialogs, QStatusBar* statusBar, QObject* parent)
    : QObject(parent),
      page_(page),
      display_(display),
      state_(state),
      dialogs_(dialogs),
      statusBar_(statusBar),
      board_(page.board()),
      pump_([] { QCoreApplication::processEvents(); }) {
  for (int i = 0; i < kSlotCount; ++i) {
    connect(page.Chk[i], &QCheckBox::clicked, this, [this, i] { Chk01Click(i); });
  }
  for (int k = 1; k <= kChannelCount; ++k) {
    connect(display.EdName[board_][k], &QLineEdit::textChanged, this, [this, k] { Ed01Change(k); });
  }
  connect(display.EditT[board_], &QLineEdit::textChanged, this, &ChartPanel::EditT1Change);
  connect(page.BtZoomIn, &QPushButton::clicked, this, &ChartPanel::BtZoomIn1Click);
  connect(page.BtZoomOut, &QPushButton::clicked, this, &ChartPanel::BtZoomOut1Click);
  connect(page.BtA, &QPushButton::clicked, this, &ChartPanel::BtA1Click);
  connect(page.YAuto, &QAction::triggered, this, &ChartPanel::BtA1Click);
  connect(page.ChkScroll, &QCheckBox::clicked, this, &ChartPanel::ChkScroll1Click);
  connect(page.ChkViewP, &QCheckBox::clicked, this, &ChartPanel::ChkViewP1Click);
  connect(page.Chart, &ChartView::MouseMoved, this, &ChartPanel::Chart1MouseMove);
  connect(page.YMax, &QAction::triggered, this, &ChartPanel::YMax1Click);
  connect(page.YMin, &QAction::triggered, this, &ChartPanel::YMin1Click);
  connect(page.ChartTitle, &QAction::triggered, this, &ChartPanel::ChartTitle1Click);
  connect(page.YAxisTitle, &QAction::triggered, this, &ChartPanel::YAxisTitle1Click);
  connect(page.BtTxt, &QPushButton::clicked, this, &ChartPanel::BtTxt1Click);
  connect(page.BtXLS, &QPushButton::clicked, this, &ChartPanel::BtXLS1Click);
  connect(page.BtSaveM, &QPushButton::clicked, this, &ChartPanel::BtSaveM1Click);
  connect(page.BtSaveBmp, &QPushButton::clicked, this, &ChartPanel::BtSaveBmp1Click);
  page.Memo->viewport()->installEventFilter(this);
  memoViewport_ = page.Memo->viewport();
}

QString ChartPanel::Text(int id) const { return MessageText(static_cast<Msg>(id), state_.KoreanUi); }

void ChartPanel::ShowStatus(const QString& text) {
  if (statusBar_ != nullptr) statusBar_->showMessage(text);
}

void ChartPanel::LogError(const QObject* sender, const QString& message) {
  if (errorLog_) errorLog_(QString::fromLatin1(sender->metaObject()->className()), message);
}

bool ChartPanel::eventFilter(QObject* watched, QEvent* event) {
  // The page may be half destroyed when its children send their last
  // events: compare with the pointer kept at construction, never through it.
  if (watched == memoViewport_) {
    if (event->type() == QEvent::MouseButtonDblClick) {
      Memo1DblClick();
    } else if (event->type() == QEvent::MouseButtonPress) {
      Memo1Click();
    }
  }
  return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Channels and titles

void ChartPanel::Chk01Click(int slot) {
  if (!state_.UiReady) return;
  const ScopedAcquisitionHold hold;
  const bool visible = page_.Chk[slot]->isChecked();
  state_.Settings.boards[board_].channelVisible[slot] = visible ? 1 : 0;
  page_.Series[slot]->setVisible(visible);
  if (AxisAutomatic(page_.ValueAxis)) FitValueAxis(page_);
  page_.Redraw();
}

void ChartPanel::Ed01Change(int channel) {
  if (!state_.UiReady) return;
  const QString name =
      display_.EdName[board_][channel]->text().leftJustified(kChannelNameLength, u' ', true);
  page_.Series[channel]->setName(name);
  WriteField(state_.Settings.boards[board_].channelName[channel], name);
  state_.Boards[board_].run.HeaderDirty = true;
}

void ChartPanel::EditT1Change() {
  if (!state_.UiReady) return;
  const QString title = display_.EditT[board_]->text().left(kTitleLength);
  page_.LblTitle->setText(title);
  WriteField(state_.Settings.boards[board_].jobTitle, title);
  state_.Boards[board_].run.HeaderDirty = true;
}

void ChartPanel::ChartTitle1Click() {
  QString answer = page_.chart()->title().section(u'\n', 0, 0);
  dialogs_.InputQuery(Text(int(Msg::ChartTitleCaption)), Text(int(Msg::ChartTitlePrompt)), answer);
  page_.chart()->setTitle(answer);
  WriteField(state_.Settings.boards[board_].chartTitle, answer.left(kTitleLength));
  state_.Boards[board_].run.HeaderDirty = true;
}

void ChartPanel::YAxisTitle1Click() {
  QString answer = page_.ValueAxis->titleText();
  dialogs_.InputQuery(Text(int(Msg::YAxisTitleCaption)), Text(int(Msg::YAxisTitlePrompt)), answer);
  answer = answer.left(kTitleLength);
  page_.ValueAxis->setTitleText(answer);
  WriteField(state_.Settings.boards[board_].yAxisTitle, answer);
  state_.Boards[board_].run.HeaderDirty = true;
}

// ---------------------------------------------------------------------------
// Axes

void ChartPanel::Zoom(double factor) {
  const ScopedAcquisitionHold hold;
  if (statusBar_ != nullptr) statusBar_->clearMessage();
  const auto [t0, t1] = TimeAxisRange(page_.TimeAxis);
  const auto [x0, x1] = ZoomAbout(t0, t1, factor);
  SetTimeAxisRange(page_.TimeAxis, x0, x1);
  const auto [v0, v1] = ZoomAbout(page_.ValueAxis->min(), page_.ValueAxis->max(), factor);
  const auto [y0, y1] = UsableRange(v0, v1, 1e-6);
  SetAxisAutomatic(page_.ValueAxis, false);  // kept until "A"
  ShowValueRange(page_.ValueAxis, y0, y1);
  page_.Redraw();
}

void ChartPanel::BtZoomIn1Click() { Zoom(kZoomIn); }
void ChartPanel::BtZoomOut1Click() { Zoom(kZoomOut); }

void ChartPanel::BtA1Click() {
  const ScopedAcquisitionHold hold;
  SetAxisAutomatic(page_.ValueAxis, true);
  FitValueAxis(page_);
  page_.Redraw();
}

void ChartPanel::ChkScroll1Click() {
  const ScopedAcquisitionHold hold;
  const RunState& run = state_.Boards[board_].run;
  const bool scroll = page_.ChkScroll->isChecked();
  if (scroll) {
    SetAxisAutomatic(page_.TimeAxis, false);
    const auto [from, to] = ScrollWindow(run.LastChartX, state_.Settings.boards[board_].sampleInterval);
    SetTimeAxisRange(page_.TimeAxis, from, to);
  } else {
    // Right after a start or a clear the span is empty: the axis widens it.
    SetTimeAxisRange(page_.TimeAxis, run.ChartOrigin, run.LastChartX);
    SetAxisAutomatic(page_.TimeAxis, true);
  }
  page_.ChkViewP->setChecked(scroll);
  page_.Chart->SetMarkersVisible(scroll);
}

void ChartPanel::ChkViewP1Click() {
  const ScopedAcquisitionHold hold;
  page_.Chart->SetMarkersVisible(page_.ChkViewP->isChecked());
}

void ChartPanel::Chart1MouseMove(const QPointF& at) {
  const ChartModel* model = page_.model();
  if (model == nullptr || model->empty()) return;
  const PlotMapping map = page_.Chart->Mapping();
  if (at.x() < map.left || at.x() > map.left + map.width || at.y() < map.top ||
      at.y() > map.top + map.height)
    return;
  page_.LblTime->setText(
      QString::fromStdString(FormatReadoutTime(map.X(at.x()), state_.ElapsedAxis)));
  page_.LblY->setText(QString::fromStdString(FormatFixed(map.Y(at.y()), 0, 2)));
}

void ChartPanel::AskYLimit(bool maximum) {
  const double max = page_.ValueAxis->max();
  const double min = page_.ValueAxis->min();
  const Msg title = maximum ? Msg::YMaxTitle : Msg::YMinTitle;
  const QString caption =
      Text(int(title)) + NumberText(max) + QStringLiteral(", ") + NumberText(min) + QStringLiteral(")  ");
  QString answer = NumberText(maximum ? max : min);
  dialogs_.InputQuery(caption, Text(int(maximum ? Msg::YMaxPrompt : Msg::YMinPrompt)), answer);
  double value = 0.0;
  if (!ParseDecimal(answer.toStdString(), value)) {
    LogError(maximum ? page_.YMax : page_.YMin,
             QStringLiteral("'%1' is not a valid floating point value").arg(answer));
    return;
  }
  // The answer is compared as the chart keeps it, in single precision.
  const double kept = static_cast<float>(value);
  const bool accepted = maximum ? kept > min : kept < max;
  if (!accepted) {
    dialogs_.ShowMessage(Text(int(maximum ? Msg::YMaxNotAboveMin : Msg::YMinNotBelowMax)));
    return;
  }
  SetAxisAutomatic(page_.ValueAxis, false);
  // Rounding can still bring the ends together: never an empty span.
  const auto [low, high] = maximum ? UsableRange(min, value, 1e-6) : UsableRange(value, max, 1e-6);
  ShowValueRange(page_.ValueAxis, low, high);
  page_.Redraw();
}

void ChartPanel::YMax1Click() { AskYLimit(true); }
void ChartPanel::YMin1Click() { AskYLimit(false); }

// ---------------------------------------------------------------------------
// Memo

void ChartPanel::Memo1DblClick() {
  bool& paused = state_.Boards[board_].run.MemoPaused;
  paused = !paused;
  ShowStatus(Text(int(paused ? Msg::MemoPaused : Msg::MemoResumed)));
}

void ChartPanel::Memo1Click() { page_.SetMemoTextColor(Qt::black); }

// ---------------------------------------------------------------------------
// Exports

template <typename Export>
void ChartPanel::RunExport(Export&& run) {
  const ScopedAcquisitionHold hold;
  const ExportButtonsDisabled disabled(page_);
  run();
}

namespace {
QString WithPath(QString text, const QString& path) { return text.replace(QStringLiteral("%s"), path); }
}  // namespace

void ChartPanel::BtTxt1Click() {
  RunExport([this] {
    if (page_.model() == nullptr || page_.model()->empty()) return;
    const ChartModel snapshot = *page_.model();  // ticks may resume while events are pumped
    const RunState& run = state_.Boards[board_].run;
    const auto path =
        LiveExportPath(FilePath(state_.CurrentDataDirectory), board_, Now(), ".TXT");
    const std::string text = ChartText(LiveExportTexts::Of(state_.Settings.boards[board_]),
                                       {&snapshot, run.StartTime, state_.ElapsedAxis}, pump_);
    const QString shown = PathText(path);
    if (SaveExportFile(path, text) == SaveResult::Saved) {
      ShowStatus(WithPath(Text(int(Msg::ChartSaved)), shown));
    } else {
      ShowStatus(WithPath(Text(int(Msg::TextExportFailed)), shown));
    }
  });
}

void ChartPanel::BtXLS1Click() {
  RunExport([this] {
    const ChartModel snapshot = page_.model() ? *page_.model() : ChartModel{};
    const RunState& run = state_.Boards[board_].run;
    const auto path =
        LiveExportPath(FilePath(state_.CurrentDataDirectory), board_, Now(), ".xls");
    const std::string sheet = ChartSheet(LiveExportTexts::Of(state_.Settings.boards[board_]),
                                         {&snapshot, run.StartTime, state_.ElapsedAxis}, pump_);
    const SaveResult result = SaveExportFile(path, sheet);
    if (result != SaveResult::Saved) {
      LogError(page_.BtXLS, QStringLiteral("Cannot create file \"%1\"").arg(PathText(path)));
    } else if (!snapshot.empty()) {
      ShowStatus(WithPath(Text(int(Msg::ChartSaved)), PathText(path)));
    }
  });
}

void ChartPanel::BtSaveM1Click() {
  RunExport([this] {
    if (MemoLineCount(page_.Memo) < 1) return;
    std::vector<std::string> lines;
    for (QTextBlock b = page_.Memo->document()->begin(); b.isValid(); b = b.next()) {
      lines.push_back(ToCp949(b.text()).toStdString());
    }
    const auto path =
        LiveExportPath(FilePath(state_.CurrentDataDirectory), board_, Now(), ".LOG");
    if (SaveExportFile(path, MemoLog(lines)) == SaveResult::Saved) {
      ShowStatus(WithPath(Text(int(Msg::LogSaved)), PathText(path)));
    } else {
      LogError(page_.BtSaveM, QStringLiteral("Cannot create file \"%1\"").arg(PathText(path)));
    }
  });
}

void ChartPanel::BtSaveBmp1Click() {
  RunExport([this] {
    if (page_.model() == nullptr || page_.model()->empty()) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    page_.Chart->grab().save(&buffer, "BMP");
    const auto path =
        LiveExportPath(FilePath(state_.CurrentDataDirectory), board_, Now(), ".BMP");
    if (SaveExportFile(path, std::string_view(bytes.constData(), bytes.size())) ==
        SaveResult::Saved) {
      ShowStatus(WithPath(Text(int(Msg::ChartSaved)), PathText(path)));
    } else {
      LogError(page_.BtSaveBmp, QStringLiteral("Cannot create file \"%1\"").arg(PathText(path)));
    }
  });
}

}  // namespace tessar
