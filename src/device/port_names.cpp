#include "device/port_names.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

namespace tessar {

namespace {

// Decimal digits only, no sign, no blanks; 0 when anything else.
int ParseDigits(std::string_view text) {
  if (text.empty() || text.size() > 9) return 0;
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return 0;
  return value;
}

struct SystemFamily {
  std::string_view prefix;
  int base;
  int count;
};
constexpr SystemFamily kFamilies[] = {
    {"/dev/ttyS", 1, 100},
    {"/dev/ttyUSB", 101, 100},
    {"/dev/ttyACM", 201, 100},
};

}  // namespace

std::string ComName(int number) { return "COM" + std::to_string(number); }

int ComNumberOf(std::string_view name) {
  if (name.substr(0, 3) != "COM") return 0;
  const std::string_view digits = name.substr(3);
  if (digits.empty() || digits.front() == '0') return 0;
  return ParseDigits(digits);
}

int SystemPortNumber(std::string_view devicePath) {
  for (const SystemFamily& family : kFamilies) {
    if (devicePath.substr(0, family.prefix.size()) != family.prefix) continue;
    const std::string_view digits = devicePath.substr(family.prefix.size());
    if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) return 0;
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return 0;
    const int k = ParseDigits(digits);
    if (k >= family.count) return 0;
    return family.base + k;
  }
  return 0;
}

std::string SystemDevicePath(int number) {
  for (const SystemFamily& family : kFamilies) {
    if (number >= family.base && number < family.base + family.count) {
      return std::string(family.prefix) + std::to_string(number - family.base);
    }
  }
  return {};
}

std::string DevicePathFor(int number, const std::string& portsFolder) {
  if (number < 1) return {};
  if (!portsFolder.empty()) {
    const std::filesystem::path entry = std::filesystem::path(portsFolder) / ComName(number);
    std::error_code ec;
    // A dangling link still names the port: opening it then fails like an
    // absent device.
    if (std::filesystem::symlink_status(entry, ec).type() != std::filesystem::file_type::not_found &&
        !ec) {
      return entry.string();
    }
  }
  return SystemDevicePath(number);
}

std::vector<PortEntry> MergePorts(const std::string& portsFolder,
                                  const std::vector<std::string>& systemDevices) {
  std::vector<PortEntry> ports;
  auto taken = [&ports](int number) {
    return std::any_of(ports.begin(), ports.end(),
                       [number](const PortEntry& p) { return p.number == number; });
  };
  std::error_code ec;
  if (!portsFolder.empty() && std::filesystem::is_directory(portsFolder, ec)) {
    for (const auto& entry : std::filesystem::directory_iterator(portsFolder, ec)) {
      const std::string name = entry.path().filename().string();
      const int number = ComNumberOf(name);
      if (number < 1 || taken(number)) continue;
      ports.push_back({number, name, entry.path().string()});
    }
  }
  for (const std::string& device : systemDevices) {
    const int number = SystemPortNumber(device);
    if (number < 1 || taken(number)) continue;
    ports.push_back({number, ComName(number), device});
  }
  std::sort(ports.begin(), ports.end(),
            [](const PortEntry& a, const PortEntry& b) { return a.name < b.name; });
  return ports;
}

std::vector<std::string> PortChoiceItems(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  names.insert(names.begin(), kNoUseItem);
  return names;
}

int ScanComNumber(std::string_view text) {
  if (text.substr(0, 3) != "COM") return 0;
  std::string_view rest = text.substr(3);
  // like "%d": blanks, an optional sign, then the digits as far as they go
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  int value = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (ec != std::errc() || end == rest.data()) return 0;
  return negative ? -value : value;
}

int PortNumberOfItem(int itemIndex, std::string_view itemText) {
  if (itemIndex <= 0) return 0;
  return ScanComNumber(itemText);
}

int ItemIndexOfPort(int number, const std::vector<std::string>& items) {
  if (number < 1) return 0;
  const std::string name = ComName(number);
  const auto it = std::find(items.begin(), items.end(), name);
  if (it == items.end()) return 0;
  return static_cast<int>(it - items.begin());
}

}  // namespace tessar
