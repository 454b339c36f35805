// Whether a used board's device is heard, and heard right: a device that has
// sent nothing for ten ticks is silent until its next byte; one whose lines
// keep a length its board's model does not take (a device of another model)
// misfits until a frame fits again. Each change is reported once.
#pragma once

#include <string_view>

namespace tessar {

constexpr int kSilentTicks = 10;  // ticks without a byte: the device is silent
constexpr int kMisfitLines = 3;   // whole lines of one wrong length in a row: they misfit

enum class WatchChange {
  None,
  FellSilent,  // nothing for kSilentTicks ticks
  SendsAgain,  // bytes after a silence
  Misfit,      // lines of one length the model does not take, again and again
  FitsAgain,   // a frame taken after a misfit
};

struct DeviceWatch {
  int quietTicks = 0;
  bool silent = false;
  int lineLength = 0;   // length of the latest whole line that did not fit
  int lineRepeats = 0;  // such lines of that length in a row
  bool misfit = false;
};

// The port was closed or opened: its silence counts from here. A misfit
// stays until a frame fits (the device may come back as the right one).
void ResetSilence(DeviceWatch& health);
// A tick of the board's watch while its port is open.
WatchChange QuietTick(DeviceWatch& health);
// Bytes arrived on the board's port.
WatchChange BytesHeard(DeviceWatch& health);
// A frame event: `read` is what it read, `accepted` whether it became the
// board's frame, `frameLength` the length the board's model takes. A line is
// whole when its only LF is its last byte; one of the right length that was
// not taken (acquisition held) fits.
WatchChange LineHeard(DeviceWatch& health, std::string_view read, bool accepted,
                        int frameLength);

}  // namespace tessar
