// The serial ports present and the port choice lists (CBPort1..CBPort4).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "device/port_names.h"

class QComboBox;

namespace tessar {

// The ports of the ports folder and the system's serial devices, sorted by
// name as text.
std::vector<PortEntry> EnumeratePorts(const QString& portsFolder);
// Their names ("COMn").
QStringList EnumComPorts(const QString& portsFolder);

// Replaces the items with "No Use" and the ports (the device path as each
// item's tool tip).
void FillPortChoiceList(QComboBox& box, const std::vector<PortEntry>& ports);
// The port number the selected item stands for (0 for "No Use" or none).
int SelectedPortNumber(const QComboBox& box);
// Selects the item of `number`, or "No Use" when it is not listed.
void SelectPortNumber(QComboBox& box, int number);

}  // namespace tessar
