// The serial channel on real pseudo-terminals, and the board ports against
// orva-sim: line settings, the emulated LF event, frame acceptance and the
// relay commands of shutdown.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <map>

#include "device/device_protocol.h"
#include "device/frame_reception.h"
#include "device/port_names.h"
#include "device/ui/board_link.h"
#include "device/ui/serial_channel.h"
#include "sim_harness.h"

namespace tessar {
namespace {

using test::SimProcess;
using test::WaitUntil;

// A pseudo-terminal linked as COMn in a ports folder of its own.
struct LinkedPty {
  LinkedPty() {
    EXPECT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    number = test::NextPortNumber();
    QDir().mkpath(dir.path() + "/ports");
    EXPECT_TRUE(QFile::link(QString::fromLocal8Bit(ttyname(slave)),
                            dir.path() + "/ports/" + QString::fromStdString(ComName(number))));
  }
  ~LinkedPty() {
    close(master);
    close(slave);
  }
  QString Folder() const { return dir.path() + "/ports"; }
  QString Name() const { return QString::fromStdString(ComName(number)); }
  // What the channel wrote, up to the CR that ends a command.
  std::string ReadMaster() {
    std::string text;
    WaitUntil([&] {
      char buffer[256];
      fcntl(master, F_SETFL, O_NONBLOCK);
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
      return !text.empty() && text.back() == '\r';
    }, 2000);
    return text;
  }
  void WriteMaster(const std::string& bytes) {
    ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  QTemporaryDir dir;
  int master = -1;
  int slave = -1;
  int number = 0;
};

TEST(SerialChannel, LineSettingsEventsAndReads) {
  LinkedPty pty;
  SerialChannel channel("ComPort1");
  channel.SetPortsFolder(pty.Folder());
  channel.SetPort(pty.Name());
  int afterOpen = 0;
  QObject::connect(&channel, &SerialChannel::AfterOpen, [&] { ++afterOpen; });
  ASSERT_TRUE(channel.Open()) << channel.ErrorString().toStdString();
  EXPECT_TRUE(channel.Connected());
  EXPECT_EQ(afterOpen, 1);

  termios tio{};
  ASSERT_EQ(tcgetattr(pty.slave, &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);

  int flags = 0;
  std::vector<int> charCounts;
  QObject::connect(&channel, &SerialChannel::RxFlag, [&] { ++flags; });
  QObject::connect(&channel, &SerialChannel::RxChar, [&](int n) { charCounts.push_back(n); });
  pty.WriteMaster("0012AB, ");
  // the line event is decided together with the character event
  ASSERT_TRUE(WaitUntil([&] { return !charCounts.empty() && charCounts.back() == 8; }, 2000));
  EXPECT_EQ(flags, 0);  // no LF yet
  pty.WriteMaster("7FFFFF\r\nxy");
  ASSERT_TRUE(WaitUntil([&] { return flags > 0; }, 2000));
  EXPECT_EQ(channel.ReadStr(3), QByteArray("001"));
  EXPECT_EQ(channel.ReadStr(500), QByteArray("2AB, 7FFFFF\r\nxy"));
  EXPECT_EQ(channel.ReadStr(500), QByteArray());

  // Waiting input is dropped by ClearBuffer.
  pty.WriteMaster("stale");
  ASSERT_TRUE(WaitUntil([&] { return channel.InQueue() == 5; }, 2000));
  channel.ClearBuffer(true, true);
  EXPECT_EQ(channel.InQueue(), 0);

  ASSERT_TRUE(channel.WriteStr(kStreamCommand));
  EXPECT_EQ(pty.ReadMaster(), "DK\r");

  // A second channel on the same port fails, as a second board on it would.
  SerialChannel second("ComPort2");
  second.SetPortsFolder(pty.Folder());
  second.SetPort(pty.Name());
  EXPECT_FALSE(second.Open());
  EXPECT_FALSE(second.Connected());

  channel.Close();
  EXPECT_FALSE(channel.Connected());
  EXPECT_FALSE(channel.WriteStr("D0\r"));
}

TEST(SerialChannel, LongNoiseWithoutLineEndIsDropped) {
  LinkedPty pty;
  SerialChannel channel("ComPort1");
  channel.SetPortsFolder(pty.Folder());
  channel.SetPort(pty.Name());
  ASSERT_TRUE(channel.Open());
  FrameState state;
  ApplyModelToFrameState("ORVA-2200", state);
  int accepted = 0;
  QObject::connect(&channel, &SerialChannel::RxFlag, [&] {
    if (OnBoardFrameEvent(channel, state) == FrameDecision::Accepted) ++accepted;
  });
  // a buffer full of noise: all of it read, then dropped, before the frame comes
  pty.WriteMaster(std::string(SerialChannel::kBufferSize, 'x'));
  ASSERT_TRUE(WaitUntil([&] { return channel.NoiseDrops() == 1; }, 2000));
  EXPECT_EQ(channel.InQueue(), 0);
  pty.WriteMaster("000001, 000002, 000003, 000004, 000005\r\n");
  ASSERT_TRUE(WaitUntil([&] { return accepted == 1; }, 2000));
  EXPECT_STREQ(state.FrameText, "000001, 000002, 000003, 000004, 000005\r\n");
}

TEST(SerialChannel, AbsentPortFailsToOpen) {
  QTemporaryDir dir;
  SerialChannel channel("ComPort3");
  channel.SetPortsFolder(dir.path());
  channel.SetPort("COM299");  // /dev/ttyACM98, not present
  EXPECT_FALSE(channel.Open());
  EXPECT_FALSE(channel.Connected());
  EXPECT_FALSE(channel.ErrorString().isEmpty());
}

// Four boards of the four models on orva-sim: "DK" after opening, frames of
// each model's length accepted, the device falling silent counted by the
// tick, and the outputs switched off at shutdown.
TEST(BoardLink, FourModelsStreamAndOutputsGoOff) {
  const char* models[] = {"ORVA-2000", "ORVA-2100", "ORVA-2200", "ORVA-2280"};
  std::array<int, 4> numbers;
  QStringList args;
  for (int b = 0; b < 4; ++b) {
    numbers[b] = test::NextPortNumber();
    args << "--device" << QString::fromStdString(ComName(numbers[b])) << "--model" << models[b]
         << "--period" << "100";
  }
  args << "--fault" << "silence:4";  // the last board falls silent after 4 frames
  SimProcess sim(args);
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();

  std::array<FrameState, 4> boards;
  std::array<std::unique_ptr<SerialChannel>, 4> ports;
  std::array<int, 4> accepted{};
  std::array<int, 4> discarded{};
  QStringList status;
  for (int b = 0; b < 4; ++b) {
    ASSERT_TRUE(ApplyModelToFrameState(models[b], boards[b]));
    ports[b] = std::make_unique<SerialChannel>(QString("ComPort%1").arg(b + 1));
    SerialChannel& port = *ports[b];
    port.SetPortsFolder(sim.PortsFolder());
    QObject::connect(&port, &SerialChannel::AfterOpen,
                     [&port, &status] { status << OnBoardPortOpened(port, false); });
    QObject::connect(&port, &SerialChannel::RxFlag, [&, b] {
      if (OnBoardFrameEvent(*ports[b], boards[b]) == FrameDecision::Accepted) ++accepted[b];
      else ++discarded[b];
    });
    ASSERT_TRUE(OpenBoardPort(port, numbers[b]));
  }
  EXPECT_EQ(status[0], QString::fromStdString(ComName(numbers[0])) + " was opened");
  EXPECT_EQ(status.size(), 4);
  ASSERT_TRUE(WaitUntil([&] { return accepted[0] >= 5 && accepted[1] >= 5 && accepted[2] >= 5; }, 5000));
  for (int b = 0; b < 4; ++b) {
    EXPECT_TRUE(sim.Output().contains(QString::fromStdString(ComName(numbers[b])) + " DK\n"));
    EXPECT_EQ(discarded[b], 0) << b;
    EXPECT_TRUE(boards[b].FrameReady);
    EXPECT_EQ(std::strlen(boards[b].FrameText), static_cast<std::size_t>(boards[b].FrameLength));
  }
  EXPECT_EQ(accepted[3], 4);

  // Ticks against the silent board: it was processed once, then nothing
  // arrives: -2, -1, 0, 1.
  auto cycle = [](int, FrameState& s) {
    s.MissedTicks = -2;
    s.FrameReady = false;
  };
  AcquisitionTick(boards, cycle);
  EXPECT_EQ(boards[3].MissedTicks, -2);
  for (int expected : {-1, 0, 1}) {
    AcquisitionTick(std::span(boards).subspan(3), cycle);
    EXPECT_EQ(boards[3].MissedTicks, expected);
  }

  for (int b = 0; b < 4; ++b) SwitchOutputsOff(*ports[b], boards[b].ModelKind);
  ASSERT_TRUE(WaitUntil([&] { return sim.Output().count("relay ") >= 4; }, 3000));
  const QString log = sim.Output();
  EXPECT_TRUE(log.contains(QString::fromStdString(ComName(numbers[0])) + " relay D0"));
  EXPECT_TRUE(log.contains(QString::fromStdString(ComName(numbers[1])) + " relay D0"));
  EXPECT_TRUE(log.contains(QString::fromStdString(ComName(numbers[2])) + " relay P0"));
  EXPECT_TRUE(log.contains(QString::fromStdString(ComName(numbers[3])) + " relay P0"));

  // A closed port gets no command.
  ports[0]->Close();
  SwitchOutputsOff(*ports[0], 0);
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(QFile::exists(sim.PortsFolder() + "/" + QString::fromStdString(ComName(numbers[0]))));
}

// Every fault of the simulator against the frame event: only the frame split
// over two writes still arrives whole at its LF and is kept.
TEST(BoardLink, FaultyFramesAreDiscardedWithoutTrace) {
  const QStringList faults{"double", "wrong-length", "embedded-lf", "straddle", "garbage", "split"};
  std::map<QString, int> number;
  QStringList args;
  for (const QString& fault : faults) {
    number[fault] = test::NextPortNumber();
    args << "--device" << QString::fromStdString(ComName(number[fault])) << "--model" << "ORVA-2280"
         << "--period" << "100" << "--fault" << fault;
  }
  SimProcess sim(args);
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  struct Board {
    FrameState state;
    std::unique_ptr<SerialChannel> port;
    int accepted = 0;
    int discarded = 0;
  };
  std::map<QString, Board> boards;
  for (const QString& fault : faults) {
    Board& board = boards[fault];
    ApplyModelToFrameState("ORVA-2280", board.state);
    board.port = std::make_unique<SerialChannel>("ComPort1");
    board.port->SetPortsFolder(sim.PortsFolder());
    SerialChannel* port = board.port.get();
    QObject::connect(port, &SerialChannel::AfterOpen, [port] { OnBoardPortOpened(*port, false); });
    QObject::connect(port, &SerialChannel::RxFlag, [&board] {
      if (OnBoardFrameEvent(*board.port, board.state) == FrameDecision::Accepted) ++board.accepted;
      else ++board.discarded;
    });
    ASSERT_TRUE(OpenBoardPort(*port, number[fault]));
  }
  // until every board has had its frames: the split ones kept, the others not
  EXPECT_TRUE(WaitUntil([&] {
    for (const auto& [fault, board] : boards)
      if (fault == "split" ? board.accepted < 5 : board.discarded < 3) return false;
    return true;
  }, 5000));
  for (const QString& fault : faults) {
    SCOPED_TRACE(fault.toStdString());
    const Board& board = boards[fault];
    if (fault == "split") {
      EXPECT_GE(board.accepted, 5);
      EXPECT_EQ(board.discarded, 0);
    } else {
      EXPECT_EQ(board.accepted, 0);
      EXPECT_GE(board.discarded, 3);
      EXPECT_FALSE(board.state.FrameReady);
    }
  }
}

}  // namespace
}  // namespace tessar
