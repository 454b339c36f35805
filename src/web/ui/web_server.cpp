#include "web/ui/web_server.h"

#include <QFile>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <algorithm>

#include "acquisition/ui/live_feed.h"
#include "web/web_json.h"
#include "web/web_request.h"

static void InitWebResources() { Q_INIT_RESOURCE(web); }

namespace tessar {

namespace {

using Status = QHttpServerResponder::StatusCode;

// The page's files, built into the program.
struct PageFile {
  const char* path;
  const char* resource;
  const char* mime;
};
constexpr PageFile kPageFiles[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/style.css", ":/web/style.css", "text/css; charset=utf-8"},
    {"/app.js", ":/web/app.js", "text/javascript; charset=utf-8"},
    {"/uPlot.iife.min.js", ":/web/uPlot.iife.min.js", "text/javascript; charset=utf-8"},
    {"/uPlot.min.css", ":/web/uPlot.min.css", "text/css; charset=utf-8"},
};

// A listening socket whose connections pass the screen before the HTTP
// server takes them (the screen's readyRead handler is connected first, so
// it sees each request before the router does).
class ScreeningServer : public QTcpServer {
 public:
  ScreeningServer(std::function<void(QTcpSocket*)> screen, QObject* parent)
      : QTcpServer(parent), screen_(std::move(screen)) {}

 protected:
  void incomingConnection(qintptr descriptor) override {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
      delete socket;
      return;
    }
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { screen_(socket); });
    addPendingConnection(socket);
  }

 private:
  std::function<void(QTcpSocket*)> screen_;
};

QHttpServerResponse Respond(const QByteArray& mime, QByteArray body, Status status = Status::Ok) {
  QHttpServerResponse response(mime, std::move(body), status);
  response.setHeader("Cache-Control", "no-store");
  response.setHeader("X-Content-Type-Options", "nosniff");
  response.setHeader("Content-Security-Policy",
                     "default-src 'self'; connect-src 'self'; img-src 'self' data:; "
                     "frame-ancestors 'none'");
  return response;
}

QHttpServerResponse Refuse(int status) {
  QHttpServerResponse response =
      Respond("text/plain", QByteArray::number(status) + ' ' + ReasonPhrase(status) + '\n',
              static_cast<Status>(status));
  if (status == 401) response.setHeader("WWW-Authenticate", "Bearer");
  if (status == 405) response.setHeader("Allow", "GET");
  return response;
}

QByteArray Json(const std::string& text) { return QByteArray::fromStdString(text); }

}  // namespace

WebServer::WebServer(WebConfig config, const ProgramState& state, QString title, QObject* parent)
    : QObject(parent), config_(std::move(config)), state_(state), title_(std::move(title)) {
  InitWebResources();
  http_ = std::make_unique<QHttpServer>();
  for (const PageFile& file : kPageFiles) {
    http_->route(QString::fromLatin1(file.path), [this, file](const QHttpServerRequest& request) {
      return Answer(request, file.path);
    });
  }
  for (const char* path : {"/api/boards", "/api/info"}) {
    http_->route(QString::fromLatin1(path),
                 [this, path](const QHttpServerRequest& request) { return Answer(request, path); });
  }
  // The HTTP server hands a WebSocket upgrade over when a route takes it and
  // answers nothing itself; the screen has already refused the upgrades
  // without the token, and the socket is checked again once open.
  http_->route("/ws", [](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
    const bool upgrade =
        request.value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    if (!upgrade) Refuse(request.method() == QHttpServerRequest::Method::Get ? 400 : 405)
                      .write(std::move(responder));
  });
  http_->route("/api/boards/<arg>/history",
               [this](const QString& letter, const QHttpServerRequest& request) {
                 return AnswerHistory(request, letter);
               });
  connect(http_.get(), &QHttpServer::newWebSocketConnection, this, &WebServer::AcceptWebSockets);
}

WebServer::~WebServer() {
  for (QWebSocket* socket : sockets_) {
    socket->disconnect(this);
    socket->abort();
    delete socket;
  }
}

bool WebServer::Listen(QString& error) {
  auto* tcp = new ScreeningServer([this](QTcpSocket* socket) { Screen(socket); }, http_.get());
  if (!tcp->listen(QHostAddress(QString::fromStdString(config_.bind)),
                   static_cast<quint16>(config_.port))) {
    error = QStringLiteral("%1 port %2: %3")
                .arg(QString::fromStdString(config_.bind))
                .arg(config_.port)
                .arg(tcp->errorString());
    delete tcp;
    return false;
  }
  http_->bind(tcp);
  port_ = tcp->serverPort();
  return true;
}

void WebServer::Follow(const LiveFeed& feed) {
  connect(&feed, &LiveFeed::RecordTaken, this, &WebServer::TakeRecord);
  connect(&feed, &LiveFeed::AlarmMessage, this, &WebServer::TakeAlarm);
  connect(&feed, &LiveFeed::HealthChanged, this, &WebServer::TakeHealth);
}

bool WebServer::Authorized(const QHttpServerRequest& request) const {
  return RequestAuthorized(request.url().query(QUrl::FullyEncoded).toStdString(),
                           request.value("Authorization").toStdString(), config_.token);
}

QHttpServerResponse WebServer::Answer(const QHttpServerRequest& request, const QByteArray& path) {
  if (request.method() != QHttpServerRequest::Method::Get) return Refuse(405);
  if (!Authorized(request)) return Refuse(401);
  if (path == "/api/boards") return Respond("application/json", BoardsJson());
  if (path == "/api/info") {
    return Respond("application/json",
                   Json(InfoJson(state_.KoreanUi, title_.toStdString())));
  }
  for (const PageFile& file : kPageFiles) {
    if (path != file.path) continue;
    QFile resource(QString::fromLatin1(file.resource));
    if (!resource.open(QIODevice::ReadOnly)) return Refuse(404);
    QByteArray body = resource.readAll();
    if (path == "/") {
      body = QByteArray::fromStdString(
          FillPageToken(std::string_view(body.constData(), body.size()), config_.token));
    }
    return Respond(file.mime, std::move(body));
  }
  return Refuse(404);
}

QHttpServerResponse WebServer::AnswerHistory(const QHttpServerRequest& request,
                                             const QString& letter) {
  if (request.method() != QHttpServerRequest::Method::Get) return Refuse(405);
  if (!Authorized(request)) return Refuse(401);
  if (letter.size() != 1 || letter[0] < QLatin1Char('A') ||
      letter[0] >= QLatin1Char('A' + kBoardCount))
    return Refuse(404);
  const int board = letter[0].unicode() - 'A';
  if (!BoardUsed(state_.Settings.boards[board])) return Refuse(404);
  const BoardRunState& run = state_.Boards[board];
  return Respond("application/json",
                 Json(HistoryJson(run.chart, state_.ElapsedAxis, run.run.StartTime)));
}

bool WebServer::Receiving(int board) const {
  if (!pace_) return BoardReceiving(state_.Boards[board].frame);
  return sinceRecord_[board].isValid() &&
         PaceReceiving(sinceRecord_[board].elapsed() / 1000.0, pace_(board));
}

HealthReport WebServer::Health(int board) const {
  return HealthReportOf(board, state_.Boards[board].health);
}

QByteArray WebServer::BoardsJson() const {
  std::string out = "[";
  for (int b = 0; b < kBoardCount; ++b) {
    const BoardSettings& settings = state_.Settings.boards[b];
    if (!BoardUsed(settings)) continue;
    if (out.size() > 1) out += ',';
    out += '{';
    out += BoardJsonFields(last_[b] ? *last_[b] : EmptyRecord(b), settings, Receiving(b),
                           Health(b));
    out += '}';
  }
  out += ']';
  return Json(out);
}

// The first request of a connection: answered and closed here when refused.
void WebServer::Screen(QTcpSocket* socket) {
  if (socket->property("tessarScreened").toBool()) return;
  const QByteArray bytes = socket->peek(static_cast<qint64>(kRequestHeadLimit));
  const HeadScan scan = ScanRequestHead(std::string_view(bytes.constData(), bytes.size()));
  int status = 0;
  switch (scan.status) {
    case HeadStatus::Incomplete: return;  // more to come
    case HeadStatus::TooLarge: status = 431; break;
    case HeadStatus::Invalid: status = 400; break;
    case HeadStatus::Complete: status = ScreenRequest(scan.head, config_.token); break;
  }
  socket->setProperty("tessarScreened", true);
  if (status == 0) return;
  // the router must not answer as well
  QObject::disconnect(socket, nullptr, http_.get(), nullptr);
  socket->readAll();
  socket->write(QByteArray::fromStdString(RefusalResponse(status)));
  socket->disconnectFromHost();
}

void WebServer::AcceptWebSockets() {
  while (http_->hasPendingWebSocketConnections()) {
    std::unique_ptr<QWebSocket> owned = http_->nextPendingWebSocketConnection();
    if (!owned) break;
    QWebSocket* socket = owned.release();
    const QUrl url = socket->requestUrl();
    const bool allowed =
        url.path() == QLatin1String("/ws") &&
        RequestAuthorized(url.query(QUrl::FullyEncoded).toStdString(),
                          socket->request().rawHeader("Authorization").toStdString(),
                          config_.token);
    if (!allowed || socketCount() >= kWebSocketLimit) {
      socket->close(allowed ? QWebSocketProtocol::CloseCodeTooMuchData
                            : QWebSocketProtocol::CloseCodePolicyViolated);
      socket->deleteLater();
      continue;
    }
    socket->setParent(this);
    sockets_.push_back(socket);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
      sockets_.erase(std::remove(sockets_.begin(), sockets_.end(), socket), sockets_.end());
      socket->deleteLater();
    });
  }
}

void WebServer::Push(const QString& message) {
  // a client that stopped reading is let go rather than buffered for
  for (QWebSocket* socket : std::vector<QWebSocket*>(sockets_)) {
    if (socket->bytesToWrite() > kWebSocketBacklogLimit) {
      socket->abort();
      continue;
    }
    socket->sendTextMessage(message);
  }
}

void WebServer::TakeRecord(const LiveRecord& record) {
  if (record.board < 0 || record.board >= kBoardCount) return;
  last_[record.board] = record;
  sinceRecord_[record.board].start();
  if (sockets_.empty()) return;
  const BoardSettings& settings = state_.Settings.boards[record.board];
  Push(QString::fromStdString(
      RecordPushJson(record, settings, Receiving(record.board), Health(record.board))));
}

void WebServer::TakeAlarm(int board, const QString& text) {
  if (board < 0 || board >= kBoardCount || sockets_.empty()) return;
  Push(QString::fromStdString(AlarmPushJson(board, text.toStdString())));
}

void WebServer::TakeHealth(const HealthReport& report) {
  if (report.board < 0 || report.board >= kBoardCount || sockets_.empty()) return;
  Push(QString::fromStdString(HealthPushJson(report)));
}

std::unique_ptr<WebServer> StartWebServer(const QString& configPath, const ProgramState& state,
                                          const LiveFeed& feed, const QString& title,
                                          QString& message) {
  message.clear();
  const std::optional<WebConfigResult> read = ReadWebConfig(configPath.toStdString());
  if (!read) return nullptr;
  if (!read->config) {
    message = QStringLiteral("Web read-out off: ") + QString::fromStdString(read->error);
    return nullptr;
  }
  auto server = std::make_unique<WebServer>(*read->config, state, title);
  QString error;
  if (!server->Listen(error)) {
    message = QStringLiteral("Web read-out off: ") + error;
    return nullptr;
  }
  server->Follow(feed);
  QString host = QString::fromStdString(read->config->bind);
  if (host.contains(QLatin1Char(':'))) host = QLatin1Char('[') + host + QLatin1Char(']');
  message = QStringLiteral("Web read-out on http://%1:%2/").arg(host).arg(server->port());
  return server;
}

}  // namespace tessar
