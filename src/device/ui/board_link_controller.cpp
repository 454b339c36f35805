#include "device/ui/board_link_controller.h"

#include <QTimer>

#include "common/ui/guarded.h"

namespace tessar {

BoardLinkController::BoardLinkController(const QString& portsFolder,
                                         std::function<FrameState&(int)> frameOf,
                                         SettingsImage& settings, QTimer& replyTimer,
                                         QObject* parent)
    : QObject(parent),
      frameOf_(std::move(frameOf)),
      settings_(settings),
      link_(std::make_unique<DeviceLink>(portsFolder, frameOf_)) {
  connect(link_.get(), &DeviceLink::StatusMessage, this, &BoardLinkController::StatusMessage);
  connect(link_.get(), &DeviceLink::MessageBox, this, &BoardLinkController::MessageBox);
  connect(link_.get(), &DeviceLink::PortAccessDenied, this, &BoardLinkController::PortAccessDenied);
  ConfigDialogue& dialogue = link_->Dialogue();
  dialogue.UseReplyTimer(replyTimer);
  dialogue.SetRecordSource([this](int b) -> const BoardSettings& { return settings_.boards[b]; });
  connect(&dialogue, &ConfigDialogue::DialogueRunning, this,
          &BoardLinkController::DialogueRunning);
  // The model kind changes as soon as the reply names a known model, also
  // when a later part of the reply fails. A frame still waiting from the
  // board's former model would be read in the new model's layout: it is
  // dropped (the board's port is closed by Get Configure, so none follows).
  connect(&dialogue, &ConfigDialogue::ModelKindFound, this,
          Guarded(&dialogue, [this](int b, int kind) {
            FrameState& frame = frameOf_(b);
            if (frame.ModelKind != kind) frame.FrameReady = false;
            frame.ModelKind = kind;
          }));
  connect(&dialogue, &ConfigDialogue::Configured, this,
          Guarded(&dialogue, [this](int b, const BoardSettings& record) {
            settings_.boards[b] = record;
            emit BoardConfigured(b);
          }));
}

BoardLinkController::~BoardLinkController() = default;

void BoardLinkController::PreparePorts() {
  for (int b = 0; b < kBoardCount; ++b) link_->BoardPort(b).SetBaudRate(SerialChannel::kBaudRate);
  link_->ConfigPort().SetBaudRate(SerialChannel::kBaudRate);
}

void BoardLinkController::OpenBoardPorts() { link_->OpenBoardPorts(settings_); }

// The board's port is closed and its device asked for its configuration on
// ComPort5 through the port selected in the board's list. The configuration
// channel keeps the device until the program ends: the board's port is not
// tried again meanwhile.
void BoardLinkController::GetConfigure(int board, int itemIndex, const QString& itemText) {
  link_->ReleaseBoardPort(board);
  link_->Dialogue().GetConfigure(board, itemIndex, itemText, &link_->BoardPort(board),
                                 settings_.boards[board]);
}

void BoardLinkController::OnReplyTimeout() { link_->Dialogue().OnTimerC(); }

// "D0\r" for model kind 0, "P0\r" for the others, then ComPort1..ComPort5 closed.
void BoardLinkController::ResetRelaysAndClosePorts() {
  std::array<int, kBoardCount> kinds{};
  for (int b = 0; b < kBoardCount; ++b) kinds[b] = frameOf_(b).ModelKind;
  link_->SwitchOutputsOffAndClose(kinds);
}

}  // namespace tessar
