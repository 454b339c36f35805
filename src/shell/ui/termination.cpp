#include "shell/ui/termination.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <csignal>

#include "shell/ui/main_window.h"

namespace tessar {

namespace {
// The write end of the running instance's socket pair, for the handler.
volatile std::sig_atomic_t gSignalFd = -1;
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kRetryMs = 20;
constexpr int kRetries = 250;  // about 5 s

void CloseWhenUnblocked(QPointer<MainWindow> window, int retriesLeft) {
  if (!window) return;
  // the main loop is level 1; every modal dialog runs a loop of its own
  if (QThread::currentThread()->loopLevel() > 1 && retriesLeft > 0) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->close();
      }
    }
    QTimer::singleShot(kRetryMs, window, [window, retriesLeft] {
      CloseWhenUnblocked(window, retriesLeft - 1);
    });
    return;
  }
  window->CloseUnasked();
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) return;
  // a full pair never blocks the handler: the signal is then already pending
  fcntl(fds_[0], F_SETFL, fcntl(fds_[0], F_GETFL) | O_NONBLOCK);
  gSignalFd = fds_[0];
  notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { Deliver(); });
  struct sigaction action {};
  action.sa_handler = &TerminationSignals::Handle;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int s : kSignals) sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  for (int s : kSignals) std::signal(s, SIG_DFL);
  gSignalFd = -1;
  for (int fd : fds_)
    if (fd >= 0) close(fd);
}

void TerminationSignals::Handle(int signal) {
  const int savedErrno = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  if (gSignalFd >= 0) {
    const ssize_t written = write(gSignalFd, &number, 1);
    (void)written;
  }
  errno = savedErrno;
}

void TerminationSignals::Deliver() {
  unsigned char number = 0;
  if (read(fds_[1], &number, 1) != 1) return;
  onSignal_(number);
}

void CloseUnaskedWhenUnblocked(MainWindow& window) {
  CloseWhenUnblocked(QPointer<MainWindow>(&window), kRetries);
}

}  // namespace tessar
