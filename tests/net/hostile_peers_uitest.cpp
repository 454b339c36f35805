// Hostile peers against a logger that is recording: orva-sim streams four
// devices into the main window while one client sends random bytes, one
// connects and closes in a loop and one asks for settings without ever
// reading its replies. Every board goes on recording one record per tick,
// a well-behaved client is answered throughout, and the one that never
// reads is dropped.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTextBlock>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include "../shell/window_fixture.h"
#include "net/net_message.h"
#include "net/ui/client_page.h"
#include "net/ui/data_network.h"
#include "net/ui/data_server.h"
#include "net_fixture.h"

namespace tessar::test {
namespace {

constexpr const char* kModels[kBoardCount] = {"ORVA-2280", "ORVA-2200", "ORVA-2100", "ORVA-2000"};

TEST_F(WindowTest, HostilePeersLeaveEveryBoardRecordingAndTheOthersServed) {
  QStringList devices;
  for (int b = 0; b < kBoardCount; ++b)
    devices << "--device" << QString("COM%1").arg(b + 1) << "--model" << kModels[b] << "--period" << "100";
  SimProcess sim(ExeDir() + "/ports", devices);
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  SettingsImage image = DefaultImage();
  for (int b = 0; b < kBoardCount; ++b) {
    BoardSettings& r = image.boards[b];
    r.englishUi = 1;
    r.portNumber = b + 1;
    StoreFieldBytes(r.modelName, kModels[b]);
    r.sampleInterval = 1;
  }
  WriteSettings(image);
  window_ = std::make_unique<MainWindow>(kTessarEdition, ExePath(), &dialogs_);
  MainWindow& window = *window_;
  DataServer& server = *window.network().Server();
  server.SetPorts({0, 0, 0, 0});
  window.TimerSTimer();
  window.Timer1()->stop();  // ticks driven below, each on fresh frames
  auto port = [&](int b) { return server.Server(b).serverPort(); };
  const QString data = window.state().CurrentDataDirectory;
  auto records = [&](int board) {
    int n = 0;
    for (const auto& [path, count] : Recordings(data))
      if (path.contains(QString("/%1/").arg(QChar('A' + board)))) n += count;
    return n;
  };
  int ticks = 0;
  auto tick = [&] {
    ASSERT_TRUE(WaitUntil([&] {
      for (const BoardRunState& b : window.state().Boards)
        if (!b.frame.FrameReady) return false;
      return true;
    }, 3000)) << "a board stopped receiving";
    window.Timer1Timer();
    ++ticks;
  };
  tick();
  tick();
  std::array<int, kBoardCount> before{};
  for (int b = 0; b < kBoardCount; ++b) before[b] = records(b);
  ticks = 0;

  // each peer from an address of its own, so that the log tells them apart
  Peer steady;
  ASSERT_TRUE(steady.Connect(port(0), Loopback(2)));
  Peer noisy;
  ASSERT_TRUE(noisy.Connect(port(1), Loopback(3)));
  // Asks for settings, never reads. Its receive buffer is made small before
  // it connects (Qt would set it only once connected, after the window is
  // agreed), so the backlog builds on the logger's side within a few hundred
  // replies whatever the machine's TCP autotuning allows.
  QTcpSocket deaf;
  deaf.setReadBufferSize(1);
  {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const int small = 4096;
    ASSERT_EQ(::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
    sockaddr_in from{AF_INET, 0, {htonl(INADDR_LOOPBACK + 3)}, {}};  // 127.0.0.4
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&from), sizeof from), 0);
    sockaddr_in to{AF_INET, htons(port(2)), {htonl(INADDR_LOOPBACK)}, {}};
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
    ASSERT_TRUE(deaf.setSocketDescriptor(fd));
  }

  // The deaf client asks again once its last request was answered: two
  // requests read together go unanswered, and on a loaded machine a client
  // that asks every round could keep the logger one read behind for good.
  // A request is answered when its line is added to the log (counted on the
  // addition, not on the change that drops the bounded log's first line).
  QPlainTextEdit* memoR = window.clientPage()->MemoR;
  const QString deafRequest = QStringLiteral("127.0.0.4:%1 /").arg(deaf.localPort());
  int deafAsked = 0;
  int deafAnswered = 0;
  QObject::connect(memoR->document(), &QTextDocument::contentsChange, memoR, [&](int, int, int added) {
    if (added > 0 && memoR->document()->lastBlock().text().contains(deafRequest)) ++deafAnswered;
  });

  QRandomGenerator random(7);
  bool deafDropped = false;
  for (int round = 0; round < 6000 && (!deafDropped || ticks < 5); ++round) {
    QByteArray junk(1 + random.bounded(40), Qt::Uninitialized);
    for (char& c : junk) c = static_cast<char>(random.bounded(256));
    noisy.socket->write(junk);
    noisy.socket->flush();
    if (round % 50 == 0) {
      QTcpSocket flicker;
      flicker.bind(QHostAddress(Loopback(5)));
      flicker.connectToHost(QStringLiteral("127.0.0.1"), port(3));
      flicker.waitForConnected(1000);
      flicker.abort();
    }
    if (!deafDropped && deafAnswered >= deafAsked) {
      deaf.write(ComposeRequest(kSettingsCode).c_str(), kRequestSize);
      deaf.flush();
      ++deafAsked;
    }
    ASSERT_TRUE(WaitUntil([&] { return AllTakenIn(server); })) << "round " << round;
    // the line scrolls out of the bounded memo later: seen once is enough
    deafDropped = deafDropped || MemoHas(memoR, "Client dropped, replies not read");
    if (round % 100 == 0) {
      steady.received.clear();
      steady.Send(ComposeRequest(kDataCode));
      ASSERT_TRUE(steady.WaitFor(88)) << "round " << round;
      EXPECT_EQ(static_cast<std::uint8_t>(steady.received[0]), kDataCode) << "a fresh frame";
      tick();
      if (HasFatalFailure()) return;
    }
  }
  EXPECT_TRUE(deafDropped) << deafAsked << " asked, " << deafAnswered << " answered, after "
                          << ticks << " ticks; " << server.ConnectionCount()
                          << " connections, " << server.ListedCount() << " listed, the deaf one "
                          << deaf.state() << ", the log ends:\n"
                          << memoR->toPlainText().right(2000).toStdString();
  for (int b = 0; b < kBoardCount; ++b)
    EXPECT_EQ(records(b), before[b] + ticks) << "board " << char('A' + b);
  // the deaf client's connection is gone; the flickering ones went by themselves
  EXPECT_TRUE(WaitUntil([&] { return server.ConnectionCount() == 2; }));
  EXPECT_LE(server.ListedCount(), 3);
  steady.received.clear();
  steady.Send(ComposeRequest(kSettingsCode));
  EXPECT_TRUE(steady.WaitFor(1312));
  EXPECT_FALSE(steady.Closed());
  EXPECT_FALSE(FileExists(ExeDir().toStdString() + "/Exception1.Err"));
}

}  // namespace
}  // namespace tessar::test
