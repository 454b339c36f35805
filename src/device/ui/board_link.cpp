#include "device/ui/board_link.h"

#include "i18n/messages.h"
#include "device/device_protocol.h"
#include "device/port_names.h"

namespace tessar {

bool OpenBoardPort(SerialChannel& port, int portNumber) {
  port.SetPort(QString::fromStdString(ComName(portNumber)));
  if (!port.Open()) {
    port.Close();
    return false;
  }
  port.ClearBuffer(true, true);
  return true;
}

QString OnBoardPortOpened(SerialChannel& port, bool koreanUi) {
  port.ClearBuffer(true, true);
  port.WriteStr(kStreamCommand);
  return port.Port() + MessageText(Msg::PortOpenedSuffix, koreanUi);
}

FrameDecision OnBoardFrameEvent(SerialChannel& port, FrameState& state, QByteArray* read) {
  const QByteArray text = port.ReadStr(kFrameReadLimit);
  if (read) *read = text;
  const FrameDecision decision =
      ReceiveFrame(state, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  if (decision == FrameDecision::Discarded) port.ClearBuffer(true, true);
  return decision;
}

void SwitchOutputsOff(SerialChannel& port, int modelKind) {
  if (!port.Connected()) return;
  port.WriteStr(QByteArray::fromStdString(OutputsOffCommand(modelKind)));
}

}  // namespace tessar
