// The data server (logger) and the data client (viewer) as the main window
// drives them. Each step below is called at its place in the start sequence,
// the timers and the orderly shutdown; the network work fills them.
#pragma once

#include "acquisition/program_state.h"

namespace tessar {

class ClientPage;

class DataNetwork {
 public:
  DataNetwork(ProgramState& state, ClientPage& page) : state_(state), page_(page) {}

  // Logger start: SS1..SS4 open; an error ends that loop silently.
  void OpenServers() {}
  // Shutdown: code 240 "Server is closed" to every connected client, then 50 ms.
  void NotifyClientsServerClosed() {}
  // Shutdown: client memo cleared, client list emptied, SS1..SS4 closed.
  void CloseServers() {}
  // "Disable All Networking" clicked.
  void NetSwitchClicked() {}

  // Viewer start, after its pages show their records.
  void StartClient() {}
  // Timer2: the viewer's poll of its servers.
  void PollTick() {}

 private:
  [[maybe_unused]] ProgramState& state_;
  [[maybe_unused]] ClientPage& page_;
};

}  // namespace tessar
