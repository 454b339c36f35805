// Command-line options of the network roles, for running a logger and its
// viewers side by side (the demo, the end-to-end tests):
//   --server-port N   boards A..D served (logger) or looked for (viewer) on
//                     N..N+3 instead of 7996..7999
//   --connect         the viewer connects every board once it has started
#pragma once

#include <QStringList>

namespace tessar {

class DataClient;
class DataServer;

struct NetworkOptions {
  int firstPort = 7996;
  bool connectAtStart = false;
};

// Reads the options; anything else in `arguments` is left alone. A port
// outside 1..65532 keeps the default.
NetworkOptions ParseNetworkOptions(const QStringList& arguments);

// Points the server or the client (either may be null) at the ports.
void ApplyNetworkOptions(const NetworkOptions& options, DataServer* server, DataClient* client);

}  // namespace tessar
