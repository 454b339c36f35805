#include "acquisition/ui/acquisition_controller.h"

#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QStatusBar>

#include "acquisition/ui/alarm_presenter.h"
#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/cycle_presenter.h"
#include "acquisition/ui/health_presenter.h"
#include "acquisition/ui/live_feed.h"
#include "common/number_text.h"
#include "device/ui/journal.h"

namespace tessar {

namespace {

// `directory` as an absolute path; a relative one is taken in `base`.
std::filesystem::path AbsoluteIn(const QString& base, const QString& directory) {
  const QString absolute = QDir::cleanPath(QDir(base).absoluteFilePath(directory));
  return std::filesystem::path(QFile::encodeName(absolute).toStdString());
}

}  // namespace

AcquisitionController::AcquisitionController(ProgramState& state,
                                             const std::array<ChartPage*, kBoardCount>& pages,
                                             std::function<LiveControls()> controls,
                                             QPlainTextEdit* memoR, QPlainTextEdit* memoS)
    : state_(state), pages_(pages), controls_(std::move(controls)), memoR_(memoR), memoS_(memoS) {}

void AcquisitionController::Tick() {
  std::array<CycleInputs, kBoardCount> inputs;
  for (int b = 0; b < kBoardCount; ++b) inputs[b] = InputsOf(b);
  const auto outcomes = AcquisitionTick(state_.Boards, inputs);
  ApplyTickOutcomes(pages_, outcomes, memoR_, memoS_);
  for (int b = 0; b < kBoardCount; ++b) {
    if (outcomes[b] && alarms_[b]) alarms_[b]->ApplyCycle(*outcomes[b]);
    if (outcomes[b] && health_) health_->ApplyCycle(b, *outcomes[b]);
  }
  for (int b = 0; b < kBoardCount; ++b) {
    if (outcomes[b]) Announce(b, *outcomes[b]);
  }
}

void AcquisitionController::ApplyOutcome(int board, const CycleOutcome& outcome) {
  ApplyCycleOutcome(*pages_[board], outcome);
  if (alarms_[board]) alarms_[board]->ApplyCycle(outcome);
  if (health_) health_->ApplyCycle(board, outcome);
  Announce(board, outcome);
}

void AcquisitionController::Announce(int board, const CycleOutcome& outcome) {
  if (outcome.recordingNotice) {
    const QString text = QString::fromStdString(*outcome.recordingNotice);
    JournalAlongsideStatus(text);
    if (auto* window = qobject_cast<QMainWindow*>(pages_[board]->window()))
      window->statusBar()->showMessage(text);
  }
  if (feed_ == nullptr || !outcome.processed) return;
  if (outcome.recorded) emit feed_->RecordTaken(LiveRecordOf(board, outcome));
  // the messages are lines ended by CR LF
  const QStringList messages = QString::fromStdString(outcome.alarm.AlarmText)
                                   .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  for (const QString& message : messages) emit feed_->AlarmMessage(board, message);
}

CycleInputs AcquisitionController::InputsOf(int board) const {
  CycleInputs in;
  in.board = board;
  in.settings = &state_.Settings.boards[board];
  in.controls = controls_();
  in.scrollChart = pages_[board]->ChkScroll->isChecked();
  in.elapsedAxis = state_.ElapsedAxis;
  if (alarms_[board]) in.alarms = alarms_[board]->Inputs();
  if (health_) in.health = health_->config();
  // before the start sequence named it: the current one, never a relative path
  in.dataDirectory = recordingDirectory_.empty()
                         ? AbsoluteIn(state_.ProgramDirectory, state_.CurrentDataDirectory)
                         : recordingDirectory_;
  return in;
}

void AcquisitionController::SetRecordingDirectory(const QString& directory) {
  recordingDirectory_ = AbsoluteIn(state_.ProgramDirectory, directory);
}

QString AcquisitionController::Restart(int board) {
  return ApplyRestart(*pages_[board], RestartRun(state_.Boards[board], board), state_.KoreanUi);
}

void AcquisitionController::SetSampleInterval(int board, int position) {
  ApplySampleInterval(state_.Settings.boards[board], state_.Boards[board].frame, position);
}

void AcquisitionController::ApplyRecord(int board) {
  BoardRunState& run = state_.Boards[board];
  ApplyConversionSettings(run.conversion, state_.Settings.boards[board], run.frame.ModelKind);
}

void AcquisitionController::GatherAlarmLimits() {
  for (int b = 0; b < kBoardCount; ++b) {
    BoardSettings& record = state_.Settings.boards[b];
    const ChartPage& chart = *pages_[b];
    for (int k = 1; k <= kChannelCount; ++k) {
      double high = 0.0;
      double low = 0.0;
      if (ParseDecimal(chart.EdHigh[k]->text().toStdString(), high) &&
          ParseDecimal(chart.EdLow[k]->text().toStdString(), low) && low < high) {
        record.alarmHigh[k] = high;
        record.alarmLow[k] = low;
      }
    }
  }
}

}  // namespace tessar
