// The serial ports present, for the port choice lists (CBPort1..CBPort4,
// filled by ConfigPage::SetPortItems with "No Use" first).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "device/port_names.h"

namespace tessar {

// The ports of the ports folder and the system's serial devices, sorted by
// name as text.
std::vector<PortEntry> EnumeratePorts(const QString& portsFolder);
// Their names ("COMn").
QStringList EnumComPorts(const QString& portsFolder);

}  // namespace tessar
