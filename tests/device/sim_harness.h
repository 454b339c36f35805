// Runs orva-sim for a test.
#pragma once

#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <string>

#include <gtest/gtest.h>

#include "i18n/text_codec.h"
#include "settings/board_settings.h"
#include "test_support.h"
#include "wait.h"

namespace tessar::test {

// Waiting is the shared WaitUntil of wait.h; Pump lets `ms` of the
// program's own timer ticks pass.
inline void Pump(int ms) { RunEventsFor(ms); }

// Port numbers unique within the test program, so that suites never share a
// device path.
inline int NextPortNumber() {
  static std::atomic<int> next{40};
  return next++;
}

class SimProcess {
 public:
  // Starts orva-sim with a ports folder of its own and `arguments`.
  explicit SimProcess(const QStringList& arguments) : SimProcess(QString(), arguments) {}
  // The same with its links in `portsFolder` (for instance the ports/ folder
  // beside a window's executable directory).
  SimProcess(const QString& portsFolder, const QStringList& arguments) : folder_(portsFolder) {
    QStringList all{"--dir", PortsFolder()};
    all << arguments;
    process_.start(QString::fromStdString(BinPath("orva-sim")), all);
    started_ = process_.waitForStarted(5000) &&
               WaitUntil([this] { return Output().contains("ready\n"); }, 5000);
  }
  ~SimProcess() { Stop(); }

  bool Started() const { return started_; }
  qint64 Pid() const { return process_.processId(); }
  QString PortsFolder() const { return folder_.isEmpty() ? dir_.path() + "/ports" : folder_; }
  QString Output() {
    output_ += QString::fromUtf8(process_.readAllStandardOutput());
    return output_;
  }
  QString Errors() { return QString::fromUtf8(process_.readAllStandardError()); }
  // SIGTERM, and the exit code (-1 when it had to be killed).
  int Stop() {
    if (process_.state() == QProcess::NotRunning) return exitCode_;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(2000);
      return exitCode_ = -1;
    }
    Output();
    return exitCode_ = process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
  }

 private:
  QTemporaryDir dir_;
  QString folder_;
  QProcess process_;
  QString output_;
  bool started_ = false;
  int exitCode_ = -1;
};

// An ORVA-2000 with mixed sensor letters, ranges and its own calibration
// lines: the orva-sim options of one device (without --device) and what
// "Get Configure" must store from it.
inline QStringList Orva2000SampleOptions() {
  return {"--model", "ORVA-2000", "--serial", "K0-2000", "--ranges", "1,0,1,2,3,4,7",
          "--letters", "KKJJTTK", "--a1", "1.001", "--a0", "-0.002", "--ref", "2.4",
          "--t1", "1.1,1.2,1.3,1.4,1.5,1.6", "--t0", "0.1,0.2,0.3,0.4,0.5,0.6"};
}

inline void ExpectOrva2000SampleRecord(const BoardSettings& r) {
  EXPECT_EQ(FieldBytes(r.modelName), "ORVA-2000");
  EXPECT_EQ(FieldBytes(r.serialNumber), "K0-2000");
  EXPECT_EQ(r.boardSensorType, 7);
  const int types[] = {1, 1, 3, 3, 5, 5, 1};
  const double ranges[] = {1250, 2500, 1250, 625, 312.5, 156.25, 19.5313};
  for (int s = 0; s <= 6; ++s) {
    EXPECT_EQ(r.channelSensorType[s], types[s]) << s;
    EXPECT_EQ(r.channelRangeMv[s], ranges[s]) << s;
  }
  EXPECT_DOUBLE_EQ(r.voltA1, 1.001);
  EXPECT_DOUBLE_EQ(r.voltA0, -0.002);
  EXPECT_DOUBLE_EQ(r.refVoltage, 2.4);
  EXPECT_DOUBLE_EQ(r.channelT1[6], 1.6);
  EXPECT_DOUBLE_EQ(r.channelT0[3], 0.3);
}

}  // namespace tessar::test
