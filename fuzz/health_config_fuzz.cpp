// Any bytes as a health checks' configuration file: read, or refused with a
// message and the defaults; either way every value in its range.
#include <cmath>
#include <string_view>

#include "acquisition/health_config.h"
#include "fuzz_support.h"

using namespace tessar;
using tessar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const IniText ini = ParseIni(std::string_view(reinterpret_cast<const char*>(data), size));
  const HealthConfigResult r = ParseHealthConfig(ini);
  const HealthConfig& c = r.config;
  if (!r.error.empty()) Require(c == HealthConfig{}, "a refused file leaves the defaults");
  Require(std::isfinite(c.stuckMinutes) && c.stuckMinutes >= 0.0 && c.stuckMinutes <= kStuckMinutesMax,
          "stuck_minutes in range");
  Require(std::isfinite(c.jumpLimit) && c.jumpLimit >= 0.0 && c.jumpLimit <= kJumpLimitMax,
          "jump_limit in range");
  Require(ini.ok() || !r.error.empty(), "an unreadable text is refused");
  return 0;
}
