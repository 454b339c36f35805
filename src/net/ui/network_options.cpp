#include "net/ui/network_options.h"

#include "net/ui/data_client.h"
#include "net/ui/data_server.h"

namespace tessar {

NetworkOptions ParseNetworkOptions(const QStringList& arguments) {
  NetworkOptions options;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == QStringLiteral("--connect")) {
      options.connectAtStart = true;
    } else if (arguments[i] == QStringLiteral("--server-port") && i + 1 < arguments.size()) {
      bool ok = false;
      const int port = arguments[++i].toInt(&ok);
      if (ok && port >= 1 && port <= 65535 - (kBoardCount - 1)) options.firstPort = port;
    }
  }
  return options;
}

void ApplyNetworkOptions(const NetworkOptions& options, DataServer* server, DataClient* client) {
  std::array<quint16, kBoardCount> ports{};
  for (int b = 0; b < kBoardCount; ++b) ports[b] = static_cast<quint16>(options.firstPort + b);
  if (server) server->SetPorts(ports);
  if (client) client->SetServerPorts(ports);
}

}  // namespace tessar
