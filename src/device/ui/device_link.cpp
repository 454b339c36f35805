#include "device/ui/device_link.h"

#include "common/ui/guarded.h"
#include "device/port_names.h"
#include "device/ui/board_link.h"
#include "device/ui/journal.h"
#include "i18n/messages.h"
#include "i18n/text_codec.h"

namespace tessar {

DeviceLink::DeviceLink(const QString& portsFolder, std::function<FrameState&(int)> frameOf,
                       QObject* parent)
    : QObject(parent), frameOf_(std::move(frameOf)) {
  for (int b = 0; b < kBoardCount; ++b) {
    auto port = std::make_unique<SerialChannel>(QString("ComPort%1").arg(b + 1), this);
    port->SetPortsFolder(portsFolder);
    SerialChannel* raw = port.get();
    connect(raw, &SerialChannel::AfterOpen, this, Guarded(raw, [this, raw, b] {
              const QString text = OnBoardPortOpened(*raw, koreanUi_);
              Watched& w = watched_[static_cast<std::size_t>(b)];
              ResetSilence(w.health);
              // the line of a port that is back; the start's are status lines only
              if (w.reopening) JournalAlongsideStatus(text);
              emit StatusMessage(text);
            }));
    connect(raw, &SerialChannel::RxChar, this, Guarded(raw, [this, b] {
              Report(b, BytesHeard(watched_[static_cast<std::size_t>(b)].health));
            }));
    connect(raw, &SerialChannel::RxFlag, this, Guarded(raw, [this, b] { OnFrameEvent(b); }));
    connect(raw, &SerialChannel::Lost, this,
            Guarded(raw, [this, b](const QString& reason) { OnLost(b, reason); }));
    boardPorts_[static_cast<std::size_t>(b)] = std::move(port);
  }
  configPort_ = std::make_unique<SerialChannel>("ComPort5", this);
  configPort_->SetPortsFolder(portsFolder);
  dialogue_ = std::make_unique<ConfigDialogue>(*configPort_, this);
  connect(dialogue_.get(), &ConfigDialogue::StatusMessage, this, &DeviceLink::StatusMessage);
  connect(dialogue_.get(), &ConfigDialogue::MessageBox, this, &DeviceLink::MessageBox);
  watch_.setInterval(kWatchTickMs);
  connect(&watch_, &QTimer::timeout, this, Guarded(&watch_, [this] { WatchTick(); }));
}

DeviceLink::~DeviceLink() {
  watch_.stop();
  dialogue_.reset();
  configPort_.reset();
  for (auto& port : boardPorts_) port.reset();
}

void DeviceLink::SetKoreanUi(bool korean) {
  koreanUi_ = korean;
  dialogue_->SetKoreanUi(korean);
}

int DeviceLink::OpenBoardPorts(const SettingsImage& settings) {
  int failures = 0;
  for (int b = 0; b < kBoardCount; ++b) {
    const int number = settings.boards[b].portNumber;
    if (number < 1) continue;
    Watched& w = watched_[static_cast<std::size_t>(b)];
    w = Watched{};
    w.portNumber = number;
    w.model = ReadField(settings.boards[b].modelName).trimmed();
    if (OpenBoardPort(BoardPort(b), number)) continue;
    ++failures;
    const QString advice = BoardPort(b).AccessAdvice();
    if (!advice.isEmpty()) emit PortAccessDenied(b, advice);
    const QString failed = MessageText(Msg::PortOpenFailed, koreanUi_);
    WriteJournalLine(QStringLiteral("Board %1: %2 %3 (%4); trying it again every %5 s")
                         .arg(QChar('A' + b))
                         .arg(failed, BoardPort(b).Port(), BoardPort(b).ErrorString())
                         .arg(kRetryTicks * watch_.interval() / 1000.0));
    // without a window the line above is the message
    if (!StatusBarJournaled) emit MessageBox(failed);
  }
  watch_.start();
  return failures;
}

void DeviceLink::ReleaseBoardPort(int board) {
  watched_[static_cast<std::size_t>(board)] = Watched{};
}

void DeviceLink::SwitchOutputsOffAndClose(const std::array<int, kBoardCount>& modelKinds) {
  watch_.stop();
  for (Watched& w : watched_) w = Watched{};
  for (int b = 0; b < kBoardCount; ++b) SwitchOutputsOff(BoardPort(b), modelKinds[static_cast<std::size_t>(b)]);
  for (auto& port : boardPorts_) port->Close();
  configPort_->Close();
}

void DeviceLink::WatchTick() {
  ++watchTicks_;
  for (int b = 0; b < kBoardCount; ++b) {
    Watched& w = watched_[static_cast<std::size_t>(b)];
    if (w.portNumber < 1) continue;
    SerialChannel& port = BoardPort(b);
    if (port.Connected()) {
      w.closedTicks = 0;
      Report(b, QuietTick(w.health));
      continue;
    }
    if (++w.closedTicks % kRetryTicks != 0) continue;
    w.reopening = true;
    OpenBoardPort(port, w.portNumber);  // a failure is quiet: the loss was reported
    w.reopening = false;
  }
}

void DeviceLink::OnFrameEvent(int board) {
  QByteArray read;
  FrameState& frame = frameOf_(board);
  const FrameDecision decision = OnBoardFrameEvent(BoardPort(board), frame, &read);
  Watched& w = watched_[static_cast<std::size_t>(board)];
  if (w.portNumber >= 1) {
    Report(board, LineHeard(w.health, std::string_view(read.constData(), read.size()),
                             decision == FrameDecision::Accepted, frame.FrameLength));
  }
  if (decision == FrameDecision::Accepted) emit FrameAccepted(board);
}

void DeviceLink::OnLost(int board, const QString& reason) {
  Watched& w = watched_[static_cast<std::size_t>(board)];
  if (w.portNumber < 1) return;
  w.closedTicks = 0;
  ResetSilence(w.health);
  Notice(QStringLiteral("%1 lost (%2); trying it again every %3 s")
             .arg(BoardAndPort(board), reason)
             .arg(kRetryTicks * watch_.interval() / 1000.0));
}

void DeviceLink::Report(int board, WatchChange change) {
  const Watched& w = watched_[static_cast<std::size_t>(board)];
  if (w.portNumber < 1) return;
  const QString who = BoardAndPort(board);
  switch (change) {
    case WatchChange::None:
      return;
    case WatchChange::FellSilent:
      Notice(QStringLiteral("%1 has sent nothing for %2 s")
                 .arg(who)
                 .arg(kSilentTicks * watch_.interval() / 1000.0));
      return;
    case WatchChange::SendsAgain:
      Notice(who + QStringLiteral(" sends again"));
      return;
    case WatchChange::Misfit:
      Notice(QStringLiteral("%1 sends lines of %2 bytes, but its model %3 takes frames of %4: "
                            "nothing is recorded")
                 .arg(who)
                 .arg(w.health.lineLength)
                 .arg(w.model.isEmpty() ? QStringLiteral("(none)") : w.model)
                 .arg(frameOf_(board).FrameLength));
      return;
    case WatchChange::FitsAgain:
      Notice(QStringLiteral("%1 sends frames of %2 bytes again, as its model %3 takes")
                 .arg(who)
                 .arg(frameOf_(board).FrameLength)
                 .arg(w.model));
      return;
  }
}

void DeviceLink::Notice(const QString& text) {
  JournalAlongsideStatus(text);
  emit StatusMessage(text);
}

QString DeviceLink::BoardAndPort(int board) const {
  return QStringLiteral("Board %1: %2")
      .arg(QChar('A' + board))
      .arg(QString::fromStdString(ComName(watched_[static_cast<std::size_t>(board)].portNumber)));
}

}  // namespace tessar
