// The five serial channels of the logger with their events connected: the
// board ports ComPort1..ComPort4 (frames, "DK" after opening, relay reset at
// shutdown) and the configuration channel ComPort5 with the Get Configure
// dialogue. The main window owns one and wires its buttons and status bar to
// it.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "device/frame_reception.h"
#include "device/ui/config_dialogue.h"
#include "device/ui/serial_channel.h"
#include "settings/board_settings.h"

namespace tessar {

class DeviceLink : public QObject {
  Q_OBJECT

 public:
  // `portsFolder`: the ports/ folder beside the executable. `frameOf(b)`: the
  // frame state that board b's frames go into.
  DeviceLink(const QString& portsFolder, std::function<FrameState&(int board)> frameOf,
             QObject* parent = nullptr);
  ~DeviceLink() override;

  void SetKoreanUi(bool korean);

  SerialChannel& BoardPort(int board) { return *boardPorts_[static_cast<std::size_t>(board)]; }
  SerialChannel& ConfigPort() { return *configPort_; }
  ConfigDialogue& Dialogue() { return *dialogue_; }

  // Start-up: opens the port of every board whose portNumber is at least 1,
  // board A first. A port that fails is reported with "Failed in Opening
  // Port" and the next board goes on; a port whose device refused this user
  // also reports PortAccessDenied. Returns the number of failures.
  int OpenBoardPorts(const SettingsImage& settings);

  // Shutdown: every board's outputs off on its open port ("D0\r" for model
  // kind 0, "P0\r" otherwise), then all five channels closed.
  void SwitchOutputsOffAndClose(const std::array<int, kBoardCount>& modelKinds);

 signals:
  void StatusMessage(const QString& text);
  void MessageBox(const QString& text);
  void FrameAccepted(int board);
  // `advice`: the device and what to do (SerialChannel::AccessAdvice).
  void PortAccessDenied(int board, const QString& advice);

 private:
  std::array<std::unique_ptr<SerialChannel>, kBoardCount> boardPorts_;
  std::unique_ptr<SerialChannel> configPort_;
  std::unique_ptr<ConfigDialogue> dialogue_;
  std::function<FrameState&(int)> frameOf_;
  bool koreanUi_ = true;
};

}  // namespace tessar
