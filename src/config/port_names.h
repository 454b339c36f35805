// Serial ports are offered and stored by number: the item "COMn" of a port
// list stands for port number n; "No Use" (number 0) for a board that is not
// connected.
#pragma once

#include <QString>

namespace tessar {

inline constexpr const char* kNoUsePortItem = "No Use";

// The number read with "COM%d" from an item's text; 0 when it does not read.
int PortNumberFromText(const QString& text);
// "COM" followed by n.
QString PortItemText(int portNumber);

}  // namespace tessar
