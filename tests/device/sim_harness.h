// Runs orva-sim for a test and waits on the Qt event loop.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <string>

#include "test_support.h"

namespace tessar::test {

// Processes events until `done` holds or `ms` have passed; returns `done()`.
inline bool WaitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

inline void Pump(int ms) {
  WaitUntil([] { return false; }, ms);
}

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

}  // namespace tessar::test
