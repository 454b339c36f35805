// The board ports' part of start-up, frame reception and shutdown.
#pragma once

#include <QString>

#include "device/frame_reception.h"
#include "device/ui/serial_channel.h"

namespace tessar {

// Opens a board's port "COM" + number: while opening, the port's AfterOpen
// clears both buffers and sends "DK\r" (connect OnBoardPortOpened first);
// afterwards both buffers are cleared again. On failure the port is closed
// and false returned: the caller shows "Failed in Opening Port" and goes on.
bool OpenBoardPort(SerialChannel& port, int portNumber);

// The after-open step of a board port: clear, "DK\r". Returns the status text
// ("COM3 was opened" / "COM3 열었습니다.").
QString OnBoardPortOpened(SerialChannel& port, bool koreanUi);

// The frame event of a board port: reads what is waiting (at most 500 bytes)
// and keeps it as the board's frame, or discards everything pending on the
// port. Returns what was decided; `read` (may be null) receives what was read.
FrameDecision OnBoardFrameEvent(SerialChannel& port, FrameState& state,
                                QByteArray* read = nullptr);

// Shutdown: every output of the board off ("D0\r" on kind 0, "P0\r" on the
// others), only when its port is open.
void SwitchOutputsOff(SerialChannel& port, int modelKind);

}  // namespace tessar
