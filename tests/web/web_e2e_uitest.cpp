// The web read-out of a running logger: orva-sim streams on four ports (the
// fourth device falls silent after three frames), tessar serves its boards over loopback, and
// the answers are held against the recording files it writes. The page is
// opened in headless Chromium, which leaves two screenshots.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebSocket>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <vector>

#include "../e2e/e2e_harness.h"
#include "acquisition/recording_file.h"
#include "common/date_time.h"
#include "test_support.h"
#include "acquisition/ui/live_feed.h"
#include "web/ui/web_server.h"
#include "web/web_json.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

constexpr const char* kToken = "lab-T0ken";

struct Reply {
  int status = 0;
  QByteArray body;
  QString error;
};

Reply Get(quint16 port, const QString& path, const QByteArray& authorization = {},
          const QByteArray& verb = "GET") {
  static QNetworkAccessManager manager;
  QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)));
  if (!authorization.isEmpty()) request.setRawHeader("Authorization", authorization);
  request.setTransferTimeout(5000);
  QNetworkReply* reply = manager.sendCustomRequest(request, verb);
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec();
  Reply out{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll(),
            reply->errorString()};
  reply->deleteLater();
  return out;
}

QByteArray Bearer() { return QByteArray("Bearer ") + kToken; }

quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

class WebReadout : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    install_ = std::make_unique<PrivateInstall>(BinPath("tessar"));
    ASSERT_TRUE(install_->Ok()) << install_->Error();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("HOME", QString::fromStdString(install_->Root()));
    const QString root = QString::fromStdString(install_->Root());
    sim_ = std::make_unique<ChildProcess>(
        BinPath("orva-sim"),
        QStringList{"--dir", QString::fromStdString(install_->PortsDirectory()), "--device", "COM1",
                    "--signal", "1=ramp:20:0.5", "--device", "COM2", "--model", "ORVA-2200",
                    "--device", "COM3", "--signal", "2=constant:50", "--device", "COM4",
                    "--fault", "silence:3"},
        env, root);
    ASSERT_TRUE(sim_->WaitForLine("ready", 10000)) << sim_->Errors();

    const QString settings = QString::fromStdString(install_->BinDirectory() + "/tessar.SET");
    ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", settings}).exitCode, 0);
    QStringList set{"set", settings, "A.englishUi=1"};
    const char* models[] = {"ORVA-2280", "ORVA-2200", "ORVA-2280", "ORVA-2280"};
    for (int b = 0; b < kBoardCount; ++b) {
      const QString p = QString(QChar('A' + b)) + ".";
      set << p + QString("portNumber=%1").arg(b + 1) << p + "modelName=" + models[b]
          << p + QString("serialNumber=A3000%1").arg(b + 1) << p + "sampleInterval=1"
          << p + "dataDirectory=" + QString::fromStdString(install_->DataDirectory())
          << p + "jobTitle=Kiln " + QChar('1' + b) << p + "channelName[1]=Top"
          << p + "boardSensorType=1";
      for (int slot = 0; slot < kSlotCount; ++slot)
        set << p + QString("channelSensorType[%1]=1").arg(slot);  // type K everywhere
    }
    set << "C.alarmEnabled[2]=1" << "C.alarmHigh[2]=45";  // in alarm all along
    const ProcessResult assigned = RunProcess(BinPath("tessar-settings"), set);
    ASSERT_EQ(assigned.exitCode, 0) << assigned.err;

    port_ = FreePort();
    std::ofstream(install_->BinDirectory() + "/tessar.web")
        << "[http]\nport=" << port_ << "\ntoken=" << kToken << "   ; the lab's\n";
    tessar_ = std::make_unique<ChildProcess>(install_->ProgramPath(), QStringList{}, env, root);
    ASSERT_TRUE(tessar_->Started());
    // until board A has two records and the server answers
    WaitUntil([] { return BoardRecords(install_->DataDirectory(), 'A').size() >= 2 &&
                          Get(port_, "/api/info", Bearer()).status == 200; }, 20000);
    const Reply info = Get(port_, "/api/info", Bearer());
    ASSERT_EQ(info.status, 200) << info.error.toStdString() << " port " << port_ << "\n"
                                << tessar_->Errors() << FileText(install_->BinDirectory() + "/tessar.web");
  }
  static void TearDownTestSuite() {
    if (tessar_) {
      EXPECT_TRUE(tessar_->Terminate(5000));
    }
    if (install_) {
      EXPECT_FALSE(FileExists(install_->BinDirectory() + "/Exception1.Err"))
          << FileText(install_->BinDirectory() + "/Exception1.Err");
    }
    tessar_.reset();
    sim_.reset();
    install_.reset();
  }
  void SetUp() override {
    if (!tessar_ || !tessar_->Running()) GTEST_SKIP() << "the logger did not start";
  }

  static std::string Data() { return install_->DataDirectory(); }
  // Board D's device falls silent after three frames: the board stops
  // receiving three ticks later.
  static void WaitUntilBoardDIsSilent() {
    WaitUntil([] { return Get(port_, "/api/boards", Bearer()).body.contains("\"receiving\":false"); }, 10000);
  }

  static inline std::unique_ptr<PrivateInstall> install_;
  static inline std::unique_ptr<ChildProcess> sim_;
  static inline std::unique_ptr<ChildProcess> tessar_;
  static inline quint16 port_ = 0;
};

TEST_F(WebReadout, BoardsAreTheLastRecordsOfTheRecordingFiles) {
  WaitUntilBoardDIsSilent();
  QJsonArray boards;
  std::map<char, RecordingRecord> last;
  // a record may land between the reads: until the files stood still around one
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::map<char, RecordingRecord> before;
    for (char letter : {'A', 'B', 'C', 'D'}) before[letter] = BoardRecords(Data(), letter).back();
    const Reply reply = Get(port_, "/api/boards", Bearer());
    ASSERT_EQ(reply.status, 200);
    boards = QJsonDocument::fromJson(reply.body).array();
    bool still = true;
    for (char letter : {'A', 'B', 'C'})
      still = still && BoardRecords(Data(), letter).back().time == before[letter].time;
    last = before;
    if (still) break;
  }
  ASSERT_EQ(boards.size(), 4);
  for (const QJsonValue& value : boards) {
    const QJsonObject board = value.toObject();
    const char letter = board["board"].toString().at(0).toLatin1();
    SCOPED_TRACE(letter);
    EXPECT_EQ(board["title"].toString(), QString("Kiln %1").arg(QChar('1' + letter - 'A')));
    EXPECT_EQ(board["names"].toArray()[1].toString(), "Top");
    EXPECT_EQ(board["values"].toArray().size(), kSlotCount);
    EXPECT_EQ(board["alarm"].toArray().size(), kSlotCount);
    EXPECT_EQ(board["receiving"].toBool(), letter != 'D');
    const RecordingRecord& record = last[letter];
    EXPECT_EQ(board["time"].toString().toStdString(), JsonTime(record.time));
    for (int i = 0; i < kSlotCount; ++i) {
      const QJsonValue v = board["values"].toArray()[i];
      if (record.values[i] == -0.0001112) {
        EXPECT_TRUE(v.isNull()) << i;
      } else {
        EXPECT_EQ(v.toDouble(), record.values[i]) << i;
      }
    }
  }

  const QJsonObject history =
      QJsonDocument::fromJson(Get(port_, "/api/boards/A/history", Bearer()).body).object();
  const QJsonArray times = history["time"].toArray();
  ASSERT_FALSE(times.isEmpty());
  EXPECT_EQ(history["series"].toArray().size(), kSlotCount);
  EXPECT_EQ(history["series"].toArray()[1].toArray().size(), times.size());
  EXPECT_EQ(times.first().toDouble(), WallSeconds(BoardRecords(Data(), 'A').front().time));
  const QJsonObject info = QJsonDocument::fromJson(Get(port_, "/api/info", Bearer()).body).object();
  EXPECT_FALSE(info["korean"].toBool());
  EXPECT_EQ(info["title"].toString(), "Tessar Ver 2.1.0");
}

TEST_F(WebReadout, RefusesWithoutTheTokenAndOutsideItsPaths) {
  const struct {
    const char* path;
    QByteArray authorization;
    QByteArray verb;
    int status;
  } cases[] = {
      {"/", {}, "GET", 401},
      {"/api/boards", "Bearer wrong", "GET", 401},
      {"/api/boards?token=lab-T0ke", {}, "GET", 401},
      {"/?token=lab-T0ken", {}, "GET", 200},
      {"/app.js", Bearer(), "GET", 200},
      {"/uPlot.iife.min.js", Bearer(), "GET", 200},
      {"/nothing", Bearer(), "GET", 404},
      {"/api/boards/E/history", Bearer(), "GET", 404},
      {"/api/boards/D/history", Bearer(), "GET", 200},
      {"/api/boards", Bearer(), "POST", 405},
      {"/ws", Bearer(), "GET", 400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.verb) + " " + c.path);
    EXPECT_EQ(Get(port_, c.path, c.authorization, c.verb).status, c.status);
  }
  // a WebSocket without the token, or elsewhere than /ws, never opens
  for (const QString& path : {QString("/ws"), QString("/api?token=") + kToken}) {
    QWebSocket socket;
    bool opened = false, ended = false;
    QObject::connect(&socket, &QWebSocket::connected, [&] { opened = true; });
    QObject::connect(&socket, &QWebSocket::disconnected, [&] { ended = true; });
    socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port_).arg(path)));
    EXPECT_TRUE(WaitUntil([&] { return ended; })) << "the handshake is refused";
    EXPECT_FALSE(opened) << path.toStdString();
  }
}

TEST_F(WebReadout, WebSocketPushesEachRecordOnceAndTheAlarms) {
  QWebSocket socket;
  std::vector<QJsonObject> messages;
  QObject::connect(&socket, &QWebSocket::textMessageReceived, [&](const QString& text) {
    messages.push_back(QJsonDocument::fromJson(text.toUtf8()).object());
  });
  socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?token=%2").arg(port_).arg(kToken)));
  // until each receiving board's records and board C's alarms came several times
  EXPECT_TRUE(WaitUntil([&] {
    std::map<QString, int> count;
    for (const QJsonObject& m : messages) ++count[m["type"].toString() + m["board"].toString()];
    return count["recordA"] >= 5 && count["recordB"] >= 5 && count["recordC"] >= 5 && count["alarmC"] >= 4;
  }, 20000));
  socket.close();
  std::map<char, std::vector<std::string>> pushed;
  int alarms = 0;
  for (const QJsonObject& m : messages) {
    const char letter = m["board"].toString().at(0).toLatin1();
    if (m["type"] == "record") pushed[letter].push_back(m["time"].toString().toStdString());
    if (m["type"] == "alarm") {
      ++alarms;
      EXPECT_EQ(letter, 'C');
      EXPECT_TRUE(m["text"].toString().contains("CH2 High Alarm")) << m["text"].toString().toStdString();
    }
  }
  for (char letter : {'A', 'B', 'C'}) {
    SCOPED_TRACE(letter);
    const std::vector<std::string>& times = pushed[letter];
    ASSERT_GE(times.size(), 4u);
    // the file's records from the first pushed to the last, each pushed once
    std::vector<std::string> recorded;
    for (const RecordingRecord& r : BoardRecords(Data(), letter)) {
      const std::string t = JsonTime(r.time);
      if (t >= times.front() && t <= times.back()) recorded.push_back(t);
    }
    EXPECT_EQ(times, recorded);
  }
  EXPECT_GE(alarms, 4) << "board C's channel 2 is above its high limit";
}

TEST_F(WebReadout, FiftyClientsComeAndGoWhileFourBoardsRecord) {
  const std::size_t before = BoardRecords(Data(), 'A').size();
  // rounds until four records were written meanwhile, three rounds at least
  int rounds = 0;
  const QDeadlineTimer guard(test::Scaled(30000));
  while (rounds < 3 || BoardRecords(Data(), 'A').size() - before < 4) {
    ASSERT_FALSE(guard.hasExpired()) << BoardRecords(Data(), 'A').size() - before << " records meanwhile";
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    int connected = 0;
    for (int i = 0; i < 50; ++i) {
      sockets.push_back(std::make_unique<QWebSocket>());
      QObject::connect(sockets.back().get(), &QWebSocket::connected, [&] { ++connected; });
      sockets.back()->open(
          QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?token=%2").arg(port_).arg(kToken)));
    }
    EXPECT_TRUE(WaitUntil([&] { return connected == 50; }, 10000)) << connected;
    if (rounds % 2 == 0) {
      for (auto& s : sockets) s->close();
    } else {
      for (auto& s : sockets) s->abort();  // gone without a word
    }
    ++rounds;
  }
  EXPECT_TRUE(tessar_->Running());
  EXPECT_EQ(Get(port_, "/api/boards", Bearer()).status, 200);
}

// Headless Chromium renders the page: the values and the charts are there, and
// two screenshots (phone and desktop) are left for a look.
TEST_F(WebReadout, ChromiumShowsTheCardsAndCharts) {
  const QString chromium = QStandardPaths::findExecutable("chromium");
  ASSERT_FALSE(chromium.isEmpty()) << "Debian's chromium is needed (scripts/setup installs it)";
  WaitUntilBoardDIsSilent();
  const QString url = QStringLiteral("http://127.0.0.1:%1/?token=%2").arg(port_).arg(kToken);
  const std::string shots = qEnvironmentVariableIsSet("TESSAR_WEB_SHOTS")
                                ? qEnvironmentVariable("TESSAR_WEB_SHOTS").toStdString()
                                : install_->Root();
  auto run = [&](const QStringList& extra) {
    QTemporaryDir profile;
    QStringList args{"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                     "--user-data-dir=" + profile.path(), "--virtual-time-budget=10000"};
    return RunProcess(chromium.toStdString(), args + extra + QStringList{url}, 60000);
  };
  const ProcessResult dom = run({"--window-size=1280,800", "--dump-dom"});
  ASSERT_TRUE(dom.finished) << dom.err;
  EXPECT_NE(dom.out.find("data-ready=\"true\""), std::string::npos) << dom.out.substr(0, 2000);
  EXPECT_EQ(std::count(dom.out.begin(), dom.out.end(), '\0'), 0);
  std::size_t cards = 0, canvases = 0;
  for (std::size_t at = 0; (at = dom.out.find("class=\"card", at)) != std::string::npos; ++at) ++cards;
  for (std::size_t at = 0; (at = dom.out.find("<canvas", at)) != std::string::npos; ++at) ++canvases;
  EXPECT_EQ(cards, 4u);
  EXPECT_EQ(canvases, 4u);
  EXPECT_NE(dom.out.find("Kiln 1"), std::string::npos);
  EXPECT_NE(dom.out.find("not receiving"), std::string::npos) << "board D is dimmed";
  for (const auto& [w, h] : {std::pair{360, 740}, std::pair{1280, 800}}) {
    const std::string png = shots + "/web-" + std::to_string(w) + "x" + std::to_string(h) + ".png";
    const ProcessResult shot = run({QStringLiteral("--window-size=%1,%2").arg(w).arg(h),
                                    "--screenshot=" + QString::fromStdString(png)});
    ASSERT_TRUE(shot.finished) << shot.err;
    const std::vector<unsigned char> bytes = ReadBytes(png);
    ASSERT_GT(bytes.size(), 8u) << png;
    EXPECT_EQ(std::memcmp(bytes.data(), "\x89PNG", 4), 0);
  }
}

}  // namespace

namespace {

// The configuration file decides whether anything listens: refused files
// and taken ports keep the server off with the reason, recording untouched.
TEST(WebReadoutStart, RefusedConfigurationsKeepTheServerOff) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/tessar.web";
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
  const quint16 free = FreePort();
  const struct {
    std::string text;  // empty: no file
    const char* message;
    bool started;
  } cases[] = {
      {"", "", false},
      {"[http]\nport=" + std::to_string(free) + "\nbind=0.0.0.0\n", "set a token", false},
      {"[http]\nport=" + std::to_string(free) + "\nprot=1\n", "unknown key \"prot\"", false},
      {"[http]\nport=" + std::to_string(taken.serverPort()) + "\n", "port", false},
      {"[http]\nport=" + std::to_string(free) + "\n",
       "Web read-out on http://127.0.0.1:", true},
  };
  ProgramState state;
  LiveFeed feed;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    QFile::remove(path);
    if (!c.text.empty()) std::ofstream(path.toStdString()) << c.text;
    QString message;
    const std::unique_ptr<WebServer> server = StartWebServer(path, state, feed, "Tessar", message);
    EXPECT_EQ(server != nullptr, c.started);
    EXPECT_TRUE(message.contains(c.message)) << message.toStdString();
    if (!c.started && !c.text.empty()) {
      EXPECT_TRUE(message.startsWith("Web read-out off: "));
    }
  }
}

}  // namespace
