#include "device/ui/device_link.h"

#include "i18n/messages.h"
#include "device/ui/board_link.h"
#include "common/ui/guarded.h"

namespace tessar {

DeviceLink::DeviceLink(const QString& portsFolder, std::function<FrameState&(int)> frameOf,
                       QObject* parent)
    : QObject(parent), frameOf_(std::move(frameOf)) {
  for (int b = 0; b < kBoardCount; ++b) {
    auto port = std::make_unique<SerialChannel>(QString("ComPort%1").arg(b + 1), this);
    port->SetPortsFolder(portsFolder);
    SerialChannel* raw = port.get();
    connect(raw, &SerialChannel::AfterOpen, this, Guarded(raw, [this, raw] {
              emit StatusMessage(OnBoardPortOpened(*raw, koreanUi_));
            }));
    connect(raw, &SerialChannel::RxFlag, this, Guarded(raw, [this, raw, b] {
              if (OnBoardFrameEvent(*raw, frameOf_(b)) == FrameDecision::Accepted)
                emit FrameAccepted(b);
            }));
    boardPorts_[static_cast<std::size_t>(b)] = std::move(port);
  }
  configPort_ = std::make_unique<SerialChannel>("ComPort5", this);
  configPort_->SetPortsFolder(portsFolder);
  dialogue_ = std::make_unique<ConfigDialogue>(*configPort_, this);
  connect(dialogue_.get(), &ConfigDialogue::StatusMessage, this, &DeviceLink::StatusMessage);
  connect(dialogue_.get(), &ConfigDialogue::MessageBox, this, &DeviceLink::MessageBox);
}

DeviceLink::~DeviceLink() {
  dialogue_.reset();
  configPort_.reset();
  for (auto& port : boardPorts_) port.reset();
}

void DeviceLink::SetKoreanUi(bool korean) {
  koreanUi_ = korean;
  dialogue_->SetKoreanUi(korean);
}

int DeviceLink::OpenBoardPorts(const SettingsImage& settings) {
  int failures = 0;
  for (int b = 0; b < kBoardCount; ++b) {
    const int number = settings.boards[b].portNumber;
    if (number < 1) continue;
    if (!OpenBoardPort(BoardPort(b), number)) {
      ++failures;
      const QString advice = BoardPort(b).AccessAdvice();
      if (!advice.isEmpty()) emit PortAccessDenied(b, advice);
      emit MessageBox(MessageText(Msg::PortOpenFailed, koreanUi_));
    }
  }
  return failures;
}

void DeviceLink::SwitchOutputsOffAndClose(const std::array<int, kBoardCount>& modelKinds) {
  for (int b = 0; b < kBoardCount; ++b) SwitchOutputsOff(BoardPort(b), modelKinds[static_cast<std::size_t>(b)]);
  for (auto& port : boardPorts_) port->Close();
  configPort_->Close();
}

}  // namespace tessar
