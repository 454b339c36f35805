// The viewer against data servers over loopback: settings installed and
// shown, every data reply recorded, paused and closed servers, replies split
// by TCP, its own settings file; and the logger's notice at shutdown.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QTcpServer>
#include <cstring>
#include <filesystem>

#include "../shell/window_fixture.h"
#include "acquisition/ui/chart_page.h"
#include "common/clock.h"
#include "config/ui/config_page.h"
#include "device/device_replies.h"
#include "i18n/text_codec.h"
#include "net/net_message.h"
#include "net/ui/client_page.h"
#include "net/ui/data_client.h"
#include "net/ui/data_network.h"
#include "net/ui/data_server.h"
#include "net_fixture.h"
#include "settings/client_settings.h"
#include "test_support.h"

using namespace tessar;
using namespace tessar::test;

namespace {

class ViewerTest : public WindowTest {
 protected:
  // The viewer, started in English on the settings given (defaults otherwise).
  MainWindow& StartViewer(ClientSettings settings) {
    settings.englishUi = 1;
    EXPECT_TRUE(WriteClientSettings((ExeDir() + "/tessview.SET").toStdString(), settings));
    MainWindow& window = Start(kTessviewEdition);
    client_ = window.network().Client();
    return window;
  }
  ClientSettings Defaults() const {
    ClientSettings settings;
    FillClientDefaults(settings, (dir_.path() + "/viewdata").toStdString());
    return settings;
  }
  void Connect(int board) { window_->configPage(board)->BtConnect->click(); }
  // One Timer2 tick, then the replies to every request sent so far.
  void Tick() {
    window_->Timer2Timer();
    EXPECT_TRUE(WaitUntil([&] { return MemoS().count("Request:[") == MemoR().count("Received:["); }));
  }
  QString MemoS() const { return window_->clientPage()->MemoS->toPlainText(); }
  QString MemoR() const { return window_->clientPage()->MemoR->toPlainText(); }

  DataClient* client_ = nullptr;
};

// A logger side of our own: the real data servers on free ports.
struct LoggerSide {
  ClientPage page{QStringLiteral("Client List")};
  std::array<FrameState, kBoardCount> frames{};
  std::array<BoardSettings, kBoardCount> records{};
  DataServer server{page, [this](int b) -> const FrameState& { return frames[b]; },
                    [this](int b) -> const BoardSettings& { return records[b]; }};
  LoggerSide() {
    for (int b = 0; b < kBoardCount; ++b) {
      FillBoardDefaults(records[b], b, "/logger");
      StoreFieldBytes(records[b].modelName, "ORVA-2280");
      frames[b].MissedTicks = 0;
      const std::array<std::int32_t, 9> counts{100000, 200000 + b, 300000, 400000, 500000,
                                               600000, 700000, 800000, 900000};
      const std::string frame = FormatFrame(counts);
      std::memcpy(frames[b].ServedFrame, frame.c_str(), frame.size() + 1);
    }
    StoreFieldBytes(records[1].jobTitle, "Remote job");
    records[1].filterLength = 300;
    server.SetPorts({0, 0, 0, 0});
    server.SetBroadcastPauseMs(1);
    server.OpenServers();
  }
  std::array<quint16, kBoardCount> Ports() {
    std::array<quint16, kBoardCount> ports{};
    for (int b = 0; b < kBoardCount; ++b) ports[b] = server.Server(b).serverPort();
    return ports;
  }
};

}  // namespace

TEST_F(ViewerTest, InstallsTheServersRecordAndRecordsEveryDataReply) {
  // a second between polls, so that each record is later than the last
  ManualClock clock(Now());
  ScopedClock scoped(clock);
  LoggerSide logger;
  ClientSettings settings = Defaults();
  settings.remoteBoard[0] = 1;  // local board A takes the server's board B
  MainWindow& window = StartViewer(settings);
  client_->SetServerPorts(logger.Ports());
  EXPECT_TRUE(window.Timer2()->isActive());
  EXPECT_FALSE(window.Timer1()->isActive());
  // from here polls come from the ticks of the test only: two requests read
  // together would go unanswered
  window.Timer2()->stop();

  // before the connection is made, no poll and no "C" is sent
  Tick();
  Tick();
  window.configPage(0)->BtC->click();
  EXPECT_TRUE(window.clientPage()->MemoS->toPlainText().isEmpty());

  Connect(0);
  ASSERT_TRUE(WaitUntil([&] { return client_->SettingsReceived(0); }));
  EXPECT_EQ(std::memcmp(&window.state().Settings.boards[0], &logger.records[1], sizeof(BoardSettings)), 0);
  EXPECT_EQ(window.chartPage(0)->LblTitle->text(), "Remote job");
  EXPECT_EQ(window.configPage(0)->LblModel->text(), "ORVA-2280");
  EXPECT_EQ(window.state().Boards[0].frame.FrameLength, 72);
  EXPECT_EQ(window.configPage(0)->BtConnect->text(), "Disconnect");
  EXPECT_TRUE(window.configPage(0)->BtC->isEnabled());
  EXPECT_TRUE(window.clientPage()->MemoC->toPlainText().contains("127.0.0.1"));

  // every data reply runs the cycle and is recorded, whatever the interval
  for (int poll = 0; poll < 3; ++poll) {
    clock.AdvanceSeconds(1);
    Tick();
    Tick();
  }
  ASSERT_TRUE(WaitUntil([&] { return window.state().Boards[0].run.SampleCount == 3; }));
  EXPECT_TRUE(window.clientPage()->MemoS->toPlainText().contains("[DAQ1] Request:[a0]"));
  EXPECT_TRUE(MemoR().contains("[DAQ1] Received:[a0] 88 bytes"));
  const auto files = Recordings(dir_.path() + "/viewdata");
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].second, 3);

  // "C" while polling: the record again, polling goes on
  window.configPage(0)->BtC->click();
  ASSERT_TRUE(WaitUntil([&] { return MemoR().count("Received:[b0]") == 2; }));
  clock.AdvanceSeconds(1);
  Tick();
  Tick();
  ASSERT_TRUE(WaitUntil([&] { return window.state().Boards[0].run.SampleCount == 4; }));

  // the board stops delivering: paused, and the viewer closes
  logger.frames[1].MissedTicks = 1;
  Tick();
  Tick();
  ASSERT_TRUE(WaitUntil([&] { return client_->ClientStopped(0); }));
  EXPECT_TRUE(MemoR().contains("Tessar DAQ paused."));
  EXPECT_TRUE(WaitUntil([&] { return client_->Socket(0).state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_TRUE(WaitUntil([&] { return window.configPage(0)->BtConnect->text() == "Connect"; }));

  // the server stops: every listed viewer is told and stops
  Connect(2);
  ASSERT_TRUE(WaitUntil([&] { return client_->SettingsReceived(2); }));
  logger.server.StopServing();
  ASSERT_TRUE(WaitUntil([&] { return client_->ClientStopped(2); }));
  EXPECT_TRUE(MemoR().contains("Tessar terminated."));
}

// Without a window nobody presses Connect: a board whose logger went away is
// connected again, one that gives no data attempt after attempt is tried less
// and less often, quietly but for one line when hope is given up and one
// when data comes again; the viewer's shutdown ends it all.
TEST_F(ViewerTest, AnUnattendedViewerTriesABoardWithoutDataLessAndLessOften) {
  const struct {
    int refusals;
    int seconds;
  } waits[] = {{0, 30}, {1, 30}, {2, 60}, {3, 120}, {5, 480}, {6, 600}, {40, 600}};
  for (const auto& w : waits)
    EXPECT_EQ(DataClient::ReconnectDelayMs(w.refusals, 30000, 600000), w.seconds * 1000) << w.refusals;

  LoggerSide logger;
  logger.frames[3].MissedTicks = 1;  // board D has no device: its polls are answered "paused"
  ClientSettings settings = Defaults();
  for (std::int32_t& interval : settings.pollInterval) interval = 1;
  StartViewer(settings);
  const std::array<quint16, kBoardCount> ports = logger.Ports();
  client_->SetServerPorts(ports);
  client_->SetReconnectInterval(20, 80);
  QStringList lines;
  QObject::connect(client_, &DataClient::StatusMessage, [&](const QString& line) { lines << line; });
  // polls go out while waiting
  auto polling = [&](const std::function<bool()>& done) {
    return WaitUntil([&] {
      window_->Timer2Timer();
      return done();
    }, 10000);
  };
  auto board = [&](int b) { return lines.filter(QStringLiteral("DAQ%1").arg(b + 1)); };
  const QString connected = QStringLiteral("DAQ%1 connected to the Server.");

  client_->ConnectAll();
  ASSERT_TRUE(polling([&] { return client_->Refusals(3) >= 2; }));
  const qsizetype installed = lines.count("OK");  // the others' records are in by now
  ASSERT_TRUE(polling([&] { return client_->Refusals(3) >= 5; }));
  EXPECT_EQ(lines.count("OK"), installed) << "the quiet attempts install records without a word";
  EXPECT_EQ(client_->Refusals(0), 0);
  EXPECT_EQ(board(3), QStringList({connected.arg(4), "DAQ4 was disconnected to server.",
                                   QStringLiteral("DAQ4: no data from 127.0.0.1:%1 (Tessar DAQ paused.); "
                                                  "connecting again less and less often, at most every 0 s")
                                       .arg(ports[3])}));
  logger.frames[3].MissedTicks = 0;  // its device is there now
  ASSERT_TRUE(polling([&] { return client_->Refusals(3) == 0; }));
  EXPECT_EQ(board(3).size(), 4);
  EXPECT_EQ(board(3).last(), connected.arg(4));

  // the logger goes away: refused, quietly, but for one line a board
  const std::string log = (ExeDir() + "/Exception2.Err").toStdString();
  logger.server.StopServing();
  ASSERT_TRUE(polling([&] {
    for (int b = 0; b < kBoardCount; ++b)
      if (client_->Refusals(b) < 4) return false;
    return true;
  }));
  const QStringList a = board(0);
  ASSERT_EQ(a.size(), 3) << a.join('\n').toStdString();
  EXPECT_EQ(a[1], "DAQ1 was disconnected to server.");
  EXPECT_TRUE(a[2].startsWith(QStringLiteral("DAQ1: no data from 127.0.0.1:%1 (Connection refused)").arg(ports[0])))
      << a[2].toStdString();
  EXPECT_EQ(QString::fromStdString(FileText(log)).count("Asynchronous socket error 0 (Connection refused)"), 1)
      << FileText(log);

  logger.server.SetPorts(ports);
  logger.server.OpenServers();
  ASSERT_TRUE(polling([&] {
    for (int b = 0; b < kBoardCount; ++b)
      if (client_->Refusals(b) != 0) return false;
    return true;
  })) << "back once the logger is";
  EXPECT_EQ(board(0).size(), 4);
  EXPECT_EQ(board(0).last(), connected.arg(1));

  client_->CloseAll();
  const qsizetype told = lines.size();
  RunEventsFor(300);  // several of the longest waits
  for (int b = 0; b < kBoardCount; ++b)
    EXPECT_EQ(client_->Socket(b).state(), QAbstractSocket::UnconnectedState) << b;
  EXPECT_EQ(lines.size(), told);
}

// A faulty or hostile server sends data replies nobody asked for, or answers
// one poll three times: one record per request sent, the rest dropped and
// logged once for the connection.
TEST_F(ViewerTest, OnlyOneDataReplyPerRequestIsTaken) {
  QTcpServer fake;
  ASSERT_TRUE(fake.listen(QHostAddress::LocalHost, 0));
  ClientSettings settings = Defaults();
  settings.pollInterval[0] = 1;
  MainWindow& window = StartViewer(settings);
  window.Timer2()->stop();  // polls only from the ticks below
  client_->SetServerPorts({fake.serverPort(), fake.serverPort(), fake.serverPort(), fake.serverPort()});
  Connect(0);
  ASSERT_TRUE(WaitUntil([&] { return fake.hasPendingConnections(); }));
  QTcpSocket* peer = fake.nextPendingConnection();
  ASSERT_TRUE(WaitUntil([&] { return peer->bytesAvailable() >= kRequestSize; }));
  peer->readAll();
  BoardSettings record;
  FillBoardDefaults(record, 0, "/far");
  StoreFieldBytes(record.modelName, "ORVA-2200");
  peer->write(QByteArray::fromStdString(ComposeSettingsReply(record)));
  ASSERT_TRUE(WaitUntil([&] { return client_->SettingsReceived(0); }));

  char served[kFrameTextSize] = {};
  const std::string frame = FormatFrame(std::array<std::int32_t, 5>{1, 2, 3, 4, 5});
  std::memcpy(served, frame.c_str(), frame.size());
  const QByteArray data = QByteArray::fromStdString(ComposeDataReply(served));
  const QByteArray marker = QByteArray::fromStdString(ComposeReply(0x77, "?"));
  const struct {
    const char* name;
    int polls;
    int replies;
    int records;
  } cases[] = {
      {"unasked", 0, 3, 0},
      {"one poll answered three times", 1, 3, 1},
      {"two polls, each answered", 2, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const int before = window.state().Boards[0].run.SampleCount;
    for (int i = 0; i < c.polls; ++i) window.Timer2Timer();
    ASSERT_TRUE(WaitUntil([&] { return peer->bytesAvailable() >= c.polls * kRequestSize; }));
    peer->readAll();
    // the replies, then a reply of another code that shows they were all read
    const qsizetype answered = MemoR().count("Unknown Tessar response.");
    peer->write(data.repeated(c.replies) + marker);
    ASSERT_TRUE(WaitUntil([&] { return MemoR().count("Unknown Tessar response.") > answered; }));
    EXPECT_EQ(window.state().Boards[0].run.SampleCount - before, c.records);
  }
  EXPECT_EQ(MemoR().count("Unrequested reply [a0] dropped: 127.0.0.1:"), 1) << MemoR().toStdString();
  EXPECT_EQ(QString::fromStdString(FileText((ExeDir() + "/Exception2.Err").toStdString()))
                .count("Unrequested reply [a0] dropped"),
            1);
}

// A socket error on either side ends in the error log with its code; an
// orderly close by the other side is a disconnect and leaves no line.
TEST_F(ViewerTest, SocketErrorsOfServerAndClientEndInTheErrorLog) {
  LoggerSide logger;
  StartViewer(Defaults());
  const std::string log = (ExeDir() + "/Exception2.Err").toStdString();
  quint16 nobody = 0;
  {
    QTcpServer probe;  // a port nobody listens on any more
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    nobody = probe.serverPort();
  }
  QTcpServer closing;  // accepts, then closes at once
  ASSERT_TRUE(closing.listen(QHostAddress::LocalHost, 0));
  QObject::connect(&closing, &QTcpServer::newConnection, [&] {
    while (QTcpSocket* s = closing.nextPendingConnection()) s->disconnectFromHost();
  });
  auto viewerTo = [&](quint16 port) {
    client_->SetServerPorts({port, port, port, port});
    Connect(0);
    WaitUntil([&] { return window_->configPage(0)->BtConnect->text() == "Connect" &&
                           client_->Socket(0).state() == QAbstractSocket::UnconnectedState; });
  };
  std::unique_ptr<Peer> peer;
  auto peerOnBoardA = [&] {
    peer = std::make_unique<Peer>();
    ASSERT_TRUE(peer->Connect(logger.Ports()[0]));
    ASSERT_TRUE(WaitUntil([&] { return logger.server.ListedCount() == 1; }));
  };
  struct Case {
    const char* name;
    std::function<void()> act;
    const char* line;  // null: no line
  };
  const Case cases[] = {
      {"client, connection refused", [&] { viewerTo(nobody); },
       "QTcpSocket ===> Asynchronous socket error 0 (Connection refused)"},
      {"client, refused again and again: one line", [&] { for (int i = 0; i < 3; ++i) viewerTo(nobody); },
       "QTcpSocket ===> Asynchronous socket error 0 (Connection refused)"},
      {"client, server closes", [&] { viewerTo(closing.serverPort()); }, nullptr},
      {"server, error on a connection",
       [&] {
         peerOnBoardA();
         for (QTcpSocket* accepted : logger.server.findChildren<QTcpSocket*>())
           emit accepted->errorOccurred(QAbstractSocket::NetworkError);
         WaitUntil([&] { return peer->Closed(); });
         EXPECT_TRUE(MemoHas(logger.page.MemoR, ", Error Code:7"));
       },
       "QTcpSocket ===> Asynchronous socket error 7 ("},
      {"server, client closes",
       [&] {
         peerOnBoardA();
         peer->socket->disconnectFromHost();
         WaitUntil([&] { return logger.server.ListedCount() == 0; });
       },
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(log);
    c.act();  // ends once the socket's end was seen, its error (if any) reported before
    if (c.line == nullptr) {
      EXPECT_FALSE(FileExists(log)) << FileText(log);
    } else {
      const QStringList lines = QString::fromStdString(FileText(log)).split('\n', Qt::SkipEmptyParts);
      ASSERT_EQ(lines.size(), 1);
      EXPECT_TRUE(lines[0].contains(c.line)) << lines[0].toStdString();
    }
  }
}

TEST_F(ViewerTest, RepliesAreTakenByTheirLengthWhateverTheReadsAndHoldsConsumeData) {
  QTcpServer fake;
  ASSERT_TRUE(fake.listen(QHostAddress::LocalHost, 0));
  MainWindow& window = StartViewer(Defaults());
  window.Timer2()->stop();  // polls only when asked below
  client_->SetServerPorts({fake.serverPort(), fake.serverPort(), fake.serverPort(), fake.serverPort()});
  Connect(0);
  ASSERT_TRUE(WaitUntil([&] { return fake.hasPendingConnections(); }));
  QTcpSocket* peer = fake.nextPendingConnection();
  ASSERT_TRUE(WaitUntil([&] { return peer->bytesAvailable() >= 5; }));
  peer->readAll();
  // a data request from the viewer (every second tick), so that a reply is taken
  auto ask = [&] {
    window.Timer2Timer();
    window.Timer2Timer();
    ASSERT_TRUE(WaitUntil([&] { return peer->bytesAvailable() >= 5; }));
    peer->readAll();
  };

  BoardSettings record;
  FillBoardDefaults(record, 3, "/far");
  StoreFieldBytes(record.modelName, "ORVA-2200");
  StoreFieldBytes(record.jobTitle, "Split job");
  const std::string settings = ComposeSettingsReply(record);
  auto sendInPieces = [&](const std::string& bytes, std::initializer_list<std::size_t> cuts) {
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
      peer->write(bytes.data() + at, static_cast<qint64>(cut - at));
      peer->flush();
      WaitUntil([&] { return AllTakenIn(*client_); });  // a read of its own
      at = cut;
    }
    peer->write(bytes.data() + at, static_cast<qint64>(bytes.size() - at));
    peer->flush();
  };
  sendInPieces(settings, {5, 700, 1300});
  ASSERT_TRUE(WaitUntil([&] { return client_->SettingsReceived(0); }));
  EXPECT_EQ(std::memcmp(&window.state().Settings.boards[0], &record, sizeof record), 0);
  EXPECT_EQ(window.chartPage(0)->LblTitle->text(), "Split job");
  EXPECT_EQ(window.state().Boards[0].frame.FrameLength, 40);

  // a data reply during a hold is consumed without a cycle
  char served[kFrameTextSize] = {};
  const std::string frame = FormatFrame(std::array<std::int32_t, 5>{1, 2, 3, 4, 5});
  std::memcpy(served, frame.c_str(), frame.size());
  ask();
  {
    ScopedAcquisitionHold hold;
    sendInPieces(ComposeDataReply(served), {});
    ASSERT_TRUE(WaitUntil([&] { return MemoR().contains("Received:[a0]"); }));
  }
  EXPECT_EQ(window.state().Boards[0].run.SampleCount, 0);
  // a bad length drops what came with it; the stream goes on after it
  sendInPieces(ComposeReply(kDataCode, std::string(200, 'x')), {});
  ASSERT_TRUE(WaitUntil([&] { return MemoR().contains("Too many data"); }));
  ask();
  sendInPieces(ComposeDataReply(served), {44});
  EXPECT_TRUE(WaitUntil([&] { return window.state().Boards[0].run.SampleCount == 1; }));
  sendInPieces(ComposeReply(0x77, "?"), {});
  EXPECT_TRUE(WaitUntil([&] { return MemoR().contains("Unknown Tessar response."); }));
  EXPECT_FALSE(client_->ClientStopped(0));
}

TEST_F(ViewerTest, OwnSettingsFileIsReadBoundedAndWrittenWithBoardAsAddresses) {
  ClientSettings settings = Defaults();
  settings.serverCount = 99;
  std::memset(settings.serverAddress, 0, sizeof settings.serverAddress);
  StoreFieldBytes(settings.serverAddress[0], "10.1.1.1");
  StoreFieldBytes(settings.serverAddress[1], "1.2.3");  // five characters: not offered
  std::memset(settings.serverAddress[2], '9', kServerAddressSize);  // no terminator
  StoreFieldBytes(settings.serverAddress[3], "logger.lab");
  settings.remoteBoard[0] = 7;
  settings.remoteBoard[1] = -1;
  settings.remoteBoard[2] = 0;
  // intervals outside the box's 1..1000 are brought into it
  const std::int32_t stored[kBoardCount] = {5000, 0, -3, 5};
  const int shown[kBoardCount] = {1000, 1, 1, 5};
  for (int b = 0; b < kBoardCount; ++b) settings.pollInterval[b] = stored[b];
  std::memset(settings.clientDataDirectory, 0, sizeof settings.clientDataDirectory);
  MainWindow& window = StartViewer(settings);

  for (int b = 0; b < kBoardCount; ++b) {
    SCOPED_TRACE(b);
    const QComboBox& list = *window.configPage(b)->CBAddr;
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.itemText(0), "10.1.1.1");
    EXPECT_EQ(list.itemText(2), "logger.lab");
    EXPECT_EQ(list.currentIndex(), 0);
  }
  EXPECT_EQ(window.configPage(0)->UDPort->value(), 1);  // 7: its own board
  EXPECT_EQ(window.configPage(1)->UDPort->value(), 2);
  EXPECT_EQ(window.configPage(2)->UDPort->value(), 1);
  for (int b = 0; b < kBoardCount; ++b) {
    EXPECT_EQ(window.configPage(b)->UDInt->value(), shown[b]) << b;
    EXPECT_EQ(client_->PollInterval(b), shown[b]) << b;
  }
  EXPECT_EQ(window.state().CurrentDataDirectory, dir_.path() + "/Tessview");
  EXPECT_TRUE(QDir(dir_.path() + "/Tessview").exists());

  // a new address goes on top, once; board B's list is not saved
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
  client_->SetServerPorts({closed.serverPort(), closed.serverPort(), closed.serverPort(), closed.serverPort()});
  for (int i = 0; i < 2; ++i) {
    window.configPage(0)->CBAddr->setEditText("127.0.0.1");
    Connect(0);
    ASSERT_TRUE(WaitUntil([&] { return closed.hasPendingConnections(); }));
    delete closed.nextPendingConnection();  // the server ends it
    ASSERT_TRUE(WaitUntil([&] { return client_->Socket(0).state() == QAbstractSocket::UnconnectedState; }));
  }
  window.configPage(1)->CBAddr->setEditText("192.168.7.7");
  Connect(1);
  EXPECT_EQ(window.configPage(0)->CBAddr->itemText(0), "127.0.0.1");
  EXPECT_EQ(window.configPage(0)->CBAddr->count(), 4);
  window.configPage(2)->UDPort->setValue(4);
  window.configPage(1)->UDInt->setValue(9);

  dialogs_.QueueConfirm(true);
  window.close();
  const std::vector<unsigned char> bytes = ReadBytes((ExeDir() + "/tessview.SET").toStdString());
  ASSERT_EQ(bytes.size(), 372u);
  ClientSettings saved;
  std::memcpy(&saved, bytes.data(), sizeof saved);
  EXPECT_EQ(saved.englishUi, 1);
  EXPECT_EQ(saved.serverCount, 3);  // the unterminated entry does not fit and is left out
  EXPECT_STREQ(saved.serverAddress[0], "127.0.0.1");
  EXPECT_STREQ(saved.serverAddress[1], "10.1.1.1");
  EXPECT_STREQ(saved.serverAddress[2], "logger.lab");
  EXPECT_EQ(saved.remoteBoard[0], 0);
  EXPECT_EQ(saved.remoteBoard[2], 3);
  EXPECT_EQ(saved.pollInterval[0], 1000);
  EXPECT_EQ(saved.pollInterval[1], 9);
  EXPECT_EQ(saved.pollInterval[2], 1);
  EXPECT_EQ(saved.pollInterval[3], 5);
  EXPECT_EQ(ReadField(saved.clientDataDirectory), dir_.path() + "/Tessview");
}

TEST_F(WindowTest, LoggerTellsItsClientsBeforeItsServersCloseAndOnTheSwitch) {
  WriteSettings(DefaultImage());
  window_ = std::make_unique<MainWindow>(kTessarEdition, ExePath(), &dialogs_);
  window_->SetCloseDelayMs(0);
  MainWindow& window = *window_;
  DataServer* server = window.network().Server();
  ASSERT_NE(server, nullptr);
  server->SetPorts({0, 0, 0, 0});
  window.TimerSTimer();
  for (int b = 0; b < kBoardCount; ++b) ASSERT_TRUE(server->Server(b).isListening());
  server->SetBroadcastPauseMs(1);
  const QByteArray notice(ComposeClosedReply(kServerClosedText).c_str(), 24);

  Peer first;
  ASSERT_TRUE(first.Connect(server->Server(1).serverPort()));
  ASSERT_TRUE(WaitUntil([&] { return server->ListedCount() == 1; }));
  window.clientPage()->ChkNetOff->click();
  ASSERT_TRUE(first.WaitFor(24));
  EXPECT_EQ(first.received, notice);
  EXPECT_TRUE(WaitUntil([&] { return first.Closed(); }));
  EXPECT_FALSE(server->Server(0).isListening());
  window.clientPage()->ChkNetOff->click();
  EXPECT_TRUE(server->Server(3).isListening());

  Peer second;
  ASSERT_TRUE(second.Connect(server->Server(3).serverPort()));
  second.Send(ComposeRequest(kSettingsCode));
  ASSERT_TRUE(second.WaitFor(1312));
  second.received.clear();
  dialogs_.QueueConfirm(true);
  window.close();
  ASSERT_TRUE(second.WaitFor(24));
  EXPECT_EQ(second.received, notice);
  EXPECT_TRUE(WaitUntil([&] { return second.Closed(); }));
  for (int b = 0; b < kBoardCount; ++b) EXPECT_FALSE(server->Server(b).isListening());
}
