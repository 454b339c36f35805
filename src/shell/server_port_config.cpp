#include "shell/server_port_config.h"

#include <array>
#include <filesystem>

#include "shell/command_line.h"

namespace tessar {

namespace {
constexpr std::array<IniKey, 1> kKnownKeys{{{"server", "port"}}};
}  // namespace

ServerPortConfig ParseServerPortConfig(const IniText& ini) {
  ServerPortConfig out;
  if (!ini.ok()) {
    out.error = ini.error;
    return out;
  }
  if (std::string unknown = UnknownKeyMessage(ini, kKnownKeys); !unknown.empty()) {
    out.error = unknown;
    return out;
  }
  const IniEntry* port = ini.Find("server", "port");
  if (port == nullptr) {
    out.error = "[server] port is required";
    return out;
  }
  long long number = 0;
  if (!ParseIniInteger(port->value, 1, kLastFirstServerPort, number)) {
    out.error = "line " + std::to_string(port->line) + ": port must be a whole number 1.." +
                std::to_string(kLastFirstServerPort) + " (boards A..D take port..port+3)";
    return out;
  }
  out.firstPort = static_cast<int>(number);
  return out;
}

std::optional<ServerPortConfig> ReadServerPortConfig(const std::string& path) {
  const std::optional<IniText> ini = ReadIniFile(path);
  if (!ini) return std::nullopt;
  ServerPortConfig result = ParseServerPortConfig(*ini);
  // the reader's own file errors name the path already
  if (result.firstPort == 0 && result.error.rfind(path, 0) != 0) result.error = path + ": " + result.error;
  return result;
}

std::string ServerPortConfigPathFor(const std::string& settingsPath) {
  return std::filesystem::path(settingsPath).replace_extension(".net").string();
}

}  // namespace tessar
