// Serial port naming. A port is stored as a number n and shown as "COMn".
// On this platform the name maps to a device: an entry "COMn" in the ports
// folder beside the executable (normally a symbolic link to a device) wins;
// otherwise /dev/ttyS<k> is COM(k+1), /dev/ttyUSB<k> is COM(k+101) and
// /dev/ttyACM<k> is COM(k+201).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessar {

inline constexpr char kNoUseItem[] = "No Use";

struct PortEntry {
  int number = 0;           // n of "COMn"
  std::string name;         // "COMn"
  std::string devicePath;   // what is opened
};

// "COM" followed by the decimal number.
std::string ComName(int number);
// Number of a "COMn" text (exactly "COM" and decimal digits, n >= 1), else 0.
int ComNumberOf(std::string_view name);

// The fixed number of a system serial device path (/dev/ttyS3 -> 4,
// /dev/ttyUSB0 -> 101, /dev/ttyACM2 -> 203), or 0 for any other path.
int SystemPortNumber(std::string_view devicePath);
// The system device of a number without a ports-folder entry, or "" for 0.
std::string SystemDevicePath(int number);

// The device opened for port `number`: the ports folder's "COMn" entry when it
// exists, else the fixed system device.
std::string DevicePathFor(int number, const std::string& portsFolder);

// The ports present: every "COMn" entry of the ports folder, then every system
// device of `systemDevices` that has a fixed number not taken by the folder.
// Sorted by name as text (COM10 before COM2).
std::vector<PortEntry> MergePorts(const std::string& portsFolder,
                                  const std::vector<std::string>& systemDevices);

// Items of a port choice list: "No Use" first, then the names sorted as text.
std::vector<std::string> PortChoiceItems(std::vector<std::string> names);

// The number scanned with "COM%d" from a text ("COM7 (USB)" gives 7); 0 when
// the text does not start with "COM" and a number.
int ScanComNumber(std::string_view text);
// Port number of a choice list item: index <= 0 gives 0; otherwise the text is
// scanned with "COM%d". An item of another form gives 0 (not used).
int PortNumberOfItem(int itemIndex, std::string_view itemText);
// Item index that shows `number`: 0 for a number below 1 or one whose "COMn"
// item is not in the list.
int ItemIndexOfPort(int number, const std::vector<std::string>& items);

}  // namespace tessar
