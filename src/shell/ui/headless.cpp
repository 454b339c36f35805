#include "shell/ui/headless.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <cstdio>

namespace tessar {

namespace {
// The write end of the running instance's socket pair, for the handler.
volatile std::sig_atomic_t gSignalFd = -1;
constexpr int kSignals[] = {SIGTERM, SIGINT};
}  // namespace

void WriteErrorLine(const QString& text) {
  const QByteArray line =
      (QCoreApplication::applicationName().toLower() + QStringLiteral(": ") + text + '\n').toUtf8();
  std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
  std::fflush(stderr);
}

void HeadlessDialogs::ShowMessage(const QString& text, const QString& /*caption*/) {
  WriteErrorLine(text);
}

bool HeadlessDialogs::Confirm(const QString& /*text*/, const QString& /*caption*/) { return true; }

bool HeadlessDialogs::InputQuery(const QString& /*caption*/, const QString& /*prompt*/,
                                 QString& /*value*/) {
  return false;
}

QString HeadlessDialogs::SaveFileName(const QString& /*caption*/, const QString& /*directory*/,
                                      const QString& /*filter*/, const QString& /*defaultSuffix*/) {
  return {};
}

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

}  // namespace tessar
