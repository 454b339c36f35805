// orva-sim as a program: its command line, its links and its clean end.
#include <gtest/gtest.h>

#include <signal.h>

#include <QFile>
#include <QFileInfo>
#include <functional>

#include "device/frame_reception.h"
#include "device/port_names.h"
#include "device/ui/board_link.h"
#include "device/ui/serial_channel.h"
#include "sim_harness.h"

namespace tessar {
namespace {

TEST(OrvaSim, CommandLine) {
  const auto help = test::RunProcess(test::BinPath("orva-sim"), {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--fault NAME[:N]"), std::string::npos);
  EXPECT_NE(help.out.find("--version"), std::string::npos);
  for (const QStringList& bad : {QStringList{"--device", "COM1"}, QStringList{"--dir", "/tmp/x"},
                                 QStringList{"--dir", "/tmp/x", "--device", "ttyS0"},
                                 QStringList{"--dir", "/tmp/x", "--device", "COM1", "--model", "ORVA-9"},
                                 QStringList{"--dir", "/tmp/x", "--device", "COM1", "--signal", "9=open"},
                                 QStringList{"--dir", "/tmp/x", "--device", "COM1", "--fault", "melt"}}) {
    const auto result = test::RunProcess(test::BinPath("orva-sim"), bad);
    EXPECT_EQ(result.exitCode, 2) << bad.join(' ').toStdString();
    EXPECT_NE(result.err.find("Usage"), std::string::npos);
  }
}

TEST(OrvaSim, LinksPortsAndRemovesThemOnInterrupt) {
  const QString a = QString::fromStdString(ComName(test::NextPortNumber()));
  const QString b = QString::fromStdString(ComName(test::NextPortNumber()));
  QTemporaryDir dir;
  const QString folder = dir.path() + "/ports";
  QProcess sim;
  sim.start(QString::fromStdString(test::BinPath("orva-sim")),
            {"--dir", folder, "--device", a, "--device", b, "--model", "ORVA-2000"});
  ASSERT_TRUE(sim.waitForStarted(5000));
  QString out;
  ASSERT_TRUE(test::WaitUntil([&] {
    out += QString::fromUtf8(sim.readAllStandardOutput());
    return out.contains("ready\n");
  }, 5000));
  EXPECT_TRUE(QFileInfo(folder + "/" + a).isSymLink());
  EXPECT_TRUE(QFileInfo(folder + "/" + b).symLinkTarget().startsWith("/dev/pts/"));
  EXPECT_TRUE(out.contains(b + " ORVA-2000 "));
  ::kill(static_cast<pid_t>(sim.processId()), SIGINT);
  ASSERT_TRUE(sim.waitForFinished(5000));
  EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(sim.exitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(folder + "/" + a));
  EXPECT_FALSE(QFileInfo(folder + "/" + b).isSymLink());
}

// A COMn entry that exists is never replaced, and at the end only the links
// the simulator made go: another simulator's link and a user's own mapping
// stay. Only a link to a terminal that is gone (a killed simulator's) is
// taken over.
TEST(OrvaSim, KeepsEntriesItDidNotMake) {
  QTemporaryDir dir;
  const QString folder = dir.path() + "/ports";
  const QString running = QString::fromStdString(ComName(test::NextPortNumber()));
  test::SimProcess other(folder, {"--device", running});
  ASSERT_TRUE(other.Started()) << other.Errors().toStdString();
  const QString ownLink = folder + "/" + running;
  const QString otherTarget = QFileInfo(ownLink).symLinkTarget();

  struct Case {
    const char* what;
    std::function<void(const QString& path)> make;  // empty: the running simulator's link
    bool refused;
  };
  const Case cases[] = {
      {"a user's mapping", [](const QString& p) { QFile::link("/dev/ttyUSB3", p); }, true},
      {"a file", [](const QString& p) { test::WriteBytes(p.toStdString(), "x", 1); }, true},
      {"another simulator's link", nullptr, true},
      {"a killed simulator's link", [](const QString& p) { QFile::link("/dev/pts/999999", p); }, false},
  };
  for (const Case& c : cases) {
    const QString name = c.make ? QString::fromStdString(ComName(test::NextPortNumber())) : running;
    const QString path = folder + "/" + name;
    if (c.make) c.make(path);
    const QString before = QFileInfo(path).symLinkTarget();
    QProcess sim;
    sim.start(QString::fromStdString(test::BinPath("orva-sim")), {"--dir", folder, "--device", name});
    ASSERT_TRUE(sim.waitForStarted(5000));
    QString out;
    const bool ready = test::WaitUntil([&] {
      out += QString::fromUtf8(sim.readAllStandardOutput());
      return out.contains("ready\n") || sim.state() == QProcess::NotRunning;
    }, 5000);
    ASSERT_TRUE(ready) << c.what;
    if (c.refused) {
      ASSERT_TRUE(sim.state() == QProcess::NotRunning || sim.waitForFinished(5000)) << c.what;
      EXPECT_EQ(sim.exitCode(), 1) << c.what;
      EXPECT_TRUE(QString::fromUtf8(sim.readAllStandardError()).contains("exists already")) << c.what;
      EXPECT_TRUE(QFileInfo::exists(path) || QFileInfo(path).isSymLink()) << c.what;
      EXPECT_EQ(QFileInfo(path).symLinkTarget(), before) << c.what;
    } else {
      EXPECT_TRUE(out.contains("ready\n")) << c.what;
      EXPECT_TRUE(QFileInfo(path).symLinkTarget().startsWith("/dev/pts/")) << c.what;
      // its link is replaced by a user's mapping while it runs: that stays
      QFile::remove(path);
      QFile::link("/dev/ttyUSB3", path);
      sim.terminate();
      ASSERT_TRUE(sim.waitForFinished(5000)) << c.what;
      EXPECT_EQ(QFileInfo(path).symLinkTarget(), "/dev/ttyUSB3") << c.what;
    }
  }
  EXPECT_EQ(QFileInfo(ownLink).symLinkTarget(), otherTarget) << "the running simulator kept its link";
  EXPECT_EQ(other.Stop(), 0);
  EXPECT_FALSE(QFileInfo(ownLink).isSymLink());
}

// Negative counts travel as a device sends them: 24-bit two's complement,
// -1 as FFFFFF and the negative end of the scale as 800000.
TEST(OrvaSim, NegativeCountsAreTwosComplement) {
  const int number = test::NextPortNumber();
  const double count = 78.125 / 8388607.0;  // mV of one count on the 78.125 mV range
  test::SimProcess sim({"--device", QString::fromStdString(ComName(number)), "--model", "ORVA-2200",
                        "--letters", "VVVV", "--period", "100",
                        "--signal", QString("1=constant:%1").arg(-count, 0, 'g', 17),
                        "--signal", "2=constant:-1000",
                        "--signal", QString("3=constant:%1").arg(count, 0, 'g', 17),
                        "--signal", QString("4=constant:%1").arg(-2 * count, 0, 'g', 17)});
  ASSERT_TRUE(sim.Started()) << sim.Errors().toStdString();
  SerialChannel port("ComPort1");
  port.SetPortsFolder(sim.PortsFolder());
  FrameState frame;
  ASSERT_TRUE(ApplyModelToFrameState("ORVA-2200", frame));
  QObject::connect(&port, &SerialChannel::AfterOpen, [&port] { OnBoardPortOpened(port, false); });
  QObject::connect(&port, &SerialChannel::RxFlag, [&] { OnBoardFrameEvent(port, frame); });
  ASSERT_TRUE(OpenBoardPort(port, number));
  ASSERT_TRUE(test::WaitUntil([&] { return frame.FrameReady; }, 5000));
  EXPECT_EQ(std::string(frame.FrameText).substr(8), "FFFFFF, 800000, 000001, FFFFFE\r\n");
}

}  // namespace
}  // namespace tessar
