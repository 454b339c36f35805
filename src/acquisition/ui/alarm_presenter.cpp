#include "acquisition/ui/alarm_presenter.h"

#include <QColor>
#include <QPalette>

#include "acquisition/ui/alarm_sound.h"
#include "acquisition/ui/chart_page.h"
#include "common/date_time.h"
#include "common/number_text.h"
#include "device/ui/journal.h"
#include "device/ui/serial_channel.h"

namespace tessar {
namespace {

// Repaints a value box only when its colour changes: a style sheet set anew
// restyles the box, and the check runs every second on 32 of them.
void PaintValueBox(QLineEdit* box, QRgb rgb) {
  static constexpr char kColourProperty[] = "tessarAlarmColour";
  const QVariant current = box->property(kColourProperty);
  if (current.isValid() ? current.toUInt() == rgb : rgb == kValueBoxColor) return;
  box->setProperty(kColourProperty, static_cast<uint>(rgb));
  box->setStyleSheet(QStringLiteral("background: %1;").arg(QColor(rgb).name()));
}

}  // namespace

void ApplyAlarmDisplay(ChartPage& page, const AlarmOutcome& alarm) {
  for (int k = 1; k <= kChannelCount; ++k) {
    PaintValueBox(page.EdValue[k], alarm.inAlarm[k] ? kValueBoxAlarmColor : kValueBoxColor);
  }
  if (alarm.AlarmCount == 0) {
    page.SetChartBackground(QColor(kChartBackground));
    return;
  }
  QPalette palette = page.Memo->palette();
  palette.setColor(QPalette::Text, Qt::red);
  page.Memo->setPalette(palette);
  if (alarm.memoAlarmLine) page.Memo->appendPlainText(QStringLiteral("Alarm"));
  page.SetChartBackground(QColor(kChartAlarmBackground));
}

AlarmController::AlarmController(int board, ChartPage& page, RelayBoxes boxes,
                                 ProgramState& state, SerialChannel* port, AlarmSound& sound,
                                 QStatusBar* statusBar, QPlainTextEdit* memoS, QObject* parent)
    : QObject(parent),
      board_(board),
      page_(page),
      boxes_(boxes),
      state_(state),
      port_(port),
      sound_(sound),
      statusBar_(statusBar),
      memoS_(memoS) {
  for (int k = 1; k <= kChannelCount; ++k) {
    connect(page.EdHigh[k], &QLineEdit::returnPressed, this, [this, k] { EdHighA1KeyUp(k); });
    connect(page.EdLow[k], &QLineEdit::returnPressed, this, [this, k] { EdLowA1KeyUp(k); });
    connect(page.ChkAl[k], &QCheckBox::toggled, this, [this, k] { ChkAlA1Click(k); });
  }
  if (boxes_.interlock) connect(boxes_.interlock, &QCheckBox::toggled, this, &AlarmController::ChkR1Click);
  for (int o = 0; o < kManualRelayBoxes; ++o) {
    if (boxes_.manual[o])
      connect(boxes_.manual[o], &QCheckBox::toggled, this, [this, o] { ChkDOA1Click(o); });
  }
}

int AlarmController::ModelKind() const { return state_.Boards[board_].frame.ModelKind; }

AlarmInputs AlarmController::Inputs() const {
  AlarmInputs in;
  in.interlock = boxes_.interlock && boxes_.interlock->isChecked();
  in.koreanUi = state_.KoreanUi;
  return in;
}

void AlarmController::ApplyCycle(const CycleOutcome& outcome) {
  if (!outcome.processed) return;
  const AlarmOutcome& alarm = outcome.alarm;
  if (alarm.eventFileFailure && memoS_) {
    memoS_->appendPlainText(QString::fromStdString(*alarm.eventFileFailure));
  }
  JournalAlarmChanges(outcome);
  // Where the status bar is the journal, an alarm's every second would flood
  // it: the lines above tell its start and end; an event file that cannot be
  // written is told when it starts failing.
  const bool eventFileFailed = alarm.eventFileFailure.has_value();
  const bool show = !StatusBarJournaled || (eventFileFailed && !eventFileFailing_);
  eventFileFailing_ = eventFileFailed;
  if (show && !alarm.statusText.empty())
    statusBar_->showMessage(QString::fromStdString(alarm.statusText));
  if (alarm.AlarmCount > 0) sound_.Play();
  if (alarm.relayCommand) Send(*alarm.relayCommand);
}

void AlarmController::JournalAlarmChanges(const CycleOutcome& outcome) {
  const AlarmOutcome& alarm = outcome.alarm;
  // the messages of the channels in alarm, in channel order
  const QStringList messages = QString::fromStdString(alarm.AlarmText)
                                   .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  qsizetype next = 0;
  for (int k = 1; k <= kChannelCount; ++k) {
    const bool inAlarm = alarm.inAlarm[k];
    const QString message = inAlarm && next < messages.size() ? messages[next++].trimmed() : QString();
    if (inAlarm == journaled_[k]) continue;
    journaled_[k] = inAlarm;
    const QString line = inAlarm ? message : AlarmEndText(board_, k, outcome, state_.KoreanUi);
    if (StatusBarJournaled) {
      statusBar_->showMessage(line);
    } else {
      WriteJournalLine(line);
    }
  }
}

QString AlarmEndText(int board, int channel, const CycleOutcome& outcome, bool koreanUi) {
  return QStringLiteral("[%1] %2 CH%3 %4(%5)")
      .arg(board + 1)
      .arg(QString::fromStdString(FormatDateTime(outcome.now)))
      .arg(channel)
      .arg(koreanUi ? QStringLiteral("알람 해제") : QStringLiteral("alarm ended "))
      .arg(QString::fromStdString(FormatFixed(outcome.values[channel], 0, 3)));
}

void AlarmController::Send(const std::string& command) {
  if (port_ && port_->Connected()) port_->WriteStr(QByteArray::fromStdString(command));
}

// --- limit edits and alarm switches ------------------------------------------

void AlarmController::LimitKeyUp(int channel, bool high) {
  if (!state_.UiReady) return;
  const std::array<QLineEdit*, 9>& family = high ? page_.EdHigh : page_.EdLow;
  QLineEdit* box = family[channel];
  BoardSettings& settings = state_.Settings.boards[board_];
  const std::string text = box->text().toStdString();
  const LimitEditOutcome outcome =
      high ? EditHighLimit(settings, board_, channel, text, state_.KoreanUi)
           : EditLowLimit(settings, board_, channel, text, state_.KoreanUi);
  if (!outcome.handled) return;
  statusBar_->clearMessage();
  if (!outcome.accepted) box->setText(QString::fromStdString(outcome.boxText));
  statusBar_->showMessage(QString::fromStdString(outcome.statusText));
  if (outcome.focusChannel > 0 && family[outcome.focusChannel]->isEnabled())
    family[outcome.focusChannel]->setFocus();
}

void AlarmController::EdHighA1KeyUp(int channel) { LimitKeyUp(channel, true); }

void AlarmController::EdLowA1KeyUp(int channel) { LimitKeyUp(channel, false); }

void AlarmController::ChkAlA1Click(int channel) {
  if (!state_.UiReady) return;
  state_.Settings.boards[board_].alarmEnabled[channel] = page_.ChkAl[channel]->isChecked() ? 1 : 0;
}

// --- relay boxes ---------------------------------------------------------------

void AlarmController::ApplyRelayBoxes(const RelayBoxOutcome& outcome) {
  if (outcome.interlockEnabled && boxes_.interlock)
    boxes_.interlock->setEnabled(*outcome.interlockEnabled);
  for (int o = 0; o < kManualRelayBoxes; ++o) {
    if (outcome.manualEnabled[o] && boxes_.manual[o])
      boxes_.manual[o]->setEnabled(*outcome.manualEnabled[o]);
  }
  if (outcome.command) Send(*outcome.command);
}

void AlarmController::ChkR1Click() {
  ApplyRelayBoxes(InterlockChanged(state_.Boards[board_].relays, ModelKind(),
                                   boxes_.interlock->isChecked()));
}

void AlarmController::ChkDOA1Click(int box) {
  ApplyRelayBoxes(ManualRelayChanged(state_.Boards[board_].relays, ModelKind(), box,
                                     boxes_.manual[box]->isChecked(), Inputs().interlock));
}

}  // namespace tessar
