// The whole chain as users run it: orva-sim streams two devices, tessar
// without a window records and serves them, tessview without a window (first
// start, so on its defaults) connects to the loopback address and records the
// same values under its own data directory, one record per poll, and shows
// them on its web read-out.
// A data-server port that another program holds at the logger's start is
// told on its standard error, and served once it is free.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "acquisition/recording_file.h"
#include "e2e_harness.h"
#include "settings/client_settings.h"
#include "test_support.h"
#include "wait.h"

using namespace tessar;
using namespace tessar::e2e;
using namespace tessar::test;
namespace fs = std::filesystem;

namespace {

// Five consecutive ports nobody listens on at the moment: the four boards'
// and the viewer's web read-out.
int FreePortRange() {
  for (int first = 21000 + (getpid() % 400) * 8; first < 60000; first += 8) {
    bool free = true;
    for (int b = 0; b <= kBoardCount && free; ++b) {
      QTcpServer probe;
      free = probe.listen(QHostAddress::AnyIPv4, static_cast<quint16>(first + b));
    }
    if (free) return first;
  }
  return 0;
}

// The body of a 200 answer to one GET on 127.0.0.1:port, read up to the
// length that its header announces; empty for anything else.
QByteArray HttpBody(quint16 port, const QByteArray& path, const QByteArray& token) {
  QTcpSocket socket;
  socket.connectToHost(QStringLiteral("127.0.0.1"), port);
  if (!socket.waitForConnected(3000)) return {};
  socket.write("GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token +
               "\r\n\r\n");
  QByteArray answer;
  qsizetype head = -1;
  qint64 length = -1;
  while ((head < 0 || answer.size() - head - 4 < length) && socket.waitForReadyRead(3000)) {
    answer += socket.readAll();
    head = answer.indexOf("\r\n\r\n");
    if (head < 0) continue;
    for (const QByteArray& line : answer.left(head).split('\n'))
      if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
  }
  if (!answer.startsWith("HTTP/1.1 200") || head < 0) return {};
  return answer.mid(head + 4);
}

// Takes `port` on every interface, as another program would, until closed.
class PortHolder {
 public:
  // not inherited by the programs the test starts: released is released
  explicit PortHolder(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    held_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(fd_, 4) == 0;
  }
  ~PortHolder() { Release(); }
  bool Held() const { return held_; }
  void Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
  bool held_ = false;
};

// True when the logger answers a settings request on `port` in full.
bool ServesSettings(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const timeval limit{1, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);  // the connect too
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::size_t received = 0;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      ::send(fd, "\xB0\0\0\0\x05", 5, 0) == 5) {
    char reply[1400];
    ssize_t n = 0;
    while (received < 1312 && (n = ::recv(fd, reply, sizeof reply, 0)) > 0) received += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return received == 1312;
}

}  // namespace

TEST(ViewerEndToEnd, TheViewerRecordsTheLoggersValuesOnePerPoll) {
  PrivateInstall logger(BinPath("tessar"));
  PrivateInstall viewer(BinPath("tessview"));
  ASSERT_TRUE(logger.Ok()) << logger.Error();
  ASSERT_TRUE(viewer.Ok()) << viewer.Error();
  const int firstPort = FreePortRange();
  ASSERT_GT(firstPort, 0);
  const QStringList portOption{"--server-port", QString::number(firstPort)};

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", QString::fromStdString(logger.Root()));
  ChildProcess sim(BinPath("orva-sim"),
                   {"--dir", QString::fromStdString(logger.PortsDirectory()), "--device", "COM1",
                    "--model", "ORVA-2280", "--signal", "1=constant:150", "--signal",
                    "2=constant:-20.5", "--device", "COM2", "--model", "ORVA-2100", "--signal",
                    "3=constant:300"},
                   env, QString::fromStdString(logger.Root()));
  ASSERT_TRUE(sim.WaitForLine("ready", 10000)) << sim.Output() << sim.Errors();

  const QString settings = QString::fromStdString(logger.BinDirectory() + "/tessar.SET");
  ASSERT_EQ(RunProcess(BinPath("tessar-settings"), {"init", settings}).exitCode, 0);
  const std::string data = logger.DataDirectory();
  const ProcessResult set = RunProcess(
      BinPath("tessar-settings"),
      {"set", settings, "A.englishUi=1", "A.portNumber=1", "A.modelName=ORVA-2280",
       "A.boardSensorType=1", "A.sampleInterval=1", "A.jobTitle=served A",
       "A.dataDirectory=" + QString::fromStdString(data), "B.portNumber=2",
       "B.modelName=ORVA-2100", "B.boardSensorType=1", "B.sampleInterval=3",
       "B.jobTitle=served B"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  // board D's port is taken when the logger starts, and freed while it runs
  PortHolder holder(firstPort + 3);
  ASSERT_TRUE(holder.Held());
  // as the service runs it: its status lines on standard error
  ChildProcess tessar(logger.ProgramPath(), portOption + QStringList{"--headless"}, env,
                      QString::fromStdString(logger.Root()));
  ASSERT_TRUE(WaitUntil([&] { return BoardRecords(data, 'A').size() >= 2; }, 15000))
      << tessar.Errors();
  holder.Release();
  ASSERT_TRUE(WaitUntil([&] { return ServesSettings(firstPort + 3); }, 15000)) << tessar.Errors();

  // the viewer's first start: loopback, remote boards 1..4, 2-second polls
  QProcessEnvironment viewerEnv = env;
  viewerEnv.insert("HOME", QString::fromStdString(viewer.Root()));
  const std::string viewerData = viewer.Root() + "/Tessview";
  const quint16 webPort = static_cast<quint16>(firstPort + kBoardCount);
  std::ofstream(viewer.BinDirectory() + "/tessview.web")
      << "[http]\nport=" << webPort << "\ntoken=viewer-T0ken\n";
  ChildProcess tessview(viewer.ProgramPath(), portOption + QStringList{"--headless"}, viewerEnv,
                        QString::fromStdString(viewer.Root()));
  ASSERT_TRUE(WaitUntil([&] { return BoardRecords(viewerData, 'A').size() >= 4 &&
                                     BoardRecords(viewerData, 'B').size() >= 4; }, 25000))
      << "viewer A " << BoardRecords(viewerData, 'A').size() << tessview.Errors();
  // its read-out: the two boards it takes from the logger, with the logger's titles
  const QJsonArray boards =
      QJsonDocument::fromJson(HttpBody(webPort, "/api/boards", "viewer-T0ken")).array();
  ASSERT_EQ(boards.size(), 2) << tessview.Errors();
  const QJsonObject webA = boards[0].toObject();
  EXPECT_EQ(webA["board"].toString(), "A");
  EXPECT_EQ(webA["title"].toString(), "served A");
  EXPECT_EQ(boards[1].toObject()["title"].toString(), "served B");
  EXPECT_TRUE(webA["receiving"].toBool());
  const double webValue = webA["values"].toArray()[1].toDouble();
  // SIGTERM ends it as its window's close would: settings written, exit 0
  EXPECT_TRUE(tessview.Terminate(5000));
  EXPECT_EQ(tessview.ExitCode(), 0) << tessview.Errors();
  EXPECT_TRUE(FileExists(viewer.BinDirectory() + "/tessview.SET"));
  EXPECT_TRUE(tessar.Terminate(5000));
  EXPECT_TRUE(sim.Terminate(5000));
  // the taken port went to the journal once when it began and once when it ended
  const QString journal = QString::fromStdString(tessar.Errors());
  const QString taken = QStringLiteral("tessar: DAQ4: data server port %1 ").arg(firstPort + 3);
  EXPECT_EQ(journal.count(taken + "cannot be opened ("), 1) << journal.toStdString();
  EXPECT_EQ(journal.count(taken + "is open now, listening\n"), 1) << journal.toStdString();
  EXPECT_FALSE(FileExists(viewer.BinDirectory() + "/Exception2.Err"));
  EXPECT_FALSE(FileExists(logger.BinDirectory() + "/Exception1.Err"));

  for (char letter : {'A', 'B'}) {
    SCOPED_TRACE(std::string("board ") + letter);
    const std::vector<RecordingRecord> served = BoardRecords(data, letter);
    const std::vector<RecordingRecord> seen = BoardRecords(viewerData, letter);
    ASSERT_FALSE(served.empty());
    ASSERT_GE(seen.size(), 4u);
    // the devices hold their signals: every record of both sides is the same
    for (const RecordingRecord& r : seen) {
      for (int slot = 0; slot < kSlotCount; ++slot)
        EXPECT_NEAR(r.values[slot], served.back().values[slot], 1e-6) << "slot " << slot;
    }
    // one record per poll, every 2 s, whatever the logger's interval
    const double spacing =
        (seen.back().time - seen.front().time) * 86400.0 / double(seen.size() - 1);
    EXPECT_NEAR(spacing, 2.0, 0.5);
  }
  // and they are readings, not the no-data mark, the same on the web
  EXPECT_GT(BoardRecords(viewerData, 'A').back().values[1], 1.0);
  EXPECT_EQ(webValue, BoardRecords(viewerData, 'A').back().values[1]);
}
