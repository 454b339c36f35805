// One serial channel of the logger (ComPort1..ComPort5) on Qt Serial Port.
//
// Line settings are fixed: 9600 baud, 8 data bits, no parity, 1 stop bit,
// DTR on, RTS off, no flow control, 2048-byte receive buffer. The event
// character LF is emulated: whenever received bytes are waiting and contain
// an LF, RxFlag is emitted; RxChar reports every arrival with the number of
// bytes waiting. Handlers read with ReadStr, which never waits.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

namespace tessar {

class SerialChannel : public QObject {
  Q_OBJECT

 public:
  static constexpr int kBaudRate = 9600;
  static constexpr int kBufferSize = 2048;

  explicit SerialChannel(const QString& name, QObject* parent = nullptr);
  ~SerialChannel() override;

  // Folder whose "COMn" entries name devices (the ports/ folder beside the
  // executable); empty: only the fixed system devices.
  void SetPortsFolder(const QString& folder) { portsFolder_ = folder; }
  // The port, as "COM" followed by its number.
  void SetPort(const QString& comName) { port_ = comName; }
  QString Port() const { return port_; }
  void SetBaudRate(int baud) { baudRate_ = baud; }

  // Opens the device of the port with the line settings, then emits
  // AfterOpen. False, with ErrorString set and the channel closed, on failure.
  bool Open();
  void Close();
  bool Connected() const;
  QString ErrorString() const { return error_; }
  // The device path the port resolved to at the last Open.
  QString DevicePath() const { return devicePath_; }
  // After a failed Open: what the user can do when the device itself refused
  // this user ("<device>: permission denied: add the user to the dialout
  // group"); empty for every other failure, a port held by another program
  // among them.
  QString AccessAdvice() const { return accessAdvice_; }

  // Discards waiting received bytes (input) and bytes not yet handed to the
  // line (output).
  void ClearBuffer(bool input, bool output);
  // Sends the text; false when the channel is not open or the line refuses it.
  bool WriteStr(const QByteArray& text);
  // At most `maxCount` of the bytes waiting, without waiting for more.
  QByteArray ReadStr(int maxCount);
  qint64 InQueue() const;
  // How often a full buffer without a line end was dropped as noise.
  int NoiseDrops() const { return noiseDrops_; }

  QSerialPort& Device() { return port; }

 signals:
  void AfterOpen();
  void RxFlag();
  void RxChar(int count);
  // The open channel failed (hang-up, read or write error, the device gone)
  // and has been closed; `reason` is the system's text. Once per failure.
  void Lost(const QString& reason);

 private:
  void OnReadyRead();
  void OnError(QSerialPort::SerialPortError error);

  QSerialPort port;
  QString port_;
  QString portsFolder_;
  QString devicePath_;
  QString error_;
  QString accessAdvice_;
  int baudRate_ = kBaudRate;
  int noiseDrops_ = 0;
};

}  // namespace tessar
