// The five serial channels of the logger with their events connected: the
// board ports ComPort1..ComPort4 (frames, "DK" after opening, relay reset at
// shutdown) and the configuration channel ComPort5 with the Get Configure
// dialogue. The main window owns one and wires its buttons and status bar to
// it.
//
// A board port is watched while the run lasts: one that fails (hang-up, read
// or write error, the device gone), or failed to open at start, is closed and
// tried again every 5 s, quietly; when it opens, the after-open steps run as
// at start ("DK", "COMn was opened"). A device silent for ten ticks, and one
// whose lines do not fit the board's model, are reported when it starts and
// when it ends. Each such line goes to the status bar and the journal.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "device/device_watch.h"
#include "device/frame_reception.h"
#include "device/ui/config_dialogue.h"
#include "device/ui/serial_channel.h"
#include "settings/board_settings.h"

namespace tessar {

class DeviceLink : public QObject {
  Q_OBJECT

 public:
  static constexpr int kWatchTickMs = 1000;  // as the acquisition tick
  static constexpr int kRetryTicks = 5;      // a closed board port is tried every 5 ticks

  // `portsFolder`: the ports/ folder beside the executable. `frameOf(b)`: the
  // frame state that board b's frames go into.
  DeviceLink(const QString& portsFolder, std::function<FrameState&(int board)> frameOf,
             QObject* parent = nullptr);
  ~DeviceLink() override;

  void SetKoreanUi(bool korean);
  // The watch's tick (tests make it short); the retry and silence counts are
  // in ticks.
  void SetWatchTickMs(int ms) { watch_.setInterval(ms); }
  // Watch ticks run since the start: what a check that something did not
  // happen waits for.
  int WatchTicks() const { return watchTicks_; }

  SerialChannel& BoardPort(int board) { return *boardPorts_[static_cast<std::size_t>(board)]; }
  SerialChannel& ConfigPort() { return *configPort_; }
  ConfigDialogue& Dialogue() { return *dialogue_; }

  // Start-up: opens the port of every board whose portNumber is at least 1,
  // board A first. A port that fails is reported with "Failed in Opening
  // Port" (standard error names the board, the port and the reason) and the
  // next board goes on; a port whose device refused this user also reports
  // PortAccessDenied. Every used board is watched from here on. Returns the
  // number of failures.
  int OpenBoardPorts(const SettingsImage& settings);

  // The board's device is taken by Get Configure: its port stays closed for
  // the rest of the run and is no longer watched.
  void ReleaseBoardPort(int board);

  // Shutdown: every board's outputs off on its open port ("D0\r" for model
  // kind 0, "P0\r" otherwise), then all five channels closed; nothing is
  // watched any more.
  void SwitchOutputsOffAndClose(const std::array<int, kBoardCount>& modelKinds);

 signals:
  void StatusMessage(const QString& text);
  void MessageBox(const QString& text);
  void FrameAccepted(int board);
  // `advice`: the device and what to do (SerialChannel::AccessAdvice).
  void PortAccessDenied(int board, const QString& advice);

 private:
  // What the watch knows of a used board.
  struct Watched {
    int portNumber = 0;      // 0: not watched
    QString model;           // its model name, for the misfit line
    int closedTicks = 0;     // ticks since the port was found closed
    bool reopening = false;  // an open by the watch: its after-open line is journaled
    DeviceWatch health;
  };

  void WatchTick();
  void OnFrameEvent(int board);
  void OnLost(int board, const QString& reason);
  void Report(int board, WatchChange change);
  // A line for the status bar and the journal.
  void Notice(const QString& text);
  QString BoardAndPort(int board) const;

  std::array<std::unique_ptr<SerialChannel>, kBoardCount> boardPorts_;
  std::unique_ptr<SerialChannel> configPort_;
  std::unique_ptr<ConfigDialogue> dialogue_;
  std::function<FrameState&(int)> frameOf_;
  std::array<Watched, kBoardCount> watched_;
  QTimer watch_;
  int watchTicks_ = 0;
  bool koreanUi_ = true;
};

}  // namespace tessar
