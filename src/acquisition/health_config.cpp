#include "acquisition/health_config.h"

#include <array>
#include <filesystem>

#include "common/number_text.h"

namespace tessar {

namespace {

constexpr std::array<IniKey, 4> kKnownKeys{{{"health", "open"},
                                            {"health", "stuck_minutes"},
                                            {"health", "jump_limit"},
                                            {"health", "open_trips_relays"}}};

std::string LineOf(const IniEntry& e) { return "line " + std::to_string(e.line) + ": "; }

// An optional 0/1 switch; false with `error` set for anything else.
bool ReadSwitch(const IniText& ini, const char* key, bool& target, std::string& error) {
  const IniEntry* e = ini.Find("health", key);
  if (e == nullptr) return true;
  long long value = 0;
  if (!ParseIniInteger(e->value, 0, 1, value)) {
    error = LineOf(*e) + key + " must be 0 or 1, not \"" + e->value + "\"";
    return false;
  }
  target = value == 1;
  return true;
}

// An optional decimal number in [0, max].
bool ReadAmount(const IniText& ini, const char* key, double max, double& target,
                std::string& error) {
  const IniEntry* e = ini.Find("health", key);
  if (e == nullptr) return true;
  double value = 0.0;
  if (!ParseDecimal(e->value, value) || !(value >= 0.0 && value <= max)) {
    error = LineOf(*e) + key + " must be a number from 0 to " + FormatFixed(max, 0, 0) +
            ", not \"" + e->value + "\"";
    return false;
  }
  target = value;
  return true;
}

}  // namespace

HealthConfigResult ParseHealthConfig(const IniText& ini) {
  HealthConfigResult result;
  if (!ini.ok()) {
    result.error = ini.error;
    return result;
  }
  result.error = UnknownKeyMessage(ini, kKnownKeys);
  if (!result.error.empty()) return result;
  HealthConfig c;
  if (!ReadSwitch(ini, "open", c.open, result.error) ||
      !ReadAmount(ini, "stuck_minutes", kStuckMinutesMax, c.stuckMinutes, result.error) ||
      !ReadAmount(ini, "jump_limit", kJumpLimitMax, c.jumpLimit, result.error) ||
      !ReadSwitch(ini, "open_trips_relays", c.openTripsRelays, result.error)) {
    return result;
  }
  result.config = c;
  return result;
}

std::optional<HealthConfigResult> ReadHealthConfig(const std::string& path) {
  const std::optional<IniText> ini = ReadIniFile(path);
  if (!ini) return std::nullopt;
  HealthConfigResult result = ParseHealthConfig(*ini);
  // the reader's own file errors name the path already
  if (!result.error.empty() && result.error.rfind(path, 0) != 0) {
    result.error = path + ": " + result.error;
  }
  return result;
}

std::string HealthConfigPathFor(std::string_view settingsPath) {
  return std::filesystem::path(settingsPath).replace_extension(".health").string();
}

}  // namespace tessar
