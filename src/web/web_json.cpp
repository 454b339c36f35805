#include "web/web_json.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "acquisition/thermocouple.h"
#include "common/date_time.h"

namespace tessar {

namespace {
constexpr double kUnixEpochDayCount = 25569.0;  // 1970-01-01 00:00
}

bool BoardUsed(const BoardSettings& settings) { return settings.portNumber >= 1; }

bool BoardReceiving(const FrameState& frame) { return frame.MissedTicks < 1; }

bool PaceReceiving(double secondsSinceRecord, int paceSeconds) {
  return secondsSinceRecord >= 0.0 && secondsSinceRecord < 3.0 * std::max(paceSeconds, 1);
}

LiveRecord EmptyRecord(int board) {
  LiveRecord record;
  record.board = board;
  record.time = std::numeric_limits<double>::quiet_NaN();
  record.values.fill(NoDataValue);
  return record;
}

std::string BoardJsonFields(const LiveRecord& last, const BoardSettings& settings,
                            bool receiving, const HealthReport& health) {
  std::string out = RecordJsonFields(last, settings);
  out += ",\"alarm\":[";
  for (int i = 0; i < kSlotCount; ++i) {
    if (i > 0) out += ',';
    out += last.inAlarm[i] && i > 0 ? "true" : "false";
  }
  out += "],\"receiving\":";
  out += receiving ? "true" : "false";
  out += ',' + HealthArrayJson(health);
  return out;
}

std::string RecordPushJson(const LiveRecord& record, const BoardSettings& settings,
                           bool receiving, const HealthReport& health) {
  return "{\"type\":\"record\"," + BoardJsonFields(record, settings, receiving, health) + '}';
}

std::string HealthPushJson(const HealthReport& health) {
  return "{\"type\":\"health\"," + HealthJsonFields(health) + '}';
}

std::string AlarmPushJson(int board, std::string_view utf8Text) {
  std::string out = "{\"type\":\"alarm\",\"board\":\"";
  out += static_cast<char>('A' + board);
  out += "\",\"text\":" + JsonString(utf8Text) + '}';
  return out;
}

std::string InfoJson(bool korean, std::string_view utf8Title) {
  return std::string("{\"korean\":") + (korean ? "true" : "false") +
         ",\"title\":" + JsonString(utf8Title) + '}';
}

double WallSeconds(double dayCount) {
  // whole milliseconds, as the recording's time texts round them
  return std::round((dayCount - kUnixEpochDayCount) * kSecondsPerDay * 1000.0) / 1000.0;
}

std::string HistoryJson(const ChartModel& chart, bool elapsedAxis, double startTime) {
  const int n = chart.size();
  std::string out;
  out.reserve(static_cast<std::size_t>(n) * 10 * 12 + 64);
  out += "{\"time\":[";
  for (int i = 0; i < n; ++i) {
    if (i > 0) out += ',';
    out += JsonNumber(WallSeconds(elapsedAxis ? startTime + chart.x(i) : chart.x(i)));
  }
  out += "],\"series\":[";
  for (int slot = 0; slot < kChartSlots; ++slot) {
    out += slot > 0 ? ",[" : "[";
    for (int i = 0; i < n; ++i) {
      if (i > 0) out += ',';
      out += JsonNumber(chart.y(slot, i));
    }
    out += ']';
  }
  out += "]}";
  return out;
}

}  // namespace tessar
