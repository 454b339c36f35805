// The logger's side of the devices as the main window sees it: the serial
// channels (DeviceLink), the start-up steps of the board ports (baud rate,
// port open and "DK"), the Get Configure dialogue with its reply timer, and
// the shutdown steps (relay outputs off, ports closed). The window connects
// its buttons, status bar and message box to this and nothing more.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "device/frame_state.h"
#include "device/ui/device_link.h"
#include "settings/board_settings.h"

class QTimer;

namespace tessar {

class BoardLinkController : public QObject {
  Q_OBJECT

 public:
  // `portsFolder`: the ports/ folder beside the executable. `frameOf(b)`:
  // board b's frame state. `settings`: the settings image of the run (read
  // for the port numbers, written by a sound Get Configure). `replyTimer`:
  // the window's TimerC, which ends a dialogue without reply; its time-out
  // handler calls OnReplyTimeout.
  BoardLinkController(const QString& portsFolder, std::function<FrameState&(int board)> frameOf,
                      SettingsImage& settings, QTimer& replyTimer, QObject* parent = nullptr);
  ~BoardLinkController() override;

  DeviceLink& Link() { return *link_; }
  void SetKoreanUi(bool korean) { link_->SetKoreanUi(korean); }

  // Start-up, before any port opens: every channel at 9600 baud.
  void PreparePorts();
  // Start-up: each board with a port number of at least 1 opens "COMn" and
  // sends "DK"; a port that fails is reported and the next board goes on.
  // From then on a board port that fails is tried again every 5 s.
  void OpenBoardPorts();

  // Get Configure of `board` through the port selected in its choice list;
  // the board's port stays closed for the rest of the run.
  void GetConfigure(int board, int itemIndex, const QString& itemText);
  // TimerC ran out: the dialogue waiting for a reply ends.
  void OnReplyTimeout();

  // Shutdown: every board's outputs off on its open port, all channels closed.
  void ResetRelaysAndClosePorts();

 signals:
  void StatusMessage(const QString& text);
  void MessageBox(const QString& text);
  // Board `board`'s port was refused to this user: the device and what to do.
  void PortAccessDenied(int board, const QString& advice);
  // True while a dialogue waits for its reply (no other Get Configure may start).
  void DialogueRunning(bool running);
  // A sound reply was stored as board `board`'s record in the settings image.
  void BoardConfigured(int board);

 private:
  std::function<FrameState&(int)> frameOf_;
  SettingsImage& settings_;
  std::unique_ptr<DeviceLink> link_;
};

}  // namespace tessar
