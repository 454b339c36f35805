// The data servers over real loopback sockets: answers, the client limit,
// reconnects and the network switch (hostile peers: hostile_peers_uitest).
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QTcpServer>
#include <cstring>

#include "net/net_message.h"
#include "net/ui/client_page.h"
#include "net/ui/data_server.h"
#include "net_fixture.h"

using namespace tessar;
using namespace tessar::test;

namespace {

class DataServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int b = 0; b < kBoardCount; ++b) {
      FillBoardDefaults(records_[b], b, "/data");
      std::snprintf(frames_[b].ServedFrame, kFrameTextSize, "frame of board %d\r\n", b);
      frames_[b].MissedTicks = 0;
    }
    server_ = std::make_unique<DataServer>(
        page_, [this](int b) -> const FrameState& { return frames_[b]; },
        [this](int b) -> const BoardSettings& { return records_[b]; });
    server_->SetKoreanUi(false);
    server_->SetPorts({0, 0, 0, 0});
    server_->SetBroadcastPauseMs(1);
    server_->OpenServers();
  }
  quint16 Port(int board) { return server_->Server(board).serverPort(); }
  int MemoCLines() const {
    const QString text = page_.MemoC->toPlainText();
    return text.isEmpty() ? 0 : static_cast<int>(text.count('\n')) + 1;
  }

  ClientPage page_{QStringLiteral("Client List")};
  std::array<FrameState, kBoardCount> frames_{};
  std::array<BoardSettings, kBoardCount> records_{};
  std::unique_ptr<DataServer> server_;
};

}  // namespace

TEST_F(DataServerTest, AnswersEachRequestOfItsBoardAndLogsIt) {
  for (int b = 0; b < kBoardCount; ++b) EXPECT_TRUE(server_->Server(b).isListening());
  EXPECT_TRUE(MemoHas(page_.MemoR, "Listening: 0.0.0.0:"));
  frames_[3].MissedTicks = 1;
  struct Case {
    const char* name;
    int board;
    std::string request;
    int replyCode;  // -1: no reply
    int replySize;
    const char* memoR;
    const char* memoS;
  };
  const Case cases[] = {
      {"data", 1, ComposeRequest(kDataCode), 0xA0, 88, "[DAQ2] Request:[a0] 127.0.0.1:", "[DAQ2] Send:[A0]"},
      {"settings", 2, ComposeRequest(kSettingsCode), 0xB0, 1312, "[DAQ3] Request:[b0]", "/ 1312 bytes"},
      {"no fresh frame", 3, ComposeRequest(kDataCode), 0xC0, 88, "[DAQ4] Request:[a0]", "[DAQ4] Send:[C0]"},
      {"unknown code", 0, ComposeRequest(0x33), -1, 0, "Unkown Code", nullptr},
      {"six bytes", 0, ComposeRequest(kDataCode) + std::string(1, '\0'), -1, 0, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    page_.MemoR->clear();
    page_.MemoS->clear();
    Peer peer;
    ASSERT_TRUE(peer.Connect(Port(c.board)));
    peer.Send(c.request);
    if (c.replyCode >= 0) {
      ASSERT_TRUE(peer.WaitFor(c.replySize));
      EXPECT_EQ(peer.received.size(), c.replySize);
      EXPECT_EQ(static_cast<std::uint8_t>(peer.received[0]), c.replyCode);
    } else {
      // taken in and read by the logger: a reply would be on its way by now
      const QString listed = QStringLiteral("127.0.0.1:%1").arg(peer.socket->localPort());
      ASSERT_TRUE(WaitUntil([&] { return MemoHas(page_.MemoC, listed) && AllTakenIn(*server_); }));
    }
    if (c.memoR) {
      EXPECT_TRUE(MemoHas(page_.MemoR, c.memoR)) << page_.MemoR->toPlainText().toStdString();
    }
    if (c.memoS) {
      EXPECT_TRUE(MemoHas(page_.MemoS, c.memoS)) << page_.MemoS->toPlainText().toStdString();
    }
    // whatever came before, the connection answers the next request (and
    // nothing else came after a request without a reply)
    if (c.replyCode >= 0) peer.received.clear();
    peer.Send(ComposeRequest(kSettingsCode));
    ASSERT_TRUE(peer.WaitFor(1312));
    EXPECT_EQ(peer.received.mid(8), QByteArray(reinterpret_cast<const char*>(&records_[c.board]), 1304));
  }
}

TEST_F(DataServerTest, FifteenClientsOverFourBoardsThenTooManyUserAndClosed) {
  std::vector<std::unique_ptr<Peer>> peers;
  for (int i = 0; i < DataServer::kClientLimit; ++i) {
    peers.push_back(std::make_unique<Peer>());
    ASSERT_TRUE(peers.back()->Connect(Port(i % kBoardCount), Loopback(i + 2)));
  }
  ASSERT_TRUE(WaitUntil([&] { return server_->ListedCount() == 15; }))
      << server_->ListedCount() << " listed of " << server_->ConnectionCount() << " connections\n"
      << page_.MemoC->toPlainText().toStdString() << "\n"
      << page_.MemoR->toPlainText().toStdString();
  EXPECT_EQ(MemoCLines(), 15);
  EXPECT_TRUE(MemoHas(page_.MemoC, QStringLiteral("127.0.0.2:%1").arg(peers[0]->socket->localPort())));

  Peer refused;
  ASSERT_TRUE(refused.Connect(Port(2), Loopback(30)));
  ASSERT_TRUE(refused.WaitFor(21));
  EXPECT_EQ(refused.received, QByteArray(ComposeClosedReply(kTooManyUsersText).c_str(), 21));
  EXPECT_TRUE(WaitUntil([&] { return refused.Closed(); })) << "the refused client is closed";
  EXPECT_EQ(server_->ListedCount(), 15);

  // one leaves: its line goes, and a newcomer is listed again
  peers[4]->socket->disconnectFromHost();
  ASSERT_TRUE(WaitUntil([&] { return server_->ListedCount() == 14; }));
  EXPECT_EQ(MemoCLines(), 14);
  EXPECT_TRUE(MemoHas(page_.MemoR, "Client Disconnect: 127.0.0.6:"));
  Peer newcomer;
  ASSERT_TRUE(newcomer.Connect(Port(0), Loopback(31)));
  EXPECT_TRUE(WaitUntil([&] { return server_->ListedCount() == 15; }));
  EXPECT_TRUE(newcomer.received.isEmpty());
}

// A peer that comes back from the same address and port has one line once
// its old connection is seen to go, before or after the new one came.
TEST_F(DataServerTest, AReconnectFromTheSameAddressAndPortIsListedOnce) {
  quint16 localPort = 0;
  {
    QTcpSocket probe;  // a local port that is free now
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    localPort = probe.localPort();
  }
  const QString key = QStringLiteral("127.0.0.1:%1").arg(localPort);
  auto connectFrom = [&](QTcpSocket& socket) {
    ASSERT_TRUE(socket.bind(QHostAddress::LocalHost, localPort, QAbstractSocket::ReuseAddressHint));
    socket.connectToHost(QHostAddress::LocalHost, Port(0));
    ASSERT_TRUE(socket.waitForConnected(3000)) << socket.errorString().toStdString();
  };
  for (const bool oldSeenFirst : {false, true}) {
    SCOPED_TRACE(oldSeenFirst ? "old connection seen to go first" : "new connection seen first");
    auto old = std::make_unique<QTcpSocket>();
    connectFrom(*old);
    ASSERT_TRUE(WaitUntil([&] { return server_->ListedCount() == 1; }));
    // gone at once (reset), so that the port can be used again right away
    const linger reset{1, 0};
    ::setsockopt(static_cast<int>(old->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    old->abort();
    if (oldSeenFirst) {
      ASSERT_TRUE(WaitUntil([&] { return server_->ListedCount() == 0; }));
    }
    QTcpSocket again;
    connectFrom(again);
    // the new connection taken in before the old one's end is read
    if (!oldSeenFirst) {
      ASSERT_TRUE(server_->Server(0).waitForNewConnection(3000));
    }
    // the old connection's end is seen: one line, the new connection's
    EXPECT_TRUE(WaitUntil([&] { return server_->ListedCount() == 1; }));
    EXPECT_EQ(page_.MemoC->toPlainText(), key);
    again.write(ComposeRequest(kDataCode).c_str(), kRequestSize);
    EXPECT_TRUE(WaitUntil([&] { return again.bytesAvailable() >= 88; }));
    again.disconnectFromHost();
    EXPECT_TRUE(WaitUntil([&] { return server_->ListedCount() == 0 && MemoCLines() == 0; }));
  }
}

TEST_F(DataServerTest, NetworkSwitchTellsEveryClientThenClosesEveryConnection) {
  std::vector<std::unique_ptr<Peer>> peers;
  for (int i = 0; i < DataServer::kClientLimit + 1; ++i) {
    peers.push_back(std::make_unique<Peer>());
    ASSERT_TRUE(peers.back()->Connect(Port(i % kBoardCount), Loopback(i + 2)));
  }
  ASSERT_TRUE(WaitUntil([&] { return server_->ListedCount() == 15; }));
  server_->StopServing();
  const QByteArray notice(ComposeClosedReply(kServerClosedText).c_str(), 24);
  for (int i = 0; i < DataServer::kClientLimit; ++i) {
    ASSERT_TRUE(peers[i]->WaitFor(24));
    EXPECT_EQ(peers[i]->received, notice);
  }
  for (auto& peer : peers) EXPECT_TRUE(WaitUntil([&] { return peer->Closed(); }));
  EXPECT_EQ(MemoCLines(), 0);
  EXPECT_EQ(server_->ConnectionCount(), 0);
  for (int b = 0; b < kBoardCount; ++b) EXPECT_FALSE(server_->Server(b).isListening());

  server_->OpenServers();
  Peer again;
  ASSERT_TRUE(again.Connect(Port(1)));
  again.Send(ComposeRequest(kDataCode));
  EXPECT_TRUE(again.WaitFor(88));
}

// The list holds connections: two live ones from one address and port (one
// local port bound twice, to two boards) are two entries, each counts toward
// the limit, each is told "Server is closed", and one leaving takes one line.
TEST_F(DataServerTest, TheClientListHoldsConnectionsNotTheirText) {
  quint16 shared = 0;
  {
    QTcpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    shared = probe.localPort();
  }
  const QString key = QStringLiteral("127.0.0.1:%1").arg(shared);
  std::vector<std::unique_ptr<Peer>> peers;
  // two from one address and port, the rest of the limit and one more from
  // addresses of their own, each taken in before the next comes
  for (int i = 0; i < DataServer::kClientLimit + 1; ++i) {
    peers.push_back(std::make_unique<Peer>());
    const bool ok = i < 2 ? peers.back()->Connect(Port(i), "127.0.0.1", shared)
                          : peers.back()->Connect(Port(i % kBoardCount), QStringLiteral("127.0.0.%1").arg(i));
    ASSERT_TRUE(ok) << i;
    ASSERT_TRUE(WaitUntil([&] { return server_->ConnectionCount() == i + 1; })) << i;
  }
  EXPECT_EQ(server_->ListedCount(), 15);
  ASSERT_TRUE(peers.back()->WaitFor(21)) << "the 16th is refused";
  EXPECT_EQ(MemoCLines(), 15);
  EXPECT_EQ(page_.MemoC->toPlainText().count(key), 2);
  EXPECT_TRUE(MemoHas(page_.MemoC, "127.0.0.14:"));
  EXPECT_FALSE(MemoHas(page_.MemoC, "127.0.0.15:"));

  peers[0]->socket->disconnectFromHost();
  ASSERT_TRUE(WaitUntil([&] { return server_->ListedCount() == 14; }));
  EXPECT_EQ(page_.MemoC->toPlainText().count(key), 1);
  EXPECT_EQ(MemoCLines(), 14);

  server_->StopServing();
  const QByteArray notice(ComposeClosedReply(kServerClosedText).c_str(), 24);
  for (int i = 1; i < DataServer::kClientLimit; ++i) {
    ASSERT_TRUE(peers[i]->WaitFor(24)) << i;
    EXPECT_EQ(peers[i]->received, notice) << i;
  }
}

// A peer may send its request and at once end its sending side (a FIN in the
// same segment): the reply still goes out before the connection is let go.
TEST_F(DataServerTest, ARequestArrivingWithThePeersEndIsAnswered) {
  const struct {
    std::uint8_t code;
    int replySize;
  } cases[] = {{kDataCode, kFrameReplySize}, {kSettingsCode, kSettingsReplySize}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    for (int round = 0; round < 5; ++round) {
      Peer peer;
      ASSERT_TRUE(peer.Connect(Port(1)));
      const int fd = static_cast<int>(peer.socket->socketDescriptor());
      const std::string request = ComposeRequest(c.code);
      // both in one segment: the request written by hand, then the FIN
      const int cork = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_CORK, &cork, sizeof cork);
      ASSERT_EQ(::send(fd, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
      ASSERT_EQ(::shutdown(fd, SHUT_WR), 0);
      ASSERT_TRUE(peer.WaitFor(c.replySize)) << "round " << round;
      EXPECT_EQ(static_cast<std::uint8_t>(peer.received[0]), c.code);
    }
  }
}

// A viewer machine that vanishes sends no FIN: the accepted connection probes
// its peer after a minute of silence, every ten seconds, six times.
TEST_F(DataServerTest, AcceptedConnectionsProbeASilentPeer) {
  Peer peer;
  ASSERT_TRUE(peer.Connect(Port(2)));
  ASSERT_TRUE(WaitUntil([&] { return server_->ConnectionCount() == 1; }));
  const QList<QTcpSocket*> accepted = server_->findChildren<QTcpSocket*>();
  ASSERT_EQ(accepted.size(), 1);
  const int fd = static_cast<int>(accepted[0]->socketDescriptor());
  const struct {
    const char* name;
    int level;
    int option;
    int value;
  } cases[] = {
      {"keepalive", SOL_SOCKET, SO_KEEPALIVE, 1},
      {"idle", IPPROTO_TCP, TCP_KEEPIDLE, 60},
      {"interval", IPPROTO_TCP, TCP_KEEPINTVL, 10},
      {"probes", IPPROTO_TCP, TCP_KEEPCNT, 6},
  };
  for (const auto& c : cases) {
    int value = -1;
    socklen_t size = sizeof value;
    ASSERT_EQ(::getsockopt(fd, c.level, c.option, &value, &size), 0) << c.name;
    EXPECT_EQ(value, c.value) << c.name;
  }
}

// A port another program holds: one line naming the board, the port and the
// reason when that begins, quiet tries meanwhile, and one line when the port
// opens and the board is served.
TEST(DataServerPorts, ATakenPortIsToldOnceThenServedWhenItFrees) {
  QTcpServer holder;
  ASSERT_TRUE(holder.listen(QHostAddress::AnyIPv4, 0));
  const quint16 taken = holder.serverPort();
  ClientPage page{QStringLiteral("Client List")};
  FrameState frame{};
  BoardSettings record{};
  DataServer server(page, [&](int) -> const FrameState& { return frame; },
                    [&](int) -> const BoardSettings& { return record; });
  server.SetKoreanUi(false);
  server.SetPorts({0, 0, taken, 0});
  server.SetListenRetryMs(10);
  QStringList lines;
  QObject::connect(&server, &DataServer::StatusMessage, [&](const QString& line) { lines << line; });
  server.OpenServers();
  EXPECT_FALSE(server.Server(2).isListening());
  EXPECT_TRUE(server.Server(3).isListening());
  RunEventsFor(100);  // tries of the retry timer pass
  const QStringList taking = lines.filter(QStringLiteral("DAQ3: data server port %1 cannot be opened (").arg(taken));
  ASSERT_EQ(taking.size(), 1) << lines.join('\n').toStdString();
  EXPECT_TRUE(taking[0].contains("in use")) << taking[0].toStdString();

  holder.close();
  ASSERT_TRUE(WaitUntil([&] { return server.Server(2).isListening(); }));
  EXPECT_EQ(lines.filter(QStringLiteral("DAQ3: data server port %1 is open now").arg(taken)).size(), 1)
      << lines.join('\n').toStdString();
  EXPECT_EQ(lines.filter("cannot be opened").size(), 1);
  Peer peer;
  ASSERT_TRUE(peer.Connect(taken));
  peer.Send(ComposeRequest(kSettingsCode));
  EXPECT_TRUE(peer.WaitFor(kSettingsReplySize));
}
