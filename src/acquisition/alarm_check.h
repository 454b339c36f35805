// High and low alarms of a board's channels and the relay outputs they and
// the user drive. The check runs in every acquisition cycle on the freshly
// converted values: it decides which channels are in alarm, writes the day's
// event file and says which relay command (if any) the board's port gets.
// The limit edits, the alarm switches, the interlock box and the manual
// relay boxes decide here too; the window applies what comes back.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "acquisition/conversion.h"
#include "settings/board_settings.h"

namespace tessar {

constexpr int kManualRelayBoxes = 4;  // "CH1 D/O On" .. "CH4 D/O On"

// The relay word of a board. Kind 0: 0 or 1 (its one output). Other kinds:
// bit k-1 set = output k on. It starts at 0 and survives runs.
struct RelayState {
  std::int32_t OutputMask = 0;
  std::int32_t OutputMaskPrevious = 0;  // OutputMask at the start of the last check
};

struct AlarmOutcome {
  std::array<bool, kSlotCount> inAlarm{};  // channels 1..8 (slot 0 unused)
  int AlarmCount = 0;                      // channels in alarm
  // The status bar text: the last alarm message, or the event-file failure.
  std::string statusText;
  std::string AlarmText;    // the messages, each ended by CR LF (UTF-8)
  bool memoAlarmLine = false;  // add "Alarm" to the board's memo (not paused)
  // The command for the board's port, when the relay word changed under the
  // interlock: "D1\r" / "D0\r" (kind 0) or "P%X\r".
  std::optional<std::string> relayCommand;
  // The event file could not be written: the line for MemoS (UTF-8).
  std::optional<std::string> eventFileFailure;
};

// What the check reads from the window besides the board's state.
struct AlarmInputs {
  bool interlock = false;  // the board's "Interlock D/O" box
  bool koreanUi = true;    // language of the messages and the event file
  // Channels that drive their relay output as if in alarm (an open
  // thermocouple, when so configured); no message, sound or event line.
  std::array<bool, kSlotCount> relayTrips{};
};

// The decision alone: messages, channels in alarm and the relay word. `now`
// gives the messages' time. Changes `relays` only (and only under the
// interlock).
AlarmOutcome EvaluateAlarms(int board, const BoardSettings& settings, const ConversionState& values,
                            int modelKind, const AlarmInputs& inputs, RelayState& relays,
                            double now);

// The whole check of one cycle: the decision, then for an alarm the event
// file appended in the day directory under `dataDirectory`. `memoPaused`
// keeps the "Alarm" line out of the memo.
AlarmOutcome CheckAlarms(int board, const BoardSettings& settings, const ConversionState& values,
                         int modelKind, const AlarmInputs& inputs, RelayState& relays,
                         bool memoPaused, const std::filesystem::path& dataDirectory, double now);

// The day's event file, shared by the boards: "<data>/<yyyymmdd>/<yyyymmdd>.eve".
std::filesystem::path EventFilePath(const std::filesystem::path& dataDirectory, double now);

// Appends `text` (UTF-8, lines ended by CR LF) in CP949, creating the day
// directory when missing. False when the file could not be written whole.
bool AppendEventFile(const std::filesystem::path& path, const std::string& text);

// --- limit edits -----------------------------------------------------------

struct LimitEditOutcome {
  bool handled = false;          // false: an empty text, nothing happened
  bool accepted = false;
  std::string statusText;        // UTF-8; empty clears the status bar
  std::string boxText;           // a refusal puts the current limit back ("%.2f")
  int focusChannel = 0;          // accepted on channels 1..6: the next channel's box
};

// Enter in the high-limit box of (board, channel 1..8) holding `text`.
LimitEditOutcome EditHighLimit(BoardSettings& settings, int board, int channel,
                               const std::string& text, bool koreanUi);
// Enter in the low-limit box.
LimitEditOutcome EditLowLimit(BoardSettings& settings, int board, int channel,
                              const std::string& text, bool koreanUi);

// --- the interlock and the manual relay boxes ------------------------------

struct RelayBoxOutcome {
  std::optional<std::string> command;  // for the board's port (sent only when it is open)
  // Boxes to enable or disable; unset ones stay as they are.
  std::optional<bool> interlockEnabled;
  std::array<std::optional<bool>, kManualRelayBoxes> manualEnabled{};
};

// The interlock box was checked or unchecked.
RelayBoxOutcome InterlockChanged(RelayState& relays, int modelKind, bool checked);

// Manual box `box` (0..3, output box + 1) was checked or unchecked while the
// interlock is off; under the interlock nothing happens.
RelayBoxOutcome ManualRelayChanged(RelayState& relays, int modelKind, int box, bool checked,
                                   bool interlock);

}  // namespace tessar
