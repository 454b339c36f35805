#include "net/ui/data_client.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <cstring>

#include "acquisition/ui/chart_page.h"
#include "acquisition/ui/cycle_presenter.h"
#include "common/clock.h"
#include "common/ui/guarded.h"
#include "config/ui/config_page.h"
#include "i18n/text_codec.h"
#include "net/ui/client_page.h"
#include "net/ui/net_log.h"
#include "settings/client_settings.h"

namespace tessar {

DataClient::DataClient(ProgramState& state, const std::array<ConfigPage*, kBoardCount>& configPages,
                       const std::array<ChartPage*, kBoardCount>& chartPages,
                       ClientPage& clientPage, Hooks hooks, QObject* parent)
    : QObject(parent),
      state_(state),
      configPages_(configPages),
      chartPages_(chartPages),
      clientPage_(clientPage),
      hooks_(std::move(hooks)) {
  for (int b = 0; b < kBoardCount; ++b) {
    auto* socket = new QTcpSocket(this);
    socket->setObjectName(QStringLiteral("CS%1").arg(b + 1));
    sockets_[static_cast<std::size_t>(b)] = socket;
    connect(socket, &QTcpSocket::connected, this, Guarded(socket, [this, b] { CS1Connect(b); }));
    connect(socket, &QTcpSocket::disconnected, this, Guarded(socket, [this, b] { CS1Disconnect(b); }));
    connect(socket, &QTcpSocket::errorOccurred, this,
            Guarded(socket, [this, b](QAbstractSocket::SocketError e) { CS1Error(b, e); }));
    connect(socket, &QTcpSocket::readyRead, this, Guarded(socket, [this, b] { CS1Read(b); }));

    ConfigPage& page = *configPages_[static_cast<std::size_t>(b)];
    // an address must fit its 25-byte field in the settings file
    page.CBAddr->lineEdit()->setMaxLength(static_cast<int>(kServerAddressSize) - 1);
    connect(page.BtConnect, &QPushButton::clicked, this, Guarded(page.BtConnect, [this, b] { BtConnect1Click(b); }));
    connect(page.BtC, &QPushButton::clicked, this, Guarded(page.BtC, [this, b] { BtC1Click(b); }));
    connect(page.UDPort, &QSpinBox::valueChanged, this, Guarded(page.UDPort, [this, b] { UDPort1Click(b); }));

    auto* retry = new QTimer(this);
    retry->setSingleShot(true);
    connect(retry, &QTimer::timeout, this, Guarded(retry, [this, b] { Reconnect(b); }));
    boards_[static_cast<std::size_t>(b)].retry = retry;
  }
}

DataClient::~DataClient() {
  for (QTcpSocket* socket : sockets_) socket->disconnect(this);
}

QString DataClient::Text(Msg id) const { return MessageText(id, state_.KoreanUi); }

void DataClient::Status(Msg id, int board) {
  // an attempt of the reconnection says nothing until data comes
  if (boards_[static_cast<std::size_t>(board)].quiet) return;
  emit StatusMessage(FormatMessage(id, state_.KoreanUi, board + 1));
}

void DataClient::SetRemoteBoard(int board, int remote) {
  remoteBoard_[static_cast<std::size_t>(board)] = remote;
  configPages_[static_cast<std::size_t>(board)]->UDPort->setValue(remote + 1);
}

void DataClient::SetPollInterval(int board, int seconds) {
  pollInterval_[static_cast<std::size_t>(board)] = seconds;
  state_.Boards[static_cast<std::size_t>(board)].frame.RecordCountdown = seconds;
}

void DataClient::ShowSettings() {
  const std::vector<std::string> addresses = OfferedServerAddresses(settings_);
  for (int b = 0; b < kBoardCount; ++b) {
    ConfigPage& page = *configPages_[static_cast<std::size_t>(b)];
    const std::int32_t interval = PollIntervalOf(settings_, b);
    page.UDInt->setValue(interval);
    SetPollInterval(b, interval);
    SetRemoteBoard(b, RemoteBoardOf(settings_, b));
    page.CBAddr->clear();
    for (const std::string& address : addresses)
      page.CBAddr->addItem(FromCp949(address));
    page.CBAddr->setCurrentIndex(page.CBAddr->count() > 0 ? 0 : -1);
  }
}

void DataClient::GatherSettings() {
  for (int b = 0; b < kBoardCount; ++b) {
    settings_.remoteBoard[b] = RemoteBoard(b);
    settings_.pollInterval[b] = PollInterval(b);
  }
  const QComboBox& list = *configPages_[0]->CBAddr;
  std::vector<std::string> addresses;
  for (int i = 0; i < list.count(); ++i) addresses.push_back(ToCp949(list.itemText(i)).toStdString());
  StoreServerAddresses(settings_, addresses);
}

void DataClient::UDPort1Click(int board) {
  remoteBoard_[static_cast<std::size_t>(board)] =
      configPages_[static_cast<std::size_t>(board)]->UDPort->value() - 1;
}

void DataClient::BtConnect1Click(int board) {
  QTcpSocket& socket = Socket(board);
  if (socket.state() == QAbstractSocket::ConnectedState) {
    socket.disconnectFromHost();  // the disconnect event follows
    return;
  }
  if (socket.state() != QAbstractSocket::UnconnectedState) {
    // still looking up or connecting: given up, no event follows
    socket.abort();
    boards_[static_cast<std::size_t>(board)].attempting = false;
    ButtonsIdle(board);
    return;
  }
  QComboBox& list = *configPages_[static_cast<std::size_t>(board)]->CBAddr;
  const QString address = list.currentText().trimmed();
  if (address.isEmpty()) {
    emit StatusMessage(Text(Msg::InputServerAddress));
    return;
  }
  if (list.findText(address, Qt::MatchExactly) < 0) list.insertItem(0, address);
  list.setCurrentIndex(list.findText(address, Qt::MatchExactly));
  const int remote = RemoteBoard(board);
  const quint16 port = serverPorts_[static_cast<std::size_t>(remote >= 0 && remote < kBoardCount ? remote : board)];
  BoardLink& link = boards_[static_cast<std::size_t>(board)];
  link.attempting = true;
  link.gotData = false;
  link.reason.clear();
  link.address = address;
  link.port = port;
  socket.connectToHost(address, port);
  if (socket.state() == QAbstractSocket::UnconnectedState) {
    const QString line = FormatMessage(Msg::FailedOpening, state_.KoreanUi,
                                       qUtf8Printable(address), static_cast<int>(port));
    AppendNetLog(clientPage_.MemoR, line);
    if (link.attempting && link.reason.isEmpty()) link.reason = line;
    AttemptEnded(board);
  }
}

void DataClient::CS1Connect(int board) {
  BoardRunState& run = state_.Boards[static_cast<std::size_t>(board)];
  // a new run on the server's data; the poll countdown is the poll's own
  const std::int32_t countdown = run.frame.RecordCountdown;
  ApplyRestart(*chartPages_[static_cast<std::size_t>(board)], RestartRun(run, board), state_.KoreanUi);
  run.frame.RecordCountdown = countdown;

  BoardLink& link = boards_[static_cast<std::size_t>(board)];
  link.settingsReceived = false;
  link.clientStopped = false;
  link.assembler.Clear();
  link.dataRequests = 0;
  link.unrequestedLogged = false;
  AppendNetLog(clientPage_.MemoC, Socket(board).peerName());
  SendRequest(board, kSettingsCode, true);

  ConfigPage& page = *configPages_[static_cast<std::size_t>(board)];
  page.BtConnect->setText(Text(Msg::DisconnectCaption));
  Status(Msg::ConnectedToServer, board);
  page.BtC->setEnabled(true);
}

void DataClient::ButtonsIdle(int board) {
  ConfigPage& page = *configPages_[static_cast<std::size_t>(board)];
  page.BtConnect->setText(Text(Msg::ConnectCaption));
  page.BtC->setEnabled(false);
}

void DataClient::CS1Disconnect(int board) {
  boards_[static_cast<std::size_t>(board)].assembler.Clear();
  ButtonsIdle(board);
  Status(Msg::DisconnectedFromServer, board);
  AttemptEnded(board);
}

void DataClient::CS1Error(int board, QAbstractSocket::SocketError error) {
  BoardLink& link = boards_[static_cast<std::size_t>(board)];
  if (link.reason.isEmpty()) link.reason = Socket(board).errorString();
  // an orderly close by the server: the disconnect event follows
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  ButtonsIdle(board);
  Status(Msg::ConnectionError, board);
  LogAsynchronousSocketError(&Socket(board), static_cast<int>(error));
  AttemptEnded(board);
}

// The end of a connection or of an attempt at one (seen once however many
// events report it): the unattended viewer plans the next attempt.
void DataClient::AttemptEnded(int board) {
  BoardLink& link = boards_[static_cast<std::size_t>(board)];
  if (!link.attempting) return;
  link.attempting = false;
  if (reconnectFirstMs_ <= 0) return;
  link.refusals = link.gotData ? 0 : link.refusals + 1;
  if (link.refusals >= 2 && !link.hopeless) {
    link.hopeless = true;
    emit StatusMessage(FormatMessage(net_text::kNoHope, state_.KoreanUi, board + 1,
                                     qUtf8Printable(link.address), static_cast<int>(link.port),
                                     qUtf8Printable(link.reason), reconnectLongestMs_ / 1000));
  }
  link.retry->start(ReconnectDelayMs(link.refusals, reconnectFirstMs_, reconnectLongestMs_));
}

void DataClient::Reconnect(int board) {
  if (reconnectFirstMs_ <= 0 || Socket(board).state() != QAbstractSocket::UnconnectedState) return;
  boards_[static_cast<std::size_t>(board)].quiet = true;
  BtConnect1Click(board);
}

int DataClient::ReconnectDelayMs(int refusals, int firstMs, int longestMs) {
  qint64 delay = firstMs;
  for (int i = 1; i < refusals && delay < longestMs; ++i) delay *= 2;
  return static_cast<int>(std::min<qint64>(delay, std::max(firstMs, longestMs)));
}

void DataClient::SendRequest(int board, std::uint8_t code, bool upperHex) {
  const std::string request = ComposeRequest(code);
  if (code == kDataCode) ++boards_[static_cast<std::size_t>(board)].dataRequests;
  Socket(board).write(request.data(), static_cast<qint64>(request.size()));
  AppendNetLog(clientPage_.MemoS,
               QString::asprintf(upperHex ? "[DAQ%d] Request:[%02X]" : "[DAQ%d] Request:[%02x]",
                                 board + 1, static_cast<unsigned>(code)));
}

void DataClient::Poll(int board) {
  if (Socket(board).state() != QAbstractSocket::ConnectedState) return;
  const BoardLink& link = boards_[static_cast<std::size_t>(board)];
  if (link.clientStopped) return;
  SendRequest(board, link.settingsReceived ? kDataCode : kSettingsCode, false);
}

void DataClient::BtC1Click(int board) {
  if (Socket(board).state() != QAbstractSocket::ConnectedState) return;
  SendRequest(board, kSettingsCode, false);
}

void DataClient::Timer2Timer() {
  for (BoardRunState& board : state_.Boards) --board.frame.RecordCountdown;
  if (AcquisitionHold) return;
  for (int b = 0; b < kBoardCount; ++b) {
    std::int32_t& countdown = state_.Boards[static_cast<std::size_t>(b)].frame.RecordCountdown;
    if (countdown > 0) continue;
    Poll(b);
    countdown = PollInterval(b);
  }
}

void DataClient::ConnectAll() {
  for (int b = 0; b < kBoardCount; ++b) {
    if (Socket(b).state() != QAbstractSocket::UnconnectedState) continue;
    boards_[static_cast<std::size_t>(b)].quiet = false;
    BtConnect1Click(b);
  }
}

void DataClient::SetReconnectInterval(int firstMs, int longestMs) {
  reconnectFirstMs_ = firstMs;
  reconnectLongestMs_ = longestMs;
  if (firstMs > 0) return;
  for (BoardLink& link : boards_) link.retry->stop();
}

void DataClient::CloseAll() {
  SetReconnectInterval(0);
  for (QTcpSocket* socket : sockets_) {
    if (socket->state() != QAbstractSocket::UnconnectedState) socket->abort();
  }
}

void DataClient::CS1Read(int board) {
  QTcpSocket& socket = Socket(board);
  const QByteArray bytes = socket.readAll();
  BoardLink& link = boards_[static_cast<std::size_t>(board)];
  std::vector<ReplyAssembler::Event> events;
  link.assembler.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      events);
  for (const ReplyAssembler::Event& event : events) {
    HandleReply(board, event);
    // after 0xC0 or 0xF0 the connection is closed: nothing more is read from it
    if (link.clientStopped) break;
  }
}

void DataClient::HandleReply(int board, const ReplyAssembler::Event& event) {
  const ReceivedMessage& message = event.message;
  QPlainTextEdit* memoR = clientPage_.MemoR;
  const auto b = static_cast<std::size_t>(board);
  BoardLink& link = boards_[b];
  if (!event.dropped && message.code == kDataCode) {
    // one frame per request: a server that sends more (unasked, or several
    // answers to one poll) must not invent records
    if (link.dataRequests == 0) {
      if (!link.unrequestedLogged) {
        link.unrequestedLogged = true;
        const QString line = FormatMessage(net_text::kUnrequested, state_.KoreanUi, board + 1,
                                           qUtf8Printable(link.address), static_cast<int>(link.port));
        AppendNetLog(memoR, line);
        AppendErrorLog(ProgramErrorLog(), Now(), ClassNameOf(&Socket(board)), line);
      }
      return;
    }
    --link.dataRequests;
  }
  AppendNetLog(memoR, QString::asprintf("[DAQ%d] Received:[%02x] %d bytes", board + 1,
                                        static_cast<unsigned>(message.code), message.size));
  if (event.dropped) {
    AppendNetLog(memoR, Text(Msg::TooManyData));
    return;
  }
  BoardRunState& run = state_.Boards[b];
  switch (message.code) {
    case kDataCode: {
      if (!link.gotData) {
        link.gotData = true;
        link.refusals = 0;
        link.hopeless = false;
        if (link.quiet) {  // the reconnection's attempt delivers: now it is told
          link.quiet = false;
          Status(Msg::ConnectedToServer, board);
        }
      }
      // as serial frames are dropped while an operation holds acquisition
      if (AcquisitionHold) return;
      CopyFramePayload(message.record, run.frame.FrameText);
      CycleInputs inputs = hooks_.cycleInputs(board);
      inputs.recordEveryFrame = true;
      const CycleOutcome outcome = RunCycle(run, run.frame.FrameText, Now(), inputs);
      hooks_.applyOutcome(board, outcome);
      CapNetworkLogs(outcome, memoR, clientPage_.MemoS);
      break;
    }
    case kSettingsCode:
      link.settingsReceived = true;
      std::memcpy(&state_.Settings.boards[b], message.record.payload, sizeof(BoardSettings));
      hooks_.applyRecord(board);
      run.run.HeaderDirty = true;
      if (!link.quiet) emit StatusMessage(Text(Msg::DialogueOk));
      break;
    case kClosedCode:
    case kPausedCode:
      if (message.code == kPausedCode && link.dataRequests > 0) --link.dataRequests;
      link.reason = message.code == kPausedCode
                        ? Text(Msg::TessarPaused)
                        : QString::fromLatin1(reinterpret_cast<const char*>(message.record.payload),
                                              std::clamp(message.size - kNetHeaderSize, 0, 40));
      link.clientStopped = true;
      AppendNetLog(memoR, Text(message.code == kClosedCode ? Msg::TessarTerminated : Msg::TessarPaused));
      Socket(board).disconnectFromHost();
      break;
    default:
      AppendNetLog(memoR, Text(Msg::UnknownResponse));
      break;
  }
}

}  // namespace tessar
