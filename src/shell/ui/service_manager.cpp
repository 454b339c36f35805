#include "shell/ui/service_manager.h"

#include <systemd/sd-daemon.h>

#include <QTimer>
#include <cstdint>

#include "shell/ui/main_window.h"

namespace tessar {

ServiceManagerLink::ServiceManagerLink(MainWindow& window) : QObject(&window) {
  std::uint64_t usec = 0;
  watchdog_ = sd_watchdog_enabled(0, &usec) > 0;
  connect(&window, &MainWindow::StartSequenceDone, this, &ServiceManagerLink::Ready);
  QTimer* tick = window.edition().startsAcquisitionTimer ? window.Timer1() : window.Timer2();
  if (watchdog_) connect(tick, &QTimer::timeout, this, &ServiceManagerLink::Alive);
}

void ServiceManagerLink::Ready() { sd_notify(0, "READY=1"); }
void ServiceManagerLink::Alive() { sd_notify(0, "WATCHDOG=1"); }
void ServiceManagerLink::Stopping() { sd_notify(0, "STOPPING=1"); }

}  // namespace tessar
