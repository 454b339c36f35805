// The JSON texts of the web read-out. Shapes (documented for the page and
// for anyone reading the endpoints):
//
// GET /api/boards: an array, one object per used board (a serial port is
// set; in the viewer, once the server's record arrived):
//   {"board":"A","time":"YYYY-MM-DDTHH:MM:SS.mmm"|null,"serial":..,"model":..,
//    "title":..,"unit":..,"names":[9],"values":[9, null = no data],
//    "alarm":[9 booleans, slot 0 always false],"receiving":bool,
//    "health":[9, "ok"|"open"|"stuck"|"jump", null = not checked]}
// The values and time are the board's last record, as its recording file
// holds it; a board without a record yet has null time and values.
//
// GET /api/boards/<letter>/history: the board's live chart points,
//   {"time":[t...],"series":[[v...] x 9]}, null for no data,
// t the logger's wall-clock time as seconds since 1970-01-01 00:00 of that
// same wall clock (with millisecond fractions): the page shows it as UTC and
// so shows the logger's own clock, whatever the browser's time zone.
//
// GET /api/info: {"korean":bool,"title":..} (the run's language, the caption).
//
// /ws pushes, one text message each:
//   {"type":"record",<the fields of a /api/boards object>}
//   {"type":"alarm","board":"A","text":<the status bar message>}
//   {"type":"health","board":"A","time":..,"health":[9],"since":[9 times,
//    null while ok]} when a board's thermocouple health changes
#pragma once

#include <string>
#include <string_view>

#include "acquisition/channel_health.h"
#include "acquisition/chart_model.h"
#include "acquisition/live_record.h"
#include "device/frame_state.h"
#include "settings/board_settings.h"

namespace tessar {

// A board takes part in the read-out when its record names a serial port.
bool BoardUsed(const BoardSettings& settings);
// Frames keep arriving: fewer than three ticks in a row without one.
bool BoardReceiving(const FrameState& frame);
// The same for a board whose records come at a pace of their own (the
// viewer's, one per poll reply, where no tick counts the missing frames):
// its last record is less than three paces old (a pace below 1 s counts as 1 s).
bool PaceReceiving(double secondsSinceRecord, int paceSeconds);
// The record a board shows before its first: no time, no data, no alarm.
LiveRecord EmptyRecord(int board);

// The fields of a /api/boards object, without braces.
std::string BoardJsonFields(const LiveRecord& last, const BoardSettings& settings,
                            bool receiving, const HealthReport& health);
std::string RecordPushJson(const LiveRecord& record, const BoardSettings& settings,
                           bool receiving, const HealthReport& health);
std::string HealthPushJson(const HealthReport& health);
std::string AlarmPushJson(int board, std::string_view utf8Text);
std::string InfoJson(bool korean, std::string_view utf8Title);

// A day count as wall-clock seconds since 1970-01-01 00:00, to the millisecond.
double WallSeconds(double dayCount);
// The chart's points; with the elapsed-time axis the x values count days
// since `startTime` and are turned back into times.
std::string HistoryJson(const ChartModel& chart, bool elapsedAxis, double startTime);

}  // namespace tessar
