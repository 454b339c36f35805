#include "device/ui/port_list.h"

#include <QSerialPortInfo>

namespace tessar {

std::vector<PortEntry> EnumeratePorts(const QString& portsFolder) {
  std::vector<std::string> system;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    system.push_back(info.systemLocation().toStdString());
  }
  return MergePorts(portsFolder.toStdString(), system);
}

QStringList EnumComPorts(const QString& portsFolder) {
  QStringList names;
  for (const PortEntry& entry : EnumeratePorts(portsFolder)) names << QString::fromStdString(entry.name);
  return names;
}

}  // namespace tessar
