// The data client: each board's live data taken from a remote logger over
// TCP instead of a serial port. Board b has its socket CS<b+1> and the
// connection group GBIP<b+1> of its configuration page (address list
// CBAddr, remote board UDPort, Connect/Disconnect, "C"). After connecting it
// asks for the board's record, installs it as if configured here, then polls
// on Timer2 for frames, each run through the acquisition cycle at once.
#pragma once

#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <array>
#include <functional>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/program_state.h"
#include "i18n/messages.h"
#include "net/net_message.h"
#include "settings/client_settings.h"

namespace tessar {

class ChartPage;
class ClientPage;
class ConfigPage;

class DataClient : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    // What the board's cycle reads from the window besides its state.
    std::function<CycleInputs(int board)> cycleInputs;
    // A received record is to be shown on the board's pages.
    std::function<void(int board)> applyRecord;
    // A cycle's outcome onto the board's page and its alarm controls.
    std::function<void(int board, const CycleOutcome& outcome)> applyOutcome;
  };

  DataClient(ProgramState& state, const std::array<ConfigPage*, kBoardCount>& configPages,
             const std::array<ChartPage*, kBoardCount>& chartPages, ClientPage& clientPage,
             Hooks hooks, QObject* parent = nullptr);
  ~DataClient() override;

  // The server port of each remote board (7996..7999); tests point them elsewhere.
  void SetServerPorts(const std::array<quint16, kBoardCount>& ports) { serverPorts_ = ports; }

  QTcpSocket& Socket(int board) { return *sockets_[static_cast<std::size_t>(board)]; }
  int RemoteBoard(int board) const { return remoteBoard_[static_cast<std::size_t>(board)]; }
  void SetRemoteBoard(int board, int remote);  // also moves UDPort
  int PollInterval(int board) const { return pollInterval_[static_cast<std::size_t>(board)]; }
  // The interval edit of the viewer: the poll interval and the countdown.
  void SetPollInterval(int board, int seconds);
  bool SettingsReceived(int board) const { return boards_[static_cast<std::size_t>(board)].settingsReceived; }
  bool ClientStopped(int board) const { return boards_[static_cast<std::size_t>(board)].clientStopped; }

  // The viewer's own settings file, held here from start to shutdown.
  ClientSettings& Settings() { return settings_; }
  // Start: each board's interval, poll countdown, remote board and the
  // offered server addresses (the first one selected).
  void ShowSettings();
  // Shutdown: the remote boards and poll intervals in memory and board A's
  // address list go into the settings.
  void GatherSettings();

  // --- handlers ---
  void BtConnect1Click(int board);
  void UDPort1Click(int board);
  void BtC1Click(int board);
  void Timer2Timer();
  // Connects every board that is not connected, as its Connect button would.
  void ConnectAll();
  // Closes every open connection (the viewer's shutdown); no reconnection
  // follows.
  void CloseAll();
  // A viewer that nobody watches connects again by itself: a board whose
  // connection ended, or could not be made, is connected again after
  // `firstMs` (0 = never, as a viewer with a window is, whose user presses
  // Connect). A board that gives no data attempt after attempt (refused,
  // paused, not served) is tried less and less often, the wait doubling up
  // to `longestMs`. Its attempts are quiet: one line when the viewer gives
  // up hope of a quick return (the second attempt in a row without data),
  // one when data comes again.
  void SetReconnectInterval(int firstMs, int longestMs = kUnattendedReconnectLongestMs);
  static constexpr int kUnattendedReconnectMs = 30000;
  static constexpr int kUnattendedReconnectLongestMs = 600000;
  // The wait before the next attempt after `refusals` attempts in a row
  // without data.
  static int ReconnectDelayMs(int refusals, int firstMs, int longestMs);
  // Attempts in a row that ended without data (unattended viewer).
  int Refusals(int board) const { return boards_[static_cast<std::size_t>(board)].refusals; }

 signals:
  void StatusMessage(const QString& text);

 private:
  struct BoardLink {
    bool settingsReceived = false;
    bool clientStopped = false;
    ReplyAssembler assembler;
    int dataRequests = 0;          // data requests of this connection not yet answered
    bool unrequestedLogged = false;
    // unattended reconnection
    bool attempting = false;  // connecting or connected, its end not yet seen
    bool gotData = false;     // a data reply came on this connection
    bool quiet = false;       // an attempt of the reconnection: no status lines
    bool hopeless = false;    // the line that hope is given up was written
    int refusals = 0;
    QString reason;           // why the last attempt ended
    QString address;          // where the last attempt went
    quint16 port = 0;
    QTimer* retry = nullptr;
  };

  void CS1Connect(int board);
  void CS1Disconnect(int board);
  void CS1Error(int board, QAbstractSocket::SocketError error);
  void CS1Read(int board);
  void HandleReply(int board, const ReplyAssembler::Event& event);
  void Poll(int board);
  void SendRequest(int board, std::uint8_t code, bool upperHex);
  QString Text(Msg id) const;
  void Status(Msg id, int board);
  void ButtonsIdle(int board);
  void AttemptEnded(int board);
  void Reconnect(int board);

  ProgramState& state_;
  std::array<ConfigPage*, kBoardCount> configPages_;
  std::array<ChartPage*, kBoardCount> chartPages_;
  ClientPage& clientPage_;
  Hooks hooks_;
  std::array<QTcpSocket*, kBoardCount> sockets_{};
  std::array<BoardLink, kBoardCount> boards_{};
  std::array<int, kBoardCount> remoteBoard_{};
  std::array<int, kBoardCount> pollInterval_{};
  std::array<quint16, kBoardCount> serverPorts_{7996, 7997, 7998, 7999};
  ClientSettings settings_{};
  int reconnectFirstMs_ = 0;
  int reconnectLongestMs_ = kUnattendedReconnectLongestMs;
};

}  // namespace tessar
