// The live web read-out: a small read-only HTTP server (the page, the
// boards' last records and chart points as JSON) and a WebSocket at /ws that
// pushes every record, alarm message and change of a board's thermocouple
// health as the acquisition produces them.
// Each push is serialized once and handed to every open socket, so that it
// costs the acquisition tick little however many browsers watch.
//
// Every connection is screened on its first request before the router sees
// it (request head size, GET only, token, WebSocket upgrades only at /ws);
// the handlers check the token again, so a request that slips past the
// screen (a later one on a kept-alive connection) is never answered without
// it. Unknown paths answer 404.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "acquisition/live_record.h"
#include "acquisition/program_state.h"
#include "web/web_config.h"

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QTcpSocket;
class QWebSocket;

namespace tessar {

class LiveFeed;

constexpr int kWebSocketLimit = 200;                     // open sockets at once
constexpr qint64 kWebSocketBacklogLimit = 1024 * 1024;   // unsent bytes before a client is dropped

class WebServer : public QObject {
  Q_OBJECT
 public:
  // `state` is the run's (read at each request); `title` names the program.
  WebServer(WebConfig config, const ProgramState& state, QString title, QObject* parent = nullptr);
  ~WebServer() override;

  // Takes the configured address and port; false with `error` when it cannot.
  bool Listen(QString& error);
  quint16 port() const { return port_; }
  int socketCount() const { return static_cast<int>(sockets_.size()); }
  // Records and alarm messages from now on are pushed.
  void Follow(const LiveFeed& feed);
  // For boards whose records come at a pace of their own rather than from
  // the acquisition tick (the viewer's polls): seconds between records of a
  // board. A board is then receiving while its last record is recent.
  void SetRecordPace(std::function<int(int board)> secondsBetweenRecords) {
    pace_ = std::move(secondsBetweenRecords);
  }

  void TakeRecord(const LiveRecord& record);
  void TakeAlarm(int board, const QString& text);
  void TakeHealth(const HealthReport& report);

 private:
  QHttpServerResponse Answer(const QHttpServerRequest& request, const QByteArray& path);
  QHttpServerResponse AnswerHistory(const QHttpServerRequest& request, const QString& letter);
  bool Authorized(const QHttpServerRequest& request) const;
  bool Receiving(int board) const;
  HealthReport Health(int board) const;
  QByteArray BoardsJson() const;
  void Screen(QTcpSocket* socket);
  void AcceptWebSockets();
  void Push(const QString& message);

  WebConfig config_;
  const ProgramState& state_;
  QString title_;
  std::unique_ptr<QHttpServer> http_;
  quint16 port_ = 0;
  std::array<std::optional<LiveRecord>, kBoardCount> last_;
  std::array<QElapsedTimer, kBoardCount> sinceRecord_;
  std::function<int(int)> pace_;
  std::vector<QWebSocket*> sockets_;
};

// The web read-out as the window starts it. Null without the configuration
// file (and `message` empty); null with `message` when the file is refused or
// the address cannot be taken; otherwise the server, following `feed`, and
// `message` telling where it listens.
std::unique_ptr<WebServer> StartWebServer(const QString& configPath, const ProgramState& state,
                                          const LiveFeed& feed, const QString& title,
                                          QString& message);

}  // namespace tessar
