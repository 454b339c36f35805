#include "acquisition/live_record.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/thermocouple.h"
#include "common/date_time.h"
#include "i18n/text_codec.h"

namespace tessar {

namespace {

template <std::size_t N>
std::string FieldJson(const char (&field)[N]) {
  return JsonString(FromCp949(FieldBytes(field, N)).trimmed().toStdString());
}

}  // namespace

LiveRecord LiveRecordOf(int board, const CycleOutcome& outcome) {
  LiveRecord record;
  record.board = board;
  record.time = outcome.record.time;
  for (int i = 0; i < kSlotCount; ++i) record.values[i] = outcome.record.values[i];
  record.inAlarm = outcome.alarm.inAlarm;
  record.written = outcome.recordWritten;
  return record;
}

std::string JsonNumber(double value) {
  if (value == NoDataValue || !std::isfinite(value)) return "null";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string JsonString(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 2);
  out += '"';
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", u);
      out += escape;
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string JsonTime(double dayCount) {
  if (!IsCalendarDayCount(dayCount)) return {};
  const CalendarTime t = DecodeDateTime(dayCount);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return text;
}

namespace {

// "board":..,"time":.. of a record
std::string HeadJson(const LiveRecord& record) {
  const std::string time = JsonTime(record.time);
  std::string out = "\"board\":\"";
  out += static_cast<char>('A' + record.board);
  out += "\",\"time\":" + (time.empty() ? std::string("null") : JsonString(time));
  return out;
}

// "serial":..,"model":..,"title":..,"unit":..,"names":[..] of a board
std::string TextsJson(const BoardSettings& settings) {
  std::string out = "\"serial\":" + FieldJson(settings.serialNumber);
  out += ",\"model\":" + FieldJson(settings.modelName);
  out += ",\"title\":" + FieldJson(settings.jobTitle);
  out += ",\"unit\":" + FieldJson(settings.yAxisTitle);
  out += ",\"names\":[";
  for (int i = 0; i < kSlotCount; ++i) {
    if (i > 0) out += ',';
    out += FieldJson(settings.channelName[i]);
  }
  out += ']';
  return out;
}

// "values":[..] of a record
std::string ValuesJson(const LiveRecord& record) {
  std::string out = "\"values\":[";
  for (int i = 0; i < kSlotCount; ++i) {
    if (i > 0) out += ',';
    out += JsonNumber(record.values[i]);
  }
  out += ']';
  return out;
}

// The bytes of the text fields a message shows, to tell when they change.
void TextFieldBytes(const BoardSettings& settings, std::string& out) {
  out.clear();
  const auto add = [&out](const char* field, std::size_t size) { out.append(field, size); };
  add(settings.serialNumber, sizeof settings.serialNumber);
  add(settings.modelName, sizeof settings.modelName);
  add(settings.jobTitle, sizeof settings.jobTitle);
  add(settings.yAxisTitle, sizeof settings.yAxisTitle);
  for (const auto& name : settings.channelName) add(name, sizeof name);
}

}  // namespace

std::string RecordJsonFields(const LiveRecord& record, const BoardSettings& settings) {
  return HeadJson(record) + ',' + TextsJson(settings) + ',' + ValuesJson(record);
}

std::string RecordJson(const LiveRecord& record, const BoardSettings& settings) {
  return '{' + RecordJsonFields(record, settings) + '}';
}

std::string RecordJsonCache::Message(const LiveRecord& record, const BoardSettings& settings) {
  TextFieldBytes(settings, scratch_);
  if (scratch_ != key_ || texts_.empty()) {
    key_.swap(scratch_);
    texts_ = TextsJson(settings);
  }
  return '{' + HeadJson(record) + ',' + texts_ + ',' + ValuesJson(record) + '}';
}

}  // namespace tessar
