// Telling systemd how the run goes (a Type=notify unit): "READY=1" once the
// start sequence has run, "WATCHDOG=1" on every acquisition tick (the
// viewer: every poll tick) while the unit has a watchdog, so that a program
// whose event loop hangs is restarted, and "STOPPING=1" when the orderly end
// begins. Nothing is sent when $NOTIFY_SOCKET is unset (not run by systemd).
#pragma once

#include <QObject>

namespace tessar {

class MainWindow;

class ServiceManagerLink : public QObject {
  Q_OBJECT
 public:
  // Connects to the window's start sequence and tick timer.
  explicit ServiceManagerLink(MainWindow& window);

  // "STOPPING=1": the orderly shutdown is about to run.
  void Stopping();

 private:
  void Ready();
  void Alive();

  bool watchdog_ = false;  // the unit set WatchdogSec
};

}  // namespace tessar
