#include "net/ui/data_server.h"

#include <QThread>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include "common/ui/guarded.h"
#include "net/net_message.h"
#include "net/ui/client_page.h"
#include "net/ui/net_log.h"

namespace tessar {

namespace {

QByteArray Bytes(const std::string& text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// A peer that vanished (power or network lost) never says goodbye, and the
// server writes only in reply: without probes its connection would hold a
// client slot for ever.
void EnableKeepAlive(QTcpSocket& socket, int idleSeconds, int intervalSeconds, int probes) {
  socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#if defined(Q_OS_UNIX) && defined(TCP_KEEPIDLE) && defined(TCP_KEEPINTVL) && defined(TCP_KEEPCNT)
  const int fd = static_cast<int>(socket.socketDescriptor());
  if (fd < 0) return;
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &intervalSeconds, sizeof intervalSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#else
  (void)idleSeconds;
  (void)intervalSeconds;
  (void)probes;
#endif
}

}  // namespace

DataServer::DataServer(ClientPage& page, FrameSource frames, RecordSource records, QObject* parent)
    : QObject(parent), page_(page), frames_(std::move(frames)), records_(std::move(records)) {
  for (int b = 0; b < kBoardCount; ++b) {
    auto* server = new QTcpServer(this);
    server->setObjectName(QStringLiteral("SS%1").arg(b + 1));
    connect(server, &QTcpServer::newConnection, this, Guarded(server, [this, b] { ClientConnect(b); }));
    servers_[static_cast<std::size_t>(b)] = server;
  }
  listenRetry_ = new QTimer(this);
  connect(listenRetry_, &QTimer::timeout, this, Guarded(listenRetry_, [this] { RetryListening(); }));
}

DataServer::~DataServer() {
  // the page may already be gone: nothing more is logged
  for (auto& connection : connections_) {
    if (connection->socket) connection->socket->disconnect(this);
  }
}

int DataServer::ConnectionCount() const {
  return static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                        [](const auto& c) { return !c->socket.isNull(); }));
}

void DataServer::OpenServers() {
  for (int b = 0; b < kBoardCount; ++b) Listen(b);
}

void DataServer::Listen(int board) {
  QTcpServer& server = Server(board);
  if (server.isListening()) return;
  const quint16 port = ports_[static_cast<std::size_t>(board)];
  bool& failing = listenFailing_[static_cast<std::size_t>(board)];
  if (!server.listen(QHostAddress::AnyIPv4, port)) {
    if (failing) return;  // told once; tried again quietly
    failing = true;
    LogEvent(FormatMessage(Msg::ListenFailed, koreanUi_, static_cast<int>(port),
                           qUtf8Printable(server.errorString())));
    emit StatusMessage(FormatMessage(net_text::kPortTaken, koreanUi_, board + 1,
                                     static_cast<int>(port), qUtf8Printable(server.errorString()),
                                     std::max(1, listenRetryMs_ / 1000)));
    if (!listenRetry_->isActive()) listenRetry_->start(listenRetryMs_);
    return;
  }
  const QString line = FormatMessage(Msg::Listening, koreanUi_,
                                     qUtf8Printable(server.serverAddress().toString()),
                                     static_cast<int>(server.serverPort()));
  LogEvent(line);
  if (failing) {
    failing = false;
    emit StatusMessage(FormatMessage(net_text::kPortFree, koreanUi_, board + 1,
                                     static_cast<int>(server.serverPort())));
  } else {
    emit StatusMessage(line);
  }
}

void DataServer::RetryListening() {
  bool stillFailing = false;
  for (int b = 0; b < kBoardCount; ++b) {
    if (!listenFailing_[static_cast<std::size_t>(b)]) continue;
    Listen(b);
    stillFailing = stillFailing || listenFailing_[static_cast<std::size_t>(b)];
  }
  if (!stillFailing) listenRetry_->stop();
}

void DataServer::LogEvent(const QString& text) { AppendNetLog(page_.MemoR, text, true); }

void DataServer::ClientConnect(int board) {
  QTcpServer& server = Server(board);
  while (QTcpSocket* socket = server.nextPendingConnection()) {
    socket->setParent(this);
    // what waits for a client stays small: the system's buffer as well as ours
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBacklogLimit);
    EnableKeepAlive(*socket, kKeepAliveIdleSeconds, kKeepAliveIntervalSeconds, kKeepAliveProbes);
    auto owned = std::make_unique<Connection>();
    Connection* connection = owned.get();
    connection->socket = socket;
    connection->board = board;
    connection->address = socket->peerAddress().toString();
    connection->port = socket->peerPort();
    connection->key = QStringLiteral("%1:%2").arg(connection->address).arg(connection->port);
    connections_.push_back(std::move(owned));
    connect(socket, &QTcpSocket::readyRead, this, Guarded(socket, [this, connection] { ClientRead(connection); }));
    connect(socket, &QTcpSocket::disconnected, this,
            Guarded(socket, [this, connection] { ClientDisconnect(connection); }));
    connect(socket, &QTcpSocket::errorOccurred, this,
            Guarded(socket, [this, connection](QAbstractSocket::SocketError e) { ClientError(connection, e); }));

    if (ListedCount() < kClientLimit) {
      clientList_.push_back(connection);
      AppendNetLog(page_.MemoC, connection->key);
      LogEvent(FormatMessage(Msg::ClientConnect, koreanUi_, qUtf8Printable(connection->address),
                             static_cast<int>(connection->port)));
    } else {
      // refused: told so, then closed once the notice has gone out
      connection->refused = true;
      socket->write(Bytes(ComposeClosedReply(kTooManyUsersText)));
      socket->disconnectFromHost();
    }
  }
}

// MemoC: one line per listed connection, in the order of the list.
void DataServer::ShowClientList() {
  QStringList lines;
  for (const Connection* connection : clientList_) lines << connection->key;
  page_.MemoC->setPlainText(lines.join(QLatin1Char('\n')));
}

void DataServer::Unlist(Connection* connection) {
  const auto listed = std::find(clientList_.begin(), clientList_.end(), connection);
  if (listed == clientList_.end()) return;  // a refused connection holds no line
  clientList_.erase(listed);
  ShowClientList();
}

// The connection is gone (or is made to go): out of the list, its socket
// deleted later.
void DataServer::Forget(Connection* connection, bool abortSocket) {
  clientList_.erase(std::remove(clientList_.begin(), clientList_.end(), connection),
                    clientList_.end());
  if (QTcpSocket* socket = connection->socket) {
    socket->disconnect(this);
    if (abortSocket) socket->abort();
    socket->deleteLater();
  }
  connection->socket = nullptr;
  connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                    [connection](const auto& c) { return c.get() == connection; }),
                     connections_.end());
}

void DataServer::ClientDisconnect(Connection* connection) {
  if (!connection->refused)
    LogEvent(FormatMessage(Msg::ClientDisconnect, koreanUi_, qUtf8Printable(connection->address),
                           static_cast<int>(connection->port)));
  Unlist(connection);
  Forget(connection, false);
}

void DataServer::ClientError(Connection* connection, QAbstractSocket::SocketError error) {
  // an orderly close by the peer: the disconnect event follows
  if (error == QAbstractSocket::RemoteHostClosedError) return;
  LogEvent(FormatMessage(Msg::ClientSocketError, koreanUi_, qUtf8Printable(connection->address),
                         static_cast<int>(connection->port), static_cast<int>(error)));
  LogAsynchronousSocketError(connection->socket, static_cast<int>(error));
  Unlist(connection);
  Forget(connection, true);
}

void DataServer::ClientRead(Connection* connection) {
  QTcpSocket* socket = connection->socket;
  if (!socket) return;
  // Everything waiting is taken now: Qt raises no new read event for bytes
  // left waiting, and more than one request at once is not answered.
  const QByteArray block = socket->readAll();
  const int board = connection->board;
  const ServerAnswer answer =
      AnswerRequest(std::string_view(block.constData(), static_cast<std::size_t>(block.size())),
                    frames_(board), records_(board));
  if (answer.kind == ServerAnswer::Kind::Discard) return;

  const QString& address = connection->address;
  const int port = connection->port;
  AppendNetLog(page_.MemoR, FormatMessage(Msg::ServerRequest, koreanUi_, board + 1,
                                          static_cast<unsigned>(answer.code),
                                          qUtf8Printable(address), port, answer.requestSize));
  if (answer.kind == ServerAnswer::Kind::Unknown) {
    AppendNetLog(page_.MemoR, FormatMessage(Msg::UnknownCode, koreanUi_));
    return;
  }
  const qint64 sent = socket->write(Bytes(answer.reply));
  // Handed to the system at once: a peer that sent its request together with
  // the end of its sending side is forgotten right after this handler, and
  // what still waited in the socket's buffer would be lost with it.
  socket->flush();
  AppendNetLog(page_.MemoS,
               FormatMessage(Msg::ServerSend, koreanUi_, board + 1,
                             static_cast<unsigned>(static_cast<std::uint8_t>(answer.reply[0])),
                             qUtf8Printable(address), port, static_cast<int>(sent)));
  if (socket->bytesToWrite() > kSendBacklogLimit) {
    // a client that never reads would make the backlog grow without end
    LogEvent(FormatMessage(Msg::ClientDropped, koreanUi_, qUtf8Printable(address), port));
    Unlist(connection);
    Forget(connection, true);
  }
}

void DataServer::NotifyAllClients(std::uint8_t code, const QByteArray& text) {
  const QByteArray message =
      Bytes(ComposeReply(code, std::string_view(text.constData(), static_cast<std::size_t>(text.size()))));
  // a snapshot: entries that go away meanwhile are skipped
  std::vector<QPointer<QTcpSocket>> snapshot;
  for (Connection* connection : clientList_) snapshot.push_back(connection->socket);
  for (const QPointer<QTcpSocket>& socket : snapshot) {
    if (socket && socket->state() == QAbstractSocket::ConnectedState) {
      socket->write(message);
      socket->flush();
    }
    if (pauseMs_ > 0) QThread::msleep(static_cast<unsigned long>(pauseMs_));
  }
}

void DataServer::StopServing() {
  NotifyAllClients(kClosedCode, QByteArray(kServerClosedText));
  CloseAll();
}

void DataServer::CloseAll() {
  listenRetry_->stop();
  listenFailing_ = {};
  page_.MemoC->clear();
  clientList_.clear();
  for (QTcpServer* server : servers_) {
    if (server->isListening()) server->close();
  }
  // the listeners' close leaves accepted connections open: close them too,
  // after what was written to them has gone out
  for (auto& connection : connections_) {
    if (QTcpSocket* socket = connection->socket) {
      socket->disconnect(this);
      socket->flush();
      socket->disconnectFromHost();
      connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
      if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
    }
  }
  connections_.clear();
}

}  // namespace tessar
