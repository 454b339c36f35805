// COM names, the fixed numbers of system devices, the ports folder and the
// two conversions of the port choice lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "device/port_names.h"

namespace tessar {
namespace {

TEST(PortNames, SystemDevicesHaveFixedNumbers) {
  EXPECT_EQ(SystemPortNumber("/dev/ttyS0"), 1);
  EXPECT_EQ(SystemPortNumber("/dev/ttyS31"), 32);
  EXPECT_EQ(SystemPortNumber("/dev/ttyUSB0"), 101);
  EXPECT_EQ(SystemPortNumber("/dev/ttyACM2"), 203);
  EXPECT_EQ(SystemPortNumber("/dev/ttyAMA0"), 0);
  EXPECT_EQ(SystemPortNumber("/dev/ttyS"), 0);
  EXPECT_EQ(SystemPortNumber("/dev/ttyS01"), 0);
  EXPECT_EQ(SystemPortNumber("/dev/ttyUSB100"), 0);
  for (int n : {1, 32, 100, 101, 150, 201, 300}) EXPECT_EQ(SystemPortNumber(SystemDevicePath(n)), n);
  EXPECT_EQ(SystemDevicePath(0), "");
  EXPECT_EQ(SystemDevicePath(301), "");
  EXPECT_EQ(ComNumberOf("COM12"), 12);
  EXPECT_EQ(ComNumberOf("COM"), 0);
  EXPECT_EQ(ComNumberOf("COM0"), 0);
  EXPECT_EQ(ComNumberOf("COM1x"), 0);
}

TEST(PortNames, PortsFolderEntriesWinAndListsSortAsText) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tessar_port_names_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::filesystem::create_symlink("/dev/null", dir / "COM2");
  std::filesystem::create_symlink(dir / "missing", dir / "COM10");  // dangling still counts
  std::ofstream(dir / "notes.txt") << "x";

  EXPECT_EQ(DevicePathFor(2, dir.string()), (dir / "COM2").string());
  EXPECT_EQ(DevicePathFor(10, dir.string()), (dir / "COM10").string());
  EXPECT_EQ(DevicePathFor(3, dir.string()), "/dev/ttyS2");
  EXPECT_EQ(DevicePathFor(0, dir.string()), "");

  const auto ports = MergePorts(dir.string(), {"/dev/ttyS1", "/dev/ttyS0", "/dev/ttyUSB0", "/dev/pts/3"});
  std::vector<std::string> names;
  for (const PortEntry& p : ports) names.push_back(p.name);
  EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM10", "COM101", "COM2"}));
  EXPECT_EQ(ports[3].devicePath, (dir / "COM2").string());  // the folder's COM2, not /dev/ttyS1
  std::filesystem::remove_all(dir);
}

TEST(PortNames, ChoiceListConversions) {
  const auto items = PortChoiceItems({"COM2", "COM10", "COM1"});
  EXPECT_EQ(items, (std::vector<std::string>{"No Use", "COM1", "COM10", "COM2"}));
  EXPECT_EQ(PortNumberOfItem(0, "No Use"), 0);
  EXPECT_EQ(PortNumberOfItem(-1, ""), 0);
  EXPECT_EQ(PortNumberOfItem(2, "COM10"), 10);
  EXPECT_EQ(PortNumberOfItem(1, "ttyAMA0"), 0);
  // an item's number is scanned with "COM%d"
  EXPECT_EQ(ScanComNumber("COM3"), 3);
  EXPECT_EQ(ScanComNumber("COM212"), 212);
  EXPECT_EQ(ScanComNumber("COM7 (USB)"), 7);
  EXPECT_EQ(ScanComNumber("No Use"), 0);
  EXPECT_EQ(ScanComNumber("COM"), 0);
  EXPECT_EQ(ScanComNumber("COMx"), 0);
  EXPECT_EQ(ScanComNumber("/dev/ttyS0"), 0);
  EXPECT_EQ(ItemIndexOfPort(10, items), 2);
  EXPECT_EQ(ItemIndexOfPort(9, items), 0);   // absent port shows as "No Use"
  EXPECT_EQ(ItemIndexOfPort(0, items), 0);
}

}  // namespace
}  // namespace tessar
