#include "device/ui/serial_channel.h"

#include "device/port_access.h"
#include "device/port_names.h"
#include "common/ui/guarded.h"

namespace tessar {

SerialChannel::SerialChannel(const QString& name, QObject* parent) : QObject(parent) {
  setObjectName(name);
  connect(&port, &QSerialPort::readyRead, this, Guarded(&port, [this] { OnReadyRead(); }));
  connect(&port, &QSerialPort::errorOccurred, this,
          Guarded(&port, [this](QSerialPort::SerialPortError error) { OnError(error); }));
}

SerialChannel::~SerialChannel() { Close(); }

bool SerialChannel::Open() {
  error_.clear();
  accessAdvice_.clear();
  if (port.isOpen()) {
    error_ = port_ + ": already open";
    return false;
  }
  const int number = ComNumberOf(port_.toStdString());
  devicePath_ = QString::fromStdString(DevicePathFor(number, portsFolder_.toStdString()));
  if (devicePath_.isEmpty()) {
    error_ = port_ + ": no such port";
    return false;
  }
  port.setPortName(devicePath_);
  port.setReadBufferSize(kBufferSize);
  if (!port.open(QIODevice::ReadWrite)) {
    error_ = port_ + ": " + port.errorString();
    // Qt says "permission" for a lock held by another program too: the
    // device's own access decides
    if (port.error() == QSerialPort::PermissionError) {
      const std::string device = devicePath_.toStdString();
      accessAdvice_ = QString::fromStdString(PortAccessAdvice(device, DeviceAccessError(device)));
    }
    port.clearError();
    return false;
  }
  const bool lineSet = port.setBaudRate(baudRate_) && port.setDataBits(QSerialPort::Data8) &&
                       port.setParity(QSerialPort::NoParity) &&
                       port.setStopBits(QSerialPort::OneStop) &&
                       port.setFlowControl(QSerialPort::NoFlowControl);
  if (!lineSet) {
    error_ = port_ + ": " + port.errorString();
    port.clearError();
    port.close();
    return false;
  }
  // Modem lines: a pseudo-terminal has none, which is not an error here.
  port.setDataTerminalReady(true);
  port.setRequestToSend(false);
  port.clearError();
  emit AfterOpen();
  return true;
}

// A device that went away keeps its descriptor readable: Qt reports the
// error again on every turn of the event loop until the port is closed.
void SerialChannel::OnError(QSerialPort::SerialPortError error) {
  if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
      error != QSerialPort::WriteError)
    return;
  if (!port.isOpen()) return;
  const QString reason = port.errorString();
  port.clearError();
  port.close();  // nothing pending is worth a flush on a line that is gone
  emit Lost(reason);
}

void SerialChannel::Close() {
  if (!port.isOpen()) return;
  port.flush();
  port.close();
}

bool SerialChannel::Connected() const { return port.isOpen(); }

void SerialChannel::ClearBuffer(bool input, bool output) {
  if (!port.isOpen()) return;
  // Commands already written count as sent: only what still waits in the
  // channel's own queue is dropped on the output side.
  if (input) port.clear(QSerialPort::Input);
  if (output && port.bytesToWrite() > 0) port.clear(QSerialPort::Output);
}

bool SerialChannel::WriteStr(const QByteArray& text) {
  if (!port.isOpen()) return false;
  if (port.write(text) != text.size()) return false;
  port.flush();
  return true;
}

QByteArray SerialChannel::ReadStr(int maxCount) {
  if (!port.isOpen() || maxCount <= 0) return {};
  return port.read(maxCount);
}

qint64 SerialChannel::InQueue() const { return port.isOpen() ? port.bytesAvailable() : 0; }

void SerialChannel::OnReadyRead() {
  const qint64 waiting = port.bytesAvailable();
  if (waiting <= 0) return;
  const bool lineEnd = port.peek(waiting).contains('\n');
  if (!lineEnd && waiting >= kBufferSize) {
    // A full buffer without a line end would never produce another event:
    // the line is noise, drop it.
    port.clear(QSerialPort::Input);
    ++noiseDrops_;
    return;
  }
  emit RxChar(static_cast<int>(waiting));
  if (lineEnd && port.isOpen() && port.bytesAvailable() > 0 &&
      port.peek(port.bytesAvailable()).contains('\n')) {
    emit RxFlag();
  }
}

}  // namespace tessar
