// Helpers of the network suites: peers on real loopback sockets, events
// pumped until a condition holds.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTcpSocket>
#include <QThread>
#include <functional>
#include <memory>

namespace tessar::test {

// Runs pending events until `done` holds or `timeoutMs` passes.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::usleep(200);
  }
  return true;
}

inline void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A peer connected to 127.0.0.1:port; what it receives piles up in `received`.
struct Peer {
  std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
  QByteArray received;
  bool connected = false;
  bool Connect(quint16 port) {
    QObject::connect(socket.get(), &QTcpSocket::readyRead,
                     [this] { received += socket->readAll(); });
    QObject::connect(socket.get(), &QTcpSocket::connected, [this] { connected = true; });
    socket->connectToHost(QStringLiteral("127.0.0.1"), port);
    return PumpUntil([this] { return connected; });
  }
  void Send(const std::string& bytes) {
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->flush();
  }
  bool WaitFor(int bytes, int timeoutMs = 5000) {
    return PumpUntil([&] { return received.size() >= bytes; }, timeoutMs);
  }
  bool Closed() const { return socket->state() == QAbstractSocket::UnconnectedState; }
};

inline bool MemoHas(const QPlainTextEdit* memo, const QString& text) {
  return memo->toPlainText().contains(text);
}

}  // namespace tessar::test
