// The "Get Configure" dialogue: on the configuration channel (ComPort5) it
// asks the device of a board's selected port for its configuration ("DC\r"),
// collects the reply, parses it into the board's record and reports the
// outcome. TimerC (5 s) ends a dialogue that gets no reply.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>

#include "device/device_protocol.h"
#include "device/ui/serial_channel.h"
#include "settings/board_settings.h"

namespace tessar {

class ConfigDialogue : public QObject {
  Q_OBJECT

 public:
  static constexpr int kReplyTimeoutMs = 5000;

  // `channel` is the configuration channel; it must outlive the dialogue.
  explicit ConfigDialogue(SerialChannel& channel, QObject* parent = nullptr);

  void SetKoreanUi(bool korean) { koreanUi_ = korean; }

  // Get Configure of board `board` (BtnGet1Click): `boardPort` is the board's
  // own port (closed first; may be null), `itemIndex`/`itemText` the selection
  // of its port choice list, `record` its current configuration record.
  void GetConfigure(int board, int itemIndex, const QString& itemText, SerialChannel* boardPort,
                    const BoardSettings& record);

  // TimerC's time-out; public so that tests need not wait five seconds.
  void OnTimerC();

  // Runs the dialogue on the window's TimerC instead of its own timer: the
  // dialogue starts and stops `timer`, and the owner's handler of its
  // time-out calls OnTimerC.
  void UseReplyTimer(QTimer& timer);

  // Where the boards' records live: a reply is then parsed onto the board's
  // record as it is when the reply arrives (edits made while the dialogue
  // waited are kept), not onto the copy taken when it began.
  void SetRecordSource(std::function<const BoardSettings&(int board)> recordOf) {
    recordOf_ = std::move(recordOf);
  }

  bool Waiting() const { return active_[configBoard_]; }
  int ConfigBoard() const { return configBoard_; }
  QTimer& TimerC() { return *timerC_; }
  const ReplyCollector& Collector() const { return collector_; }

 signals:
  // Status-bar text ("Select your communication port.", "Can not open...").
  void StatusMessage(const QString& text);
  // Message-box text (the parse outcome, the time-out).
  void MessageBox(const QString& text);
  // True when a dialogue starts (disable BtnGet1..4), false when it ends.
  void DialogueRunning(bool running);
  // The reply named a known model: the board's ModelKind becomes `kind` at
  // once, also when a later step of the parse fails.
  void ModelKindFound(int board, int kind);
  // The reply was sound: `record` is the board's new configuration record
  // (store it and refresh the configuration page).
  void Configured(int board, const tessar::BoardSettings& record, tessar::ConfigOutcome outcome);
  // Every parse, whatever its outcome.
  void Parsed(int board, tessar::ConfigOutcome outcome);

 private:
  void OnRxChar(int count);
  void BeginDialogue();
  void EndDialogue();
  QString Text(Msg message) const;

  SerialChannel& channel_;
  QTimer ownTimerC_;
  QTimer* timerC_ = &ownTimerC_;
  ReplyCollector collector_;
  std::array<bool, kBoardCount> active_{};
  int configBoard_ = 0;
  int portNumber_ = 0;
  BoardSettings record_{};
  std::function<const BoardSettings&(int)> recordOf_;
  bool koreanUi_ = true;
};

}  // namespace tessar
