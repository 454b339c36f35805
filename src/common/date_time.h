// Date-times as the records, headers and charts hold them: days since
// 1899-12-30 00:00 local time, the fraction being the time of day.
#pragma once

#include <string>

class QDateTime;

namespace tessar {

struct CalendarTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;

  bool operator==(const CalendarTime&) const = default;
};

constexpr double kSecondsPerDay = 86400.0;

double EncodeDateTime(const CalendarTime& t);
// Calendar values of a day count; the time of day is rounded to the millisecond.
CalendarTime DecodeDateTime(double dayCount);

double ToDayCount(const QDateTime& dateTime);
QDateTime FromDayCount(double dayCount);

// "%d-%02d-%02d %02d:%02d:%02d", e.g. "2026-12-08 14:05:32".
std::string FormatDateTime(double dayCount);
// "%02d-%02d %02d:%02d:%02d", e.g. "12-08 14:05:32".
std::string FormatShortDateTime(double dayCount);
// The process-wide time format "hh:mm:ss".
std::string FormatTime(double dayCount);

}  // namespace tessar
