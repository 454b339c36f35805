// Helpers of the network suites: peers on real loopback sockets, recordings
// counted; waiting is the shared WaitUntil.
#pragma once

#include <QCoreApplication>
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

// A peer connected to 127.0.0.1:port (or from a loopback address of its
// own, bound first); what it receives piles up in `received`.
struct Peer {
  std::unique_ptr<QTcpSocket> socket = std::make_unique<QTcpSocket>();
  QByteArray received;
  bool connected = false;
  bool Connect(quint16 port, const QString& from = {}, quint16 fromPort = 0) {
    QObject::connect(socket.get(), &QTcpSocket::readyRead,
                     [this] { received += socket->readAll(); });
    QObject::connect(socket.get(), &QTcpSocket::connected, [this] { connected = true; });
    if (!from.isEmpty() &&
        !socket->bind(QHostAddress(from), fromPort, QAbstractSocket::ReuseAddressHint))
      return false;
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
