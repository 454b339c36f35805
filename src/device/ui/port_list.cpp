#include "device/ui/port_list.h"

#include <QComboBox>
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

void FillPortChoiceList(QComboBox& box, const std::vector<PortEntry>& ports) {
  box.clear();
  box.addItem(QString::fromLatin1(kNoUseItem));
  for (const PortEntry& entry : ports) {
    box.addItem(QString::fromStdString(entry.name));
    box.setItemData(box.count() - 1, QString::fromStdString(entry.devicePath), Qt::ToolTipRole);
  }
}

int SelectedPortNumber(const QComboBox& box) {
  return PortNumberOfItem(box.currentIndex(), box.currentText().toStdString());
}

void SelectPortNumber(QComboBox& box, int number) {
  std::vector<std::string> items;
  for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i).toStdString());
  box.setCurrentIndex(box.count() > 0 ? ItemIndexOfPort(number, items) : -1);
}

}  // namespace tessar
