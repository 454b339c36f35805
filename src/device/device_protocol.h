// The ORVA command protocol: the commands the logger sends, the collector of
// the configuration reply and its parser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "i18n/messages.h"
#include "settings/board_settings.h"

namespace tessar {

// Every command is ASCII ended by one CR, no LF.
inline constexpr char kStreamCommand[] = "DK\r";   // start measurement frames
inline constexpr char kConfigCommand[] = "DC\r";   // ask for the configuration dump

// "D1\r" / "D0\r": the single relay output of a kind-0 board.
std::string SingleRelayCommand(bool on);
// "P%X\r": the whole output mask of a kind-1/2 board, upper-case hex, no
// leading zeros ("P0\r", "P5\r", "PF\r").
std::string OutputMaskCommand(std::uint32_t mask);
// What switches every output of a board of `modelKind` off (shutdown,
// interlock off): "D0\r" for kind 0, "P0\r" for the others.
std::string OutputsOffCommand(int modelKind);

// The longest configuration reply taken: a real one (an ORVA-2280 with long
// numbers) stays below 1 KiB.
constexpr std::size_t kLongestReply = 4096;

// Collects the configuration reply from the characters as they arrive: an "S"
// always starts it afresh, other characters are kept only after an "S", and
// the first "E" after it completes the reply. A reply that grows past
// kLongestReply without an "E" also ends there, so that a device streaming
// without end cannot fill the memory; the parser refuses such a reply.
class ReplyCollector {
 public:
  // Examines one character; true when it completed a reply (then `ReplyText`
  // holds it, from its "S" to its "E", or its first kLongestReply + 1
  // characters when it overflowed).
  bool Feed(char c);
  void Reset() {
    ReplyText.clear();
    ReplyCollecting = false;
  }

  std::string ReplyText;
  bool ReplyCollecting = false;
};

enum class ConfigOutcome {
  Ok,
  NoModelSection,       // "Error 1": no "M"
  UnknownModel,         // "Check your ORVA model"
  SettingsUnreadable,   // "Error 2": not even the serial number
  FirstCalUnreadable,   // "Error 3": kind 0, T1 line
  SecondCalUnreadable,  // "Error 4": kind 0, T0 line
  BadValue,             // "Error 1098": a number that does not convert, a value that does
                        // not fit, a reply too long for any device
};

// The message shown for a parse outcome (its pair in the message table).
Msg MessageIdOf(ConfigOutcome outcome);
const MessagePair& MessageOf(ConfigOutcome outcome);

struct ConfigParseResult {
  ConfigOutcome outcome = ConfigOutcome::NoModelSection;
  // Kind of the model named by the reply, set as soon as the model is known
  // (also when a later step fails); -1 when no model was recognised.
  int modelKind = -1;
};

// Parses a complete reply ("S" ... "E") and, only when it is sound, stores it
// into `record` of board `board` with the port `portNumber`. On any failure
// `record` is left exactly as it was; a reply longer than kLongestReply is
// BadValue.
ConfigParseResult ParseConfigReply(std::string_view reply, int board, int portNumber,
                                   BoardSettings& record);

}  // namespace tessar
