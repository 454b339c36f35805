// The data servers (logger) and the data client (viewer) as the main window
// drives them: each step below is called at its place in the start
// sequence, the timers, the handlers and the orderly shutdown.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/program_state.h"

namespace tessar {

class ChartPage;
class ClientPage;
class ConfigPage;
class DataClient;
class DataServer;

class DataNetwork : public QObject {
  Q_OBJECT
 public:
  struct Viewer {
    std::array<ConfigPage*, kBoardCount> configPages{};
    std::array<ChartPage*, kBoardCount> chartPages{};
    std::function<CycleInputs(int board)> cycleInputs;  // what a board's cycle reads
    std::function<void(int board)> showRecord;          // a received record onto the pages
  };

  // The logger: the data servers on the network page.
  DataNetwork(ProgramState& state, ClientPage& page);
  // The viewer: the data client on the connection groups of its pages.
  DataNetwork(ProgramState& state, ClientPage& page, Viewer viewer);
  ~DataNetwork() override;

  DataServer* Server() const { return server_.get(); }
  DataClient* Client() const { return client_.get(); }

  // --- the logger ---
  // Start: SS1..SS4 open; each is tried and a failure logged.
  void OpenServers();
  // Shutdown: code 240 "Server is closed" to every listed client, 50 ms apart.
  void NotifyClientsServerClosed();
  // Shutdown: client memo cleared, client list emptied, SS1..SS4 and every
  // accepted connection closed.
  void CloseServers();
  // "Disable All Networking" clicked (not stored: every start serves again).
  void NetSwitchClicked();

  // --- the viewer ---
  // Start: its own settings file read; the language, the axis mode and the
  // connection groups (intervals, remote boards, addresses) follow it.
  void LoadClientSettings();
  // The data directory the settings file names (the default when empty).
  QString ClientDataDirectory() const;
  // The interval edit: the board's poll interval and countdown.
  void SetPollInterval(int board, int seconds);
  // Timer2: the poll of the servers.
  void PollTick();
  // Shutdown: every connection closed, then the settings file written with
  // board A's address list.
  void SaveClientSettings();

 signals:
  void StatusMessage(const QString& text);

 private:
  ProgramState& state_;
  ClientPage& page_;
  std::array<ConfigPage*, kBoardCount> configPages_{};
  std::unique_ptr<DataServer> server_;
  std::unique_ptr<DataClient> client_;
};

}  // namespace tessar
