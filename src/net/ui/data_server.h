// The logger's data servers SS1..SS4: board b is served on port 7996 + b.
// They answer the viewers' requests from the board's latest served frame and
// its settings record, keep one list of listed clients for all four (at most
// 15, mirrored line by line in MemoC) and log to the network page: events
// and requests in MemoR, replies in MemoS.
//
// Every accepted connection is kept, listed or not, so that stopping the
// service closes them all. The list holds connections, not their text: two
// live connections from one address and port (a machine connecting to two
// boards from the same local port) are two entries and two equal lines. A
// connection that does not read its replies is dropped once more than
// kSendBacklogLimit bytes wait to be sent to it; one whose peer vanished
// without a word is ended by TCP keepalive (probes after a minute of
// silence, ten seconds apart, six unanswered end it).
//
// A port that cannot be opened (taken by another program) is tried again
// every few seconds; the board, the port and the reason go to the status
// line when that begins, and again when the port opens.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "device/frame_state.h"
#include "settings/board_settings.h"

namespace tessar {

class ClientPage;

class DataServer : public QObject {
  Q_OBJECT
 public:
  static constexpr int kClientLimit = 15;
  static constexpr qint64 kSendBacklogLimit = 64 * 1024;
  static constexpr int kKeepAliveIdleSeconds = 60;
  static constexpr int kKeepAliveIntervalSeconds = 10;
  static constexpr int kKeepAliveProbes = 6;
  static constexpr int kListenRetryMs = 5000;

  using FrameSource = std::function<const FrameState&(int board)>;
  using RecordSource = std::function<const BoardSettings&(int board)>;

  DataServer(ClientPage& page, FrameSource frames, RecordSource records,
             QObject* parent = nullptr);
  ~DataServer() override;

  void SetKoreanUi(bool korean) { koreanUi_ = korean; }
  // The ports of SS1..SS4 (7996..7999); 0 lets the system choose (tests).
  void SetPorts(const std::array<quint16, kBoardCount>& ports) { ports_ = ports; }
  // The pause after each client of a broadcast (50 ms).
  void SetBroadcastPauseMs(int ms) { pauseMs_ = ms; }
  // The time between tries of a port that could not be opened (5 s).
  void SetListenRetryMs(int ms) { listenRetryMs_ = ms; }

  QTcpServer& Server(int board) { return *servers_[static_cast<std::size_t>(board)]; }
  // Connections in the client list, in the order they were listed.
  int ListedCount() const { return static_cast<int>(clientList_.size()); }
  // Every accepted connection still open, listed or not.
  int ConnectionCount() const;

  // Starts every server that is not listening; a server that cannot listen
  // is logged, the others are still tried, and it is tried again later.
  void OpenServers();
  // Sends code + text to every listed client still connected, pausing after
  // each entry.
  void NotifyAllClients(std::uint8_t code, const QByteArray& text);
  // "Disable All Networking" checked: "Server is closed" to every listed
  // client, then the list, the servers and every accepted connection closed.
  void StopServing();
  // The last step of the shutdown (after the notice): MemoC cleared, the
  // list emptied, the servers and every accepted connection closed.
  void CloseAll();

 signals:
  void StatusMessage(const QString& text);

 private:
  struct Connection {
    QPointer<QTcpSocket> socket;
    int board = 0;
    QString address;   // the peer's, kept for the log lines after it has gone
    quint16 port = 0;
    QString key;       // "%s:%d" of the peer, its line in MemoC
    bool refused = false;
  };

  void Listen(int board);
  void RetryListening();
  void ClientConnect(int board);
  void ClientDisconnect(Connection* connection);
  void ClientError(Connection* connection, QAbstractSocket::SocketError error);
  void ClientRead(Connection* connection);
  void Unlist(Connection* connection);
  void Forget(Connection* connection, bool abortSocket);
  void LogEvent(const QString& text);
  void ShowClientList();

  ClientPage& page_;
  FrameSource frames_;
  RecordSource records_;
  bool koreanUi_ = true;
  int pauseMs_ = 50;
  int listenRetryMs_ = kListenRetryMs;
  std::array<bool, kBoardCount> listenFailing_{};  // told, tried again until it opens
  QTimer* listenRetry_ = nullptr;
  std::array<quint16, kBoardCount> ports_{7996, 7997, 7998, 7999};
  std::array<QTcpServer*, kBoardCount> servers_{};
  std::vector<std::unique_ptr<Connection>> connections_;  // every accepted one
  std::vector<Connection*> clientList_;                   // the listed ones
};

}  // namespace tessar
