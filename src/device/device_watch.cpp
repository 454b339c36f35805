#include "device/device_watch.h"

namespace tessar {

void ResetSilence(DeviceWatch& health) {
  health.quietTicks = 0;
  health.silent = false;
}

WatchChange QuietTick(DeviceWatch& health) {
  if (health.silent || ++health.quietTicks < kSilentTicks) return WatchChange::None;
  health.silent = true;
  return WatchChange::FellSilent;
}

WatchChange BytesHeard(DeviceWatch& health) {
  health.quietTicks = 0;
  if (!health.silent) return WatchChange::None;
  health.silent = false;
  return WatchChange::SendsAgain;
}

WatchChange LineHeard(DeviceWatch& health, std::string_view read, bool accepted,
                        int frameLength) {
  if (accepted || static_cast<int>(read.size()) == frameLength) {
    health.lineRepeats = 0;
    if (!health.misfit) return WatchChange::None;
    health.misfit = false;
    return WatchChange::FitsAgain;
  }
  const bool whole = !read.empty() && read.find('\n') == read.size() - 1;
  if (!whole) {
    health.lineRepeats = 0;  // noise, or two lines read together: no length to judge
    return WatchChange::None;
  }
  const int length = static_cast<int>(read.size());
  health.lineRepeats = length == health.lineLength ? health.lineRepeats + 1 : 1;
  health.lineLength = length;
  if (health.misfit || health.lineRepeats < kMisfitLines) return WatchChange::None;
  health.misfit = true;
  return WatchChange::Misfit;
}

}  // namespace tessar
