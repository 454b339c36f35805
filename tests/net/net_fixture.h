// Helpers of the network suites: peers on real loopback sockets, each on a
// loopback address of its own where the logger must tell them apart,
// recordings counted.
#pragma once

#include <sys/ioctl.h>

#include <QDirIterator>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTcpSocket>
#include <QHostAddress>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "../device/sim_harness.h"
#include "wait.h"

namespace tessar::test {

// 127.0.0.n: a peer address of its own (n >= 2 for a peer told apart).
inline QString Loopback(int n) { return QStringLiteral("127.0.0.%1").arg(n); }

// True once every socket under `owner` (a server's accepted connections) has
// taken in all that reached it: nothing waits in the system or in Qt.
inline bool AllTakenIn(QObject& owner) {
  for (QTcpSocket* socket : owner.findChildren<QTcpSocket*>()) {
    int waiting = 0;
    if (::ioctl(static_cast<int>(socket->socketDescriptor()), FIONREAD, &waiting) == 0 && waiting > 0)
      return false;
    if (socket->bytesAvailable() > 0) return false;
  }
  return true;
}

// Recording files under `dir` and the number of whole 80-byte records in each.
inline std::vector<std::pair<QString, int>> Recordings(const QString& dir) {
  std::vector<std::pair<QString, int>> files;
  QDirIterator it(dir, {"*.ORV"}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    files.emplace_back(info.filePath(), static_cast<int>((info.size() - 544) / 80));
  }
  return files;
}

// A peer connected to 127.0.0.1:port from `from` (a loopback address of
// its own, and a port of its own when `fromPort` is given); what it receives
// piles up in `received`.
struct Peer {
  std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
  QByteArray received;
  bool connected = false;
  bool Connect(quint16 port, const QString& from = Loopback(1), quint16 fromPort = 0) {
    QObject::connect(socket.get(), &QTcpSocket::readyRead,
                     [this] { received += socket->readAll(); });
    QObject::connect(socket.get(), &QTcpSocket::connected, [this] { connected = true; });
    if (!socket->bind(QHostAddress(from), fromPort, QAbstractSocket::ReuseAddressHint)) return false;
    socket->connectToHost(QStringLiteral("127.0.0.1"), port);
    return WaitUntil([this] { return connected; });
  }
  void Send(const std::string& bytes) {
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    socket->flush();
  }
  bool WaitFor(int bytes, int timeoutMs = 5000) {
    return WaitUntil([&] { return received.size() >= bytes; }, timeoutMs);
  }
  bool Closed() const { return socket->state() == QAbstractSocket::UnconnectedState; }
};

inline bool MemoHas(const QPlainTextEdit* memo, const QString& text) {
  return memo->toPlainText().contains(text);
}

}  // namespace tessar::test
