// A record as the services outside the window see it (publishing to a
// broker, the web read-out): the board, its time, the values as they were
// written to the recording file and the channels in alarm, and their JSON
// text. JSON is built here once so that every service speaks the same shape.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "settings/board_settings.h"

namespace tessar {

struct CycleOutcome;

struct LiveRecord {
  int board = 0;                               // 0..3
  double time = 0.0;                           // day count of the record
  std::array<double, kSlotCount> values{};     // as in the file; NoDataValue = no data
  std::array<bool, kSlotCount> inAlarm{};      // channels 1..8 (slot 0 unused)
  bool written = false;                        // the record reached the recording file
};

// The record of a cycle of board `board` that took one (outcome.recorded).
LiveRecord LiveRecordOf(int board, const CycleOutcome& outcome);

// The shortest text that reads back as the same double; "null" for the
// no-data value, NaN and infinities.
std::string JsonNumber(double value);
// A JSON string of UTF-8 text, quotes and escapes included.
std::string JsonString(std::string_view utf8);
// "YYYY-MM-DDTHH:MM:SS.mmm" of a day count; empty outside the calendar.
std::string JsonTime(double dayCount);

// The fields of a record message, without the braces, so that a service can
// add its own:
// "board":"A","time":"2026-12-08T14:05:32.000","serial":..,"model":..,
// "title":<jobTitle>,"unit":<yAxisTitle>,"names":[9 trimmed],"values":[9]
// Texts of the record are converted from the file code page.
std::string RecordJsonFields(const LiveRecord& record, const BoardSettings& settings);
// The record message: {RecordJsonFields}.
std::string RecordJson(const LiveRecord& record, const BoardSettings& settings);

// Record messages of one board, equal to RecordJson, whose texts are
// converted again only when they change: their conversion from the file code
// page is most of a message's work, and messages are made inside the
// acquisition tick.
class RecordJsonCache {
 public:
  std::string Message(const LiveRecord& record, const BoardSettings& settings);

 private:
  std::string key_;      // the text fields' bytes that texts_ was made of
  std::string scratch_;  // the current bytes, compared with key_
  std::string texts_;    // "serial":..,"names":[..]
};

}  // namespace tessar
