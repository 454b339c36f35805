// The configuration of the thermocouple health checks: an INI file named like
// the settings file with the extension ".health". Without the file the
// defaults hold; a file that does not read as meant is refused whole, with
// the line that failed, and the defaults hold.
//
//   [health]
//   open=1               ; 0 or 1: report open thermocouples
//   stuck_minutes=10     ; a count unchanged this long is stuck; 0 = off
//   jump_limit=0         ; a change beyond this between records; 0 = off
//   open_trips_relays=0  ; 1: an open channel drives the interlock's relays
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "acquisition/channel_health.h"
#include "common/ini_file.h"

namespace tessar {

constexpr double kStuckMinutesMax = 7 * 24 * 60;  // a week
constexpr double kJumpLimitMax = 1e6;

struct HealthConfigResult {
  HealthConfig config;  // the file's, or the defaults when it is refused
  std::string error;    // why the file was refused; empty when it was read
};

// The configuration in `ini`, checked.
HealthConfigResult ParseHealthConfig(const IniText& ini);
// The file at `path`: nullopt when there is none (the defaults hold without
// a word). A refusal names the path.
std::optional<HealthConfigResult> ReadHealthConfig(const std::string& path);
// "<file>.SET" -> "<file>.health".
std::string HealthConfigPathFor(std::string_view settingsPath);

}  // namespace tessar
