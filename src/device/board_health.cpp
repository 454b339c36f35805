#include "device/board_health.h"

namespace tessar {

void ResetSilence(BoardHealth& health) {
  health.quietTicks = 0;
  health.silent = false;
}

HealthChange HealthTick(BoardHealth& health) {
  if (health.silent || ++health.quietTicks < kSilentTicks) return HealthChange::None;
  health.silent = true;
  return HealthChange::FellSilent;
}

HealthChange HealthBytes(BoardHealth& health) {
  health.quietTicks = 0;
  if (!health.silent) return HealthChange::None;
  health.silent = false;
  return HealthChange::SendsAgain;
}

HealthChange HealthLine(BoardHealth& health, std::string_view read, bool accepted,
                        int frameLength) {
  if (accepted || static_cast<int>(read.size()) == frameLength) {
    health.lineRepeats = 0;
    if (!health.misfit) return HealthChange::None;
    health.misfit = false;
    return HealthChange::FitsAgain;
  }
  const bool whole = !read.empty() && read.find('\n') == read.size() - 1;
  if (!whole) {
    health.lineRepeats = 0;  // noise, or two lines read together: no length to judge
    return HealthChange::None;
  }
  const int length = static_cast<int>(read.size());
  health.lineRepeats = length == health.lineLength ? health.lineRepeats + 1 : 1;
  health.lineLength = length;
  if (health.misfit || health.lineRepeats < kMisfitLines) return HealthChange::None;
  health.misfit = true;
  return HealthChange::Misfit;
}

}  // namespace tessar
