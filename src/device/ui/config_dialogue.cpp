#include "device/ui/config_dialogue.h"

#include "i18n/messages.h"
#include "device/port_names.h"
#include "common/ui/guarded.h"

namespace tessar {

ConfigDialogue::ConfigDialogue(SerialChannel& channel, QObject* parent)
    : QObject(parent), channel_(channel) {
  ownTimerC_.setObjectName("TimerC");
  ownTimerC_.setInterval(kReplyTimeoutMs);
  connect(&ownTimerC_, &QTimer::timeout, this, Guarded(&ownTimerC_, [this] { OnTimerC(); }));
  connect(&channel_, &SerialChannel::RxChar, this,
          Guarded(&channel_, [this](int count) { OnRxChar(count); }));
}

QString ConfigDialogue::Text(Msg message) const { return MessageText(message, koreanUi_); }

void ConfigDialogue::GetConfigure(int board, int itemIndex, const QString& itemText,
                                  SerialChannel* boardPort, const BoardSettings& record) {
  if (board < 0 || board >= kBoardCount) return;
  if (boardPort && boardPort->Connected()) boardPort->Close();
  if (channel_.Connected()) channel_.Close();
  if (itemIndex <= 0) {
    emit StatusMessage(Text(Msg::SelectPort));
    return;
  }
  configBoard_ = board;
  portNumber_ = PortNumberOfItem(itemIndex, itemText.toStdString());
  record_ = record;
  channel_.SetPort(itemText);
  if (!channel_.Open()) {
    channel_.Close();
    const QString suffix = Text(Msg::ConfigPortOpenFailed);
    emit StatusMessage(koreanUi_ ? itemText + suffix : suffix + itemText);
    return;
  }
  channel_.ClearBuffer(true, true);
  channel_.WriteStr(kConfigCommand);
  BeginDialogue();
}

void ConfigDialogue::UseReplyTimer(QTimer& timer) {
  ownTimerC_.stop();
  timerC_ = &timer;
}

void ConfigDialogue::BeginDialogue() {
  timerC_->start();
  active_[configBoard_] = true;
  emit DialogueRunning(true);
}

void ConfigDialogue::EndDialogue() {
  timerC_->stop();
  active_[configBoard_] = false;
  emit DialogueRunning(false);
}

void ConfigDialogue::OnTimerC() {
  timerC_->stop();
  if (active_[configBoard_]) emit MessageBox(Text(Msg::NoReply));
  EndDialogue();
}

void ConfigDialogue::OnRxChar(int) {
  // Outside a dialogue the characters stay unread until the channel is
  // closed by the next Get Configure.
  if (!active_[configBoard_]) return;
  const QByteArray text = channel_.ReadStr(static_cast<int>(channel_.InQueue()));
  for (char c : text) {
    if (!collector_.Feed(c)) continue;
    EndDialogue();
    const int board = configBoard_;
    if (recordOf_) record_ = recordOf_(board);
    const ConfigParseResult result = ParseConfigReply(collector_.ReplyText, board, portNumber_, record_);
    if (result.modelKind >= 0) emit ModelKindFound(board, result.modelKind);
    emit Parsed(board, result.outcome);
    if (result.outcome == ConfigOutcome::Ok) emit Configured(board, record_, result.outcome);
    emit MessageBox(Text(MessageIdOf(result.outcome)));
    // The dialogue is over: what follows the reply is not acted on.
    break;
  }
}

}  // namespace tessar
